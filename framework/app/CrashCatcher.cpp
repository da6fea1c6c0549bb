#include "framework/app/CrashCatcher.h"

#include "framework/app/CrashErrorWindow.h"
#include "framework/app/KivoAppBase.h"
#include "framework/core/Strings.h"
#include "platform/Paths.h"
#include "platform/win32/Sync.h"
#include "platform/win32/Time.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <link.h>
#include <sys/uio.h>
#include <sys/utsname.h>
#include <ucontext.h>
#include <unistd.h>

namespace Kivo {
namespace {

struct NamedCode {
    uint32_t code;
    const char* name;
};

const NamedCode kExceptionNames[] = {
    { 0x40000005, "Segment Notification" },
    { 0x80000003, "Breakpoint" },
    { 0x80000004, "Single step" },
    { 0x00000000, "Wait 0" },
    { 0x00000080, "Abandoned Wait 0" },
    { 0x000000C0, "User APC" },
    { 0x00000102, "Timeout" },
    { 0x00000103, "Pending" },
    { 0x80000001, "Guard Page Violation" },
    { 0x80000002, "Data Type Misalignment" },
    { 0xC0000005, "Access Violation" },
    { 0xC0000006, "In Page Error" },
    { 0xC0000017, "No Memory" },
    { 0xC000001D, "Illegal Instruction" },
    { 0xC0000025, "Noncontinuable Exception" },
    { 0xC0000026, "Invalid Disposition" },
    { 0xC000008C, "Array Bounds Exceeded" },
    { 0xC000008D, "Float Denormal Operand" },
    { 0xC000008E, "Divide by Zero" },
    { 0xC000008F, "Float Inexact Result" },
    { 0xC0000090, "Float Invalid Operation" },
    { 0xC0000091, "Float Overflow" },
    { 0xC0000092, "Float Stack Check" },
    { 0xC0000093, "Float Underflow" },
    { 0xC0000094, "Integer Divide by Zero" },
    { 0xC0000095, "Integer Overflow" },
    { 0xC0000096, "Privileged Instruction" },
    { 0xC00000FD, "Stack Overflow" },
    { 0xC000013A, "Ctrl+C Exit" },
};

// An abort names no Windows exception; it gets this unnamed code.
constexpr uint32_t kAbortCode = 0x40000015;
constexpr int kFillerEvent = 31;

// Room for the handler when the stack itself has overflowed.
alignas(16) char gAltStack[64 * 1024];

CrashCatcher gCrashCatcher;

std::string FileName(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct SegmentSearch {
    uintptr_t address;
    CrashCatcher::LogicalAddress* out;
};

int FindSegment(dl_phdr_info* info, size_t, void* data)
{
    auto* search = static_cast<SegmentSearch*>(data);
    int number = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& ph = info->dlpi_phdr[i];
        if (ph.p_type != PT_LOAD)
            continue;
        ++number;
        const uintptr_t start = info->dlpi_addr + ph.p_vaddr;
        if (search->address >= start && search->address - start < ph.p_memsz) {
            search->out->section = number;
            search->out->offset = search->address - start;
            return 1;
        }
    }
    return 0;
}

} // namespace

const int CrashCatcher::kSignals[6] = { SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP };

CrashCatcher& CrashCatcher::Instance()
{
    return gCrashCatcher;
}

CrashCatcher::CrashCatcher()
    : showErrorDialog(&CrashErrorWindow::Show)
{
    if (this != &gCrashCatcher)
        return;
    stack_t alt {};
    alt.ss_sp = gAltStack;
    alt.ss_size = sizeof gAltStack;
    sigaltstack(&alt, nullptr);
    struct sigaction action {};
    action.sa_sigaction = &CrashCatcher::OnSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 6; ++i)
        sigaction(kSignals[i], &action, &previous[i]);
    installed = true;
}

CrashCatcher::~CrashCatcher()
{
    if (!installed)
        return;
    for (int i = 0; i < 6; ++i)
        sigaction(kSignals[i], &previous[i], nullptr);
}

const char* CrashCatcher::ExceptionName(uint32_t code)
{
    for (const NamedCode& n : kExceptionNames)
        if (n.code == code)
            return n.name;
    return nullptr;
}

uint32_t CrashCatcher::CodeForSignal(int signal, int signalCode)
{
    switch (signal) {
    case SIGSEGV: return 0xC0000005;
    case SIGILL: return signalCode == ILL_PRVOPC || signalCode == ILL_PRVREG ? 0xC0000096 : 0xC000001D;
    case SIGBUS: return signalCode == BUS_ADRALN ? 0x80000002 : 0xC0000006;
    case SIGTRAP: return signalCode == TRAP_TRACE ? 0x80000004 : 0x80000003;
    case SIGFPE:
        switch (signalCode) {
        case FPE_INTDIV: return 0xC0000094;
        case FPE_INTOVF: return 0xC0000095;
        case FPE_FLTDIV: return 0xC000008E;
        case FPE_FLTOVF: return 0xC0000091;
        case FPE_FLTUND: return 0xC0000093;
        case FPE_FLTRES: return 0xC000008F;
        case FPE_FLTSUB: return 0xC000008C;
        default: return 0xC0000090;
        }
    default: return kAbortCode;
    }
}

CrashCatcher::LogicalAddress CrashCatcher::GetLogicalAddress(uintptr_t address)
{
    LogicalAddress out;
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(address), &info) && info.dli_fname)
        out.module = info.dli_fname;
    SegmentSearch search { address, &out };
    dl_iterate_phdr(&FindSegment, &search);
    return out;
}

bool CrashCatcher::Readable(uintptr_t address, size_t size)
{
    // Reads through the kernel: an unmapped address fails instead of faulting.
    char copy[64];
    if (size > sizeof copy)
        return false;
    iovec local { copy, size };
    iovec remote { reinterpret_cast<void*>(address), size };
    return process_vm_readv(getpid(), &local, 1, &remote, 1, 0) == static_cast<ssize_t>(size);
}

std::string CrashCatcher::FrameWalk(uintptr_t pc, uintptr_t frame, ReadableFn readable, int maxFrames)
{
    std::string out;
    for (int n = 0; n < maxFrames; ++n) {
        const LogicalAddress where = GetLogicalAddress(pc);
        out += StrFormat("%08llX  %08llX  %04X:%08llX %s\r\n", (unsigned long long)pc, (unsigned long long)frame,
            where.section, (unsigned long long)where.offset, FileName(where.module).c_str());
        if (frame % 4 != 0 || !readable(frame, 2 * sizeof(uintptr_t)))
            break;
        uintptr_t words[2];
        std::memcpy(words, reinterpret_cast<const void*>(frame), sizeof words);
        const uintptr_t next = words[0];
        if (next % 4 != 0 || next <= frame || !readable(next, 2 * sizeof(uintptr_t)))
            break;
        pc = words[1];
        frame = next;
    }
    return out;
}

void CrashCatcher::MakeReport(const Fault& f, ReadableFn readable)
{
    std::string text;
    if (const char* name = ExceptionName(f.code))
        text = StrFormat("Exception: %s (code 0x%x) at address %08llX in thread %X\r\n", name, f.code,
            (unsigned long long)f.address, f.threadId);
    else
        text = StrFormat("Unknown exception: (code 0x%x) at address %08llX in thread %X\r\n", f.code,
            (unsigned long long)f.address, f.threadId);

    const LogicalAddress where = GetLogicalAddress(f.address);
    text += "Module: " + FileName(where.module) + "\r\n";
    text += StrFormat("Logical Address: %04X:%08llX\r\n\r\n", where.section, (unsigned long long)where.offset);
    errorTitle = StrFormat("Exception at %04X:%08llX", where.section, (unsigned long long)where.offset);

    text += FrameWalk(f.rip ? f.rip : f.address, f.rbp, readable) + "\r\n";

    auto u = [](uint64_t v) { return (unsigned long long)v; };
    text += StrFormat("RAX:%016llX RBX:%016llX RCX:%016llX\r\nRDX:%016llX RSI:%016llX RDI:%016llX\r\n", u(f.rax),
        u(f.rbx), u(f.rcx), u(f.rdx), u(f.rsi), u(f.rdi));
    text += StrFormat("RIP:%016llX RSP:%016llX  RBP:%016llX\r\n", u(f.rip), u(f.rsp), u(f.rbp));
    text += StrFormat("CS:%04X FS:%04X GS:%04X\r\n", f.cs, f.fs, f.gs);
    text += StrFormat("Flags:%08X\r\n\r\n", f.flags);

    utsname system {};
    if (uname(&system) == 0)
        text += std::string("System: ") + system.sysname + " " + system.release + " " + system.version + "\r\n";

    if (gKivoApp) {
        const std::string info = gKivoApp->GetCrashInfoText();
        if (!info.empty())
            text += "\r\n" + info;
    }
    errorText = text;
}

void CrashCatcher::HandleCrash(const Fault& fault)
{
    MakeReport(fault);
    if (gKivoApp)
        gKivoApp->CopyToClipboard(errorText);
    if (FILE* file = std::fopen(platform::DiskPath("crash.txt").c_str(), "wb")) {
        std::fwrite(errorText.data(), 1, errorText.size(), file);
        std::fputc('\n', file);
        std::fclose(file);
    }
    if (KivoAppBase* app = gKivoApp) {
        if (app->demoRecording) {
            app->WriteEventHeader();
            app->demoBuffer.WriteNumBits(0, 1);
            app->demoBuffer.WriteNumBits(kFillerEvent, 5);
            demoPath = app->demoFileName;
        }
        sendDemo = app->demoRecording;
        const std::string extra = app->GetExtraCrashInfo();
        if (!extra.empty()) {
            demoPath = extra;
            sendDemo = true;
        }
        app->demoRecording = false;
        app->demoPlaying = false;
    }
    if (showDialog && showErrorDialog)
        showErrorDialog(*this);
}

void CrashCatcher::OnSignal(int signal, siginfo_t* info, void* context)
{
    CrashCatcher& self = gCrashCatcher;
    static std::atomic<bool> inside { false };
    if (!inside.exchange(true)) {
        Fault fault;
        fault.code = CodeForSignal(signal, info ? info->si_code : 0);
        fault.address = info ? reinterpret_cast<uintptr_t>(info->si_addr) : 0;
        fault.threadId = GetCurrentThreadId();
#if defined(__x86_64__)
        if (context) {
            const greg_t* r = static_cast<ucontext_t*>(context)->uc_mcontext.gregs;
            fault.rax = uint64_t(r[REG_RAX]);
            fault.rbx = uint64_t(r[REG_RBX]);
            fault.rcx = uint64_t(r[REG_RCX]);
            fault.rdx = uint64_t(r[REG_RDX]);
            fault.rsi = uint64_t(r[REG_RSI]);
            fault.rdi = uint64_t(r[REG_RDI]);
            fault.rip = uint64_t(r[REG_RIP]);
            fault.rsp = uint64_t(r[REG_RSP]);
            fault.rbp = uint64_t(r[REG_RBP]);
            fault.flags = uint32_t(r[REG_EFL]);
            const uint64_t segments = uint64_t(r[REG_CSGSFS]);
            fault.cs = uint32_t(segments & 0xFFFF);
            fault.gs = uint32_t((segments >> 16) & 0xFFFF);
            fault.fs = uint32_t((segments >> 32) & 0xFFFF);
            if (signal != SIGSEGV && signal != SIGBUS)
                fault.address = fault.rip;
        }
#endif
        if (gKivoApp)
            gKivoApp->OnCrash();
        self.HandleCrash(fault);
    }
    // On to whoever handled the signal before; with nobody, the default
    // action ends the process as it would have ended without us.
    int i = 0;
    while (i < 6 && kSignals[i] != signal)
        ++i;
    const struct sigaction& before = self.previous[i < 6 ? i : 0];
    if ((before.sa_flags & SA_SIGINFO) && before.sa_sigaction) {
        before.sa_sigaction(signal, info, context);
        return;
    }
    if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN && before.sa_handler) {
        before.sa_handler(signal);
        return;
    }
    ::signal(signal, SIG_DFL);
    raise(signal);
}

std::string CrashCatcher::BuildSubmitRequest() const
{
    std::string body;
    auto part = [&](const std::string& header, const std::string& value) {
        body += std::string("--") + kBoundary + header + "\r\n" + value + "\r\n";
    };
    const std::string product = gKivoApp ? gKivoApp->productName : std::string();
    const std::string version = gKivoApp ? gKivoApp->productVersion : std::string();
    part("\r\nContent-Disposition: form-data; name=\"prod\"\r\n", product);
    part("\r\nContent-Disposition: form-data; name=\"version\"\r\n", version);
    part("\r\nContent-Disposition: form-data; name=\"usertext\"\r\n", userText);
    part("\r\nContent-Disposition: form-data; name=\"errortitle\"\r\n", errorTitle);
    part("\r\nContent-Disposition: form-data; name=\"errortext\"\r\n", errorText);
    if (sendDemo) {
        std::ifstream in(platform::DiskPath(demoPath), std::ios::binary);
        std::string demo;
        if (in)
            demo.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        part("\r\nContent-Disposition: form-data; name=\"demofile\"; filename=\"kivo.dmo\"\r\n"
             "Content-Type: application/octet-stream\r\n",
            demo);
    }
    body += std::string("--") + kBoundary + "--\r\n";
    return std::string("POST /olvane_error.php HTTP/1.1\r\nContent-Type: multipart/form-data; boundary=") + kBoundary
        + "\r\nUser-Agent: Mozilla/4.0 (compatible; kivo)\r\n" + "Host: " + submitHost + "\r\n"
        + StrFormat("Content-Length: %d\r\n", static_cast<int>(body.size())) + "Connection: close\r\n" + "\r\n" + body;
}

void CrashCatcher::SubmitReport()
{
    if (submitHost.empty())
        return;
    transfer.SendRequest(submitHost, BuildSubmitRequest());
}

std::string KivoAppBase::GetCrashInfoText()
{
    const uint32_t seconds = (GetTickCount() - startTime) / 1000;
    return "Product: " + productName + "\r\n" + "Version: " + productVersion + "\r\n" + "Time Loaded: "
        + StrFormat("%02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60))
        + "\r\nFullscreen: " + (windowed ? "No" : "Yes") + "\r\nPrimary ThreadId: " + StrFormat("%X", mainThreadId)
        + "\r\n";
}

} // namespace Kivo
