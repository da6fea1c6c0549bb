#pragma once
// Catches fatal signals (a bad address, an illegal instruction, a
// floating-point or bus fault, an abort) on any thread. The handler does only
// what is safe inside a signal: it formats the report with its own number
// formatting into a fixed buffer, from values gathered beforehand by Prepare
// and from the fault itself, writes "crash.txt" and a recorded demo with
// plain system calls, and starts the program again as a fresh report process
// (RunCrashReport) that shows the report and may send it, waiting until that
// process ends. Then the signal goes on to whoever handled it before, so the
// process still ends as it would have. Faults are named with the Windows
// exception codes the reports have always used.
#include "framework/app/HTTPTransfer.h"

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Kivo {

class KivoAppBase;

class CrashCatcher {
public:
    // A frame of the call stack: its program counter and its frame address.
    struct StackFrame {
        uintptr_t pc = 0;
        uintptr_t frame = 0;
    };
    // What a fault leaves: code, faulting address, thread and registers.
    struct Fault {
        uint32_t code = 0;
        uintptr_t address = 0;
        uint32_t threadId = 0;
        uint64_t rax = 0, rbx = 0, rcx = 0, rdx = 0, rsi = 0, rdi = 0;
        uint64_t rip = 0, rsp = 0, rbp = 0;
        uint32_t cs = 0, fs = 0, gs = 0, flags = 0;
        // The call stack from the faulting instruction up, as the unwinder
        // found it; without one the report follows saved frame pointers.
        const StackFrame* stack = nullptr;
        int stackDepth = 0;
    };
    // Where an address lies: the module's file, the 1-based number of its
    // mapping among the module's mappings and the offset in it; 0 and 0 when
    // none holds it.
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
    // The frames from the point of a fault up, unwound from a signal
    // handler running for it (through the signal's own frame) with the
    // program's unwind tables, which hold where frame pointers are not kept.
    // Starts at the frame whose program counter is `faultPc`; 0 frames when
    // the walk does not pass it. Safe inside a signal handler.
    static int UnwindFromSignal(uintptr_t faultPc, StackFrame* frames, int capacity);
    static bool Readable(uintptr_t address, size_t size);
    // Writes through a null pointer, to try the catcher ("-crash").
    [[noreturn]] static void Provoke();

    // Gathers what a report needs of the application ahead of any crash:
    // where "crash.txt" goes (the data folder, created here), the product
    // and company texts, the extra crash file, the submit host, and for a demo being
    // recorded its file's name and header. Call again after changing any of
    // them; Init calls it once the application is set up.
    void Prepare(KivoAppBase* app);
    // The full path "crash.txt" is written to.
    const char* CrashFilePath() const { return mCrashPath; }

    // The report of a fault: sets errorTitle and errorText.
    void MakeReport(const Fault& fault, ReadableFn readable = &Readable);
    // Inside the signal handler: report, "crash.txt", demo, report process.
    void HandleCrash(const Fault& fault);
    // The multipart request that carries the report to submitHost.
    std::string BuildSubmitRequest() const;
    // Sends the report to submitHost on the transfer's own thread.
    void SubmitReport();

    std::string errorTitle;
    std::string errorText;
    std::string userText;
    std::string demoPath;
    bool sendDemo = false;
    std::string submitHost;
    bool showDialog = true;
    bool allowSubmit = true;
    HTTPTransfer transfer;
    // The program started as the report process; the running program by
    // default.
    std::string reportProgram = "/proc/self/exe";

    static constexpr const char* kBoundary = "---------------------------7d3e1f30eec";
    // The first argument of a report process.
    static constexpr const char* kReportArg = "-kivo-crash-report";

private:
    static void OnSignal(int signal, siginfo_t* info, void* context);
    // Writes the report into `out` (at most `capacity` bytes, no
    // terminator) and the title into `title`; returns the report's length.
    size_t FormatReport(const Fault& fault, ReadableFn readable, char* out, size_t capacity, char* title,
                        size_t titleCapacity) const;
    // Formats the report and writes "crash.txt"; false when it could not.
    bool WriteCrashFile(const Fault& fault);
    void WriteDemo(KivoAppBase& app);
    void StartReportProcess(const char* title);
    static const int kSignals[6];
    struct sigaction previous[6] {};
    bool installed = false;

    // Gathered by Prepare; read by the handler without allocating.
    char mCrashPath[4096] = "crash.txt";
    char mProductName[256] = "";
    char mProductVersion[256] = "";
    char mCompanyName[256] = "";
    char mSubmitHost[256] = "";
    char mDemoName[4096] = "";
    char mDemoDiskPath[4096] = "";
    char mExtraPath[4096] = "";
    uint32_t mMainThreadId = 0;
    uint32_t mStartTime = 0;
    bool mPrepared = false;
    // The demo file up to its update count, for the recording in progress.
    std::vector<uint8_t> mDemoHeader;
};

// The report process: when argv names a report (kReportArg, then the
// arguments the handler passes), shows the report's windows until the user
// is done and returns 0; otherwise returns -1 at once. The program's entry
// calls it first, after choosing its backend.
int RunCrashReport(int argc, char** argv);

} // namespace Kivo
