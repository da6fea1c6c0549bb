#pragma once
// Catches fatal signals (a bad address, an illegal instruction, a
// floating-point or bus fault, an abort) on any thread, writes a plain-text
// report of what happened to "crash.txt", puts it on the clipboard, ends a
// running demo recording and hands the signal on to whoever handled it
// before, so the process still ends as it would have. Faults are named with
// the Windows exception codes the reports have always used.
#include "framework/app/HTTPTransfer.h"

#include <csignal>
#include <cstdint>
#include <string>

namespace Kivo {

class CrashCatcher {
public:
    // What a fault leaves: code, faulting address, thread and registers.
    struct Fault {
        uint32_t code = 0;
        uintptr_t address = 0;
        uint32_t threadId = 0;
        uint64_t rax = 0, rbx = 0, rcx = 0, rdx = 0, rsi = 0, rdi = 0;
        uint64_t rip = 0, rsp = 0, rbp = 0;
        uint32_t cs = 0, fs = 0, gs = 0, flags = 0;
    };
    // Where an address lies: the module's file, the 1-based number of its
    // loaded segment and the offset in it; 0 and 0 when none holds it.
    struct LogicalAddress {
        std::string module;
        int section = 0;
        uintptr_t offset = 0;
    };
    using ReadableFn = bool (*)(uintptr_t address, size_t size);

    CrashCatcher();
    ~CrashCatcher();
    CrashCatcher(const CrashCatcher&) = delete;
    CrashCatcher& operator=(const CrashCatcher&) = delete;

    // The one catcher, installed by static initialisation.
    static CrashCatcher& Instance();

    static const char* ExceptionName(uint32_t code);
    static uint32_t CodeForSignal(int signal, int signalCode);
    static LogicalAddress GetLogicalAddress(uintptr_t address);
    // Follows saved frame pointers from (pc, frame): one line per frame;
    // stops at a frame pointer that is not 4-aligned, does not go up the
    // stack, or whose two words cannot be read.
    static std::string FrameWalk(uintptr_t pc, uintptr_t frame, ReadableFn readable, int maxFrames = 1000);
    static bool Readable(uintptr_t address, size_t size);

    // The report of a fault: sets errorTitle and errorText.
    void MakeReport(const Fault& fault, ReadableFn readable = &Readable);
    // Report, clipboard, "crash.txt", demo, window.
    void HandleCrash(const Fault& fault);
    // The multipart request that carries the report to submitHost.
    std::string BuildSubmitRequest() const;
    void SubmitReport();

    std::string errorTitle;
    std::string errorText;
    std::string userText;
    std::string demoPath;
    bool sendDemo = false;
    std::string submitHost;
    bool showDialog = true;
    bool allowSubmit = true;
    bool exitLoop = false;
    HTTPTransfer transfer;
    // Shows the error window (CrashErrorWindow::Show); replaceable.
    void (*showErrorDialog)(CrashCatcher& catcher);

    static constexpr const char* kBoundary = "---------------------------7d3e1f30eec";

private:
    static void OnSignal(int signal, siginfo_t* info, void* context);
    static const int kSignals[6];
    struct sigaction previous[6] {};
    bool installed = false;
};

} // namespace Kivo
