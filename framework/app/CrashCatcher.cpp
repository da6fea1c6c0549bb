#include "framework/app/CrashCatcher.h"

#include "framework/app/DemoFile.h"
#include "framework/app/KivoAppBase.h"
#include "framework/core/Paths.h"
#include "framework/core/Strings.h"
#include "platform/Paths.h"
#include "platform/win32/Time.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <unistd.h>
#include <unwind.h>

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
alignas(16) char gAltStack[256 * 1024];

// The handler's own storage: nothing in it allocates.
char gReport[64 * 1024];
char gTitle[64];
uint8_t gDemoTail[64 * 1024];
// The system's name, gathered at start-up ("System: ...\r\n").
char gSystemLine[512];

CrashCatcher gCrashCatcher;

// Text built into a fixed buffer with our own number formatting: usable
// inside a signal handler. What does not fit is dropped.
struct SafeText {
    char* out;
    size_t capacity;
    size_t length = 0;

    void Put(char c)
    {
        if (length < capacity)
            out[length++] = c;
    }
    void Add(const char* s)
    {
        while (*s)
            Put(*s++);
    }
    void Hex(uint64_t v, int minDigits, bool upper = true)
    {
        const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
        char t[16];
        int n = 0;
        do {
            t[n++] = digits[v & 15];
            v >>= 4;
        } while (v && n < 16);
        for (int i = n; i < minDigits; ++i)
            Put('0');
        while (n)
            Put(t[--n]);
    }
    void Dec(uint64_t v, int minDigits)
    {
        char t[20];
        int n = 0;
        do {
            t[n++] = char('0' + v % 10);
            v /= 10;
        } while (v && n < 20);
        for (int i = n; i < minDigits; ++i)
            Put('0');
        while (n)
            Put(t[--n]);
    }
};

void CopyText(char* to, size_t capacity, const std::string& from)
{
    const size_t n = std::min(from.size(), capacity - 1);
    std::memcpy(to, from.data(), n);
    to[n] = 0;
}

const char* FileNameOf(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\')
            name = p + 1;
    return name;
}

bool ParseHex(const char*& p, uintptr_t& value)
{
    value = 0;
    const char* start = p;
    for (;; ++p) {
        const char c = *p;
        const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (d < 0)
            break;
        value = value * 16 + uintptr_t(d);
    }
    return p != start;
}

// Where an address lies, from /proc/self/maps read with plain system calls:
// the module's path, the 1-based number of the mapping among the module's
// consecutive mappings, and the offset from that mapping's start. Safe
// inside a signal handler. False, leaving the outputs empty, for an address
// outside every file mapping.
bool FindMapping(uintptr_t address, char* path, size_t pathCapacity, int* section, uintptr_t* offset)
{
    path[0] = 0;
    *section = 0;
    *offset = 0;
    const int fd = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char chunk[2048];
    char line[1024];
    char previous[1024] = "";
    size_t lineLength = 0;
    int count = 0;
    bool found = false;
    ssize_t n;
    auto takeLine = [&] {
        line[lineLength] = 0;
        lineLength = 0;
        const char* p = line;
        uintptr_t start = 0, end = 0;
        if (!ParseHex(p, start) || *p++ != '-' || !ParseHex(p, end))
            return;
        // Permissions, offset, device and inode, then the path.
        for (int field = 0; field < 4; ++field) {
            while (*p == ' ')
                ++p;
            while (*p && *p != ' ')
                ++p;
        }
        while (*p == ' ')
            ++p;
        if (*p && std::strcmp(p, previous) == 0) {
            ++count;
        } else {
            count = 1;
            const size_t len = std::min(std::strlen(p), sizeof previous - 1);
            std::memcpy(previous, p, len);
            previous[len] = 0;
        }
        if (*p != '/' || address < start || address >= end)
            return;
        const size_t len = std::min(std::strlen(p), pathCapacity - 1);
        std::memcpy(path, p, len);
        path[len] = 0;
        *section = count;
        *offset = address - start;
        found = true;
    };
    while (!found && (n = read(fd, chunk, sizeof chunk)) > 0) {
        for (ssize_t i = 0; i < n && !found; ++i) {
            if (chunk[i] == '\n')
                takeLine();
            else if (lineLength < sizeof line - 1)
                line[lineLength++] = chunk[i];
        }
    }
    if (!found && lineLength)
        takeLine();
    close(fd);
    return found;
}

// One line of the stack trace: program counter, frame, where the program
// counter lies and the module's file name.
void PutFrame(SafeText& out, uintptr_t pc, uintptr_t frame)
{
    char module[1024];
    int section = 0;
    uintptr_t offset = 0;
    FindMapping(pc, module, sizeof module, &section, &offset);
    out.Hex(pc, 8);
    out.Add("  ");
    out.Hex(frame, 8);
    out.Add("  ");
    out.Hex(uint64_t(section), 4);
    out.Put(':');
    out.Hex(offset, 8);
    out.Put(' ');
    out.Add(FileNameOf(module));
    out.Add("\r\n");
}

void WalkFrames(SafeText& out, uintptr_t pc, uintptr_t frame, CrashCatcher::ReadableFn readable, int maxFrames)
{
    for (int n = 0; n < maxFrames; ++n) {
        PutFrame(out, pc, frame);
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
}

constexpr int kMaxFrames = 1000;
CrashCatcher::StackFrame gStack[kMaxFrames];

struct Unwinding {
    uintptr_t faultPc;
    CrashCatcher::StackFrame* frames;
    int capacity;
    int count = 0;
    bool atFault = false;
};

_Unwind_Reason_Code TakeFrame(_Unwind_Context* context, void* arg)
{
    auto& u = *static_cast<Unwinding*>(arg);
    int exact = 0;
    const uintptr_t pc = _Unwind_GetIPInfo(context, &exact);
    if (pc == 0)
        return _URC_END_OF_STACK;
    // The frames of the handler and the signal's return path come first;
    // the faulting frame is the one the signal interrupted, whose program
    // counter is exact rather than a return address.
    if (!u.atFault)
        u.atFault = exact && pc == u.faultPc;
    if (!u.atFault)
        return _URC_NO_REASON;
    u.frames[u.count++] = { pc, uintptr_t(_Unwind_GetCFA(context)) };
    return u.count < u.capacity ? _URC_NO_REASON : _URC_END_OF_STACK;
}

bool WriteAll(int fd, const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

// "<what> not written: cannot write <path>" on stderr, with nothing but
// write(2): it runs in the signal handler.
void SayNotWritten(const char* what, const char* path)
{
    for (const char* part : { what, " not written: cannot write ", path, "\n" })
        WriteAll(STDERR_FILENO, part, std::strlen(part));
}

// A new process without the C library's fork handlers, which may take locks
// the crashed thread holds.
pid_t RawFork()
{
#ifdef SYS_fork
    return pid_t(syscall(SYS_fork));
#else
    return pid_t(syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0));
#endif
}

struct SystemLine {
    SystemLine()
    {
        utsname system {};
        if (uname(&system) == 0)
            std::snprintf(gSystemLine, sizeof gSystemLine, "System: %s %s %s\r\n", system.sysname, system.release,
                system.version);
    }
} gSystemLineMaker;

} // namespace

const int CrashCatcher::kSignals[6] = { SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP };

CrashCatcher& CrashCatcher::Instance()
{
    return gCrashCatcher;
}

CrashCatcher::CrashCatcher()
{
    if (this != &gCrashCatcher)
        return;
    // The unwinder finds and caches the unwind tables on its first walk:
    // done here, that work is not left for the signal handler.
    StackFrame warm[1];
    UnwindFromSignal(0, warm, 1);
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
    char path[1024];
    FindMapping(address, path, sizeof path, &out.section, &out.offset);
    out.module = path;
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

// The undefined-behaviour checker would stop at the null store itself; the
// point is the fault it causes.
__attribute__((no_sanitize_undefined)) void CrashCatcher::Provoke()
{
    volatile int* volatile nowhere = nullptr;
    *nowhere = 0;
    std::abort();
}

int CrashCatcher::UnwindFromSignal(uintptr_t faultPc, StackFrame* frames, int capacity)
{
    Unwinding u { faultPc, frames, capacity };
    if (capacity > 0)
        _Unwind_Backtrace(&TakeFrame, &u);
    return u.count;
}

std::string CrashCatcher::FrameWalk(uintptr_t pc, uintptr_t frame, ReadableFn readable, int maxFrames)
{
    std::vector<char> buffer(size_t(maxFrames) * 1200 + 64);
    SafeText out { buffer.data(), buffer.size() };
    WalkFrames(out, pc, frame, readable, maxFrames);
    return std::string(buffer.data(), out.length);
}

void CrashCatcher::Prepare(KivoAppBase* app)
{
    mPrepared = false;
    std::string crashPath = "crash.txt";
    mProductName[0] = mProductVersion[0] = mCompanyName[0] = mExtraPath[0] = 0;
    mDemoName[0] = mDemoDiskPath[0] = 0;
    mDemoHeader.clear();
    if (app) {
        const std::string folder = GetAppDataFolder();
        if (!folder.empty())
            MakeDirectories(folder);
        crashPath = platform::DiskPath(folder + "crash.txt");
        CopyText(mProductName, sizeof mProductName, app->productName);
        CopyText(mProductVersion, sizeof mProductVersion, app->productVersion);
        CopyText(mCompanyName, sizeof mCompanyName, app->companyName);
        mMainThreadId = app->mainThreadId;
        mStartTime = app->startTime;
        const std::string extra = app->GetExtraCrashInfo();
        CopyText(mExtraPath, sizeof mExtraPath, extra);
        if (app->demoRecording) {
            DemoFile demo;
            demo.seed = app->randomSeed;
            demo.productVersion = app->productVersion;
            demo.markers = app->demoMarkers;
            mDemoHeader = EncodeDemoFile(demo);
            mDemoHeader.resize(mDemoHeader.size() - 4); // the update count is written at the crash
            CopyText(mDemoName, sizeof mDemoName, app->demoFileName);
            CopyText(mDemoDiskPath, sizeof mDemoDiskPath, platform::DiskPath(app->demoFileName));
        }
    }
    CopyText(mCrashPath, sizeof mCrashPath, crashPath);
    CopyText(mSubmitHost, sizeof mSubmitHost, submitHost);
    mPrepared = app != nullptr;
}

size_t CrashCatcher::FormatReport(const Fault& f, ReadableFn readable, char* buffer, size_t capacity, char* title,
                                  size_t titleCapacity) const
{
    SafeText text { buffer, capacity };
    if (const char* name = ExceptionName(f.code)) {
        text.Add("Exception: ");
        text.Add(name);
        text.Add(" (code 0x");
    } else {
        text.Add("Unknown exception: (code 0x");
    }
    text.Hex(f.code, 1, false);
    text.Add(") at address ");
    text.Hex(f.address, 8);
    text.Add(" in thread ");
    text.Hex(f.threadId, 1);
    text.Add("\r\n");

    char module[1024];
    int section = 0;
    uintptr_t offset = 0;
    FindMapping(f.address, module, sizeof module, &section, &offset);
    text.Add("Module: ");
    text.Add(FileNameOf(module));
    text.Add("\r\nLogical Address: ");
    text.Hex(uint64_t(section), 4);
    text.Put(':');
    text.Hex(offset, 8);
    text.Add("\r\n\r\n");
    SafeText head { title, titleCapacity - 1 };
    head.Add("Exception at ");
    head.Hex(uint64_t(section), 4);
    head.Put(':');
    head.Hex(offset, 8);
    title[head.length] = 0;

    if (f.stackDepth > 0) {
        for (int i = 0; i < f.stackDepth; ++i)
            PutFrame(text, f.stack[i].pc, f.stack[i].frame);
    } else {
        WalkFrames(text, f.rip ? f.rip : f.address, f.rbp, readable, kMaxFrames);
    }
    text.Add("\r\n");

    const struct {
        const char* name;
        uint64_t value;
    } registers[] = { { "RAX:", f.rax }, { " RBX:", f.rbx }, { " RCX:", f.rcx }, { "\r\nRDX:", f.rdx },
        { " RSI:", f.rsi }, { " RDI:", f.rdi }, { "\r\nRIP:", f.rip }, { " RSP:", f.rsp }, { "  RBP:", f.rbp } };
    for (const auto& r : registers) {
        text.Add(r.name);
        text.Hex(r.value, 16);
    }
    text.Add("\r\nCS:");
    text.Hex(f.cs, 4);
    text.Add(" FS:");
    text.Hex(f.fs, 4);
    text.Add(" GS:");
    text.Hex(f.gs, 4);
    text.Add("\r\nFlags:");
    text.Hex(f.flags, 8);
    text.Add("\r\n\r\n");
    text.Add(gSystemLine);

    if (const KivoAppBase* app = gKivoApp; app && mPrepared) {
        const uint32_t seconds = (GetTickCount() - mStartTime) / 1000;
        text.Add("\r\nProduct: ");
        text.Add(mProductName);
        text.Add("\r\nVersion: ");
        text.Add(mProductVersion);
        text.Add("\r\nTime Loaded: ");
        text.Dec(seconds / 3600, 2);
        text.Put(':');
        text.Dec(seconds / 60 % 60, 2);
        text.Put(':');
        text.Dec(seconds % 60, 2);
        text.Add("\r\nFullscreen: ");
        text.Add(app->windowed ? "No" : "Yes");
        text.Add("\r\nPrimary ThreadId: ");
        text.Hex(mMainThreadId, 1);
        text.Add("\r\n");
    }
    return text.length;
}

void CrashCatcher::MakeReport(const Fault& fault, ReadableFn readable)
{
    std::vector<char> text(sizeof gReport);
    char title[sizeof gTitle];
    const size_t n = FormatReport(fault, readable, text.data(), text.size(), title, sizeof title);
    errorText.assign(text.data(), n);
    errorTitle = title;
}

// The recording so far, a filler event (with fillers before it for every 15
// updates since the last event, as the event header writes them) and the
// file around it, without touching the recording itself.
void CrashCatcher::WriteDemo(KivoAppBase& app)
{
    const Buffer& b = app.demoBuffer;
    const size_t fullBytes = size_t(std::max(b.bitSize, 0)) / 8;
    const int partialBits = std::max(b.bitSize, 0) % 8;
    if (mDemoHeader.empty() || b.data.size() < fullBytes + (partialBits ? 1 : 0))
        return;
    std::memset(gDemoTail, 0, sizeof gDemoTail);
    size_t bit = 0;
    if (partialBits)
        gDemoTail[0] = uint8_t(b.data[fullBytes] & ((1u << partialBits) - 1));
    bit = size_t(partialBits);
    bool fits = true;
    auto put = [&](uint32_t value, int n) {
        for (int i = 0; i < n; ++i, ++bit) {
            if (bit / 8 >= sizeof gDemoTail) {
                fits = false;
                return;
            }
            if ((value >> i) & 1u)
                gDemoTail[bit / 8] |= uint8_t(1u << (bit % 8));
        }
    };
    int delta = std::max(app.updateCount - app.nextEventUpdate, 0);
    for (;;) {
        const int step = std::min(delta, 15);
        put(uint32_t(step), 4);
        put(0, 1);
        put(kFillerEvent, 5);
        if (delta <= 15 || !fits)
            break;
        delta -= 15;
    }
    if (!fits)
        return;
    const int fd = open(mDemoDiskPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const uint32_t end = uint32_t(app.updateCount);
    const uint8_t endBytes[4] = { uint8_t(end), uint8_t(end >> 8), uint8_t(end >> 16), uint8_t(end >> 24) };
    const bool written = fd >= 0 && WriteAll(fd, mDemoHeader.data(), mDemoHeader.size()) && WriteAll(fd, endBytes, 4)
        && WriteAll(fd, b.data.data(), fullBytes) && WriteAll(fd, gDemoTail, (bit + 7) / 8);
    if (fd >= 0)
        close(fd);
    if (!written)
        SayNotWritten("Demo", mDemoDiskPath);
}

bool CrashCatcher::WriteCrashFile(const Fault& fault)
{
    const size_t n = FormatReport(fault, &Readable, gReport, sizeof gReport - 1, gTitle, sizeof gTitle);
    gReport[n] = '\n';
    const int fd = open(mCrashPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool written = fd >= 0 && WriteAll(fd, gReport, n + 1);
    if (fd >= 0)
        close(fd);
    return written;
}

void CrashCatcher::HandleCrash(const Fault& fault)
{
    if (!WriteCrashFile(fault))
        SayNotWritten("Crash report", mCrashPath);
    const char* demo = "";
    bool send = false;
    KivoAppBase* app = gKivoApp;
    if (app && mPrepared) {
        if (app->demoRecording) {
            WriteDemo(*app);
            demo = mDemoName;
        }
        send = app->demoRecording;
        if (mExtraPath[0]) {
            demo = mExtraPath;
            send = true;
        }
        app->demoRecording = false;
        app->demoPlaying = false;
    }
    if (!showDialog)
        return;
    const char* program = reportProgram.c_str();
    const char* args[] = { program, kReportArg, mCrashPath, gTitle, demo, send ? "1" : "0", mSubmitHost,
        allowSubmit ? "1" : "0", mProductName, mProductVersion, app ? "1" : "0", mCompanyName, nullptr };
    const pid_t child = RawFork();
    if (child == 0) {
        execv(program, const_cast<char* const*>(args));
        _exit(127);
    }
    if (child < 0)
        return;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

void CrashCatcher::OnSignal(int signal, siginfo_t* info, void* context)
{
    CrashCatcher& self = gCrashCatcher;
    static std::atomic<bool> inside { false };
    if (!inside.exchange(true)) {
        // The game goes quiet and its window leaves the screen first.
        if (gKivoApp)
            gKivoApp->OnCrash();
        Fault fault;
        fault.code = CodeForSignal(signal, info ? info->si_code : 0);
        fault.address = info ? reinterpret_cast<uintptr_t>(info->si_addr) : 0;
        fault.threadId = uint32_t(syscall(SYS_gettid));
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
            // The address of an exception is where the faulting
            // instruction lies, whatever address it touched.
            fault.address = fault.rip;
            // The unwinder trusts the stack it reads: should a damaged
            // stack make it fault, the process ends at once. A report with
            // the frame-pointer walk is on disk before it starts.
            self.WriteCrashFile(fault);
            fault.stackDepth = UnwindFromSignal(fault.rip, gStack, kMaxFrames);
            fault.stack = gStack;
        }
#endif
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
