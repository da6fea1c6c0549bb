#include "platform/Backend.h"
#include "platform/Paths.h"
#include "platform/StopSignal.h"
#include "platform/Windows.h"
#include "platform/headless/HeadlessBackend.h"
#include "tests/support/ShownDebugOutput.h"
#include "tests/support/TempDir.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace {

platform::HeadlessBackend& Headless()
{
    EXPECT_TRUE(platform::UseBackend("headless"));
    return *platform::HeadlessBackend::Current();
}

TEST(Backend, TableChoosesByNameAndDefaultsToSystem)
{
    // Until a backend is chosen the system one serves: seen in a fresh
    // process, since the tests before this one may have chosen one.
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(std::strcmp(platform::CurrentBackend().Name(), "system") == 0 ? 0 : 1),
                testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, style);

    for (const char* name : {"system", "headless"}) {
        EXPECT_TRUE(platform::UseBackend(name));
        EXPECT_STREQ(platform::CurrentBackend().Name(), name);
        platform::Backend* chosen = &platform::CurrentBackend();
        EXPECT_FALSE(platform::UseBackend("no-such-backend"));
        EXPECT_EQ(&platform::CurrentBackend(), chosen);
    }
}

// Each message is a line of its own, as a debugger lists them, so that one
// without a line break does not run into what follows on the terminal.
TEST(DebugOutput, EachMessageEndsItsLine)
{
    testsupport::ShownDebugOutput shown;
    testing::internal::CaptureStderr();
    OutputDebugStringA("theParamName = \"-windowed\"");
    OutputDebugStringA("Draw Time = 5\r\n");
    OutputDebugStringA("");
    OutputDebugStringA(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "theParamName = \"-windowed\"\nDraw Time = 5\r\n\n");
}

// A release run keeps the developer's output off the terminal unless asked.
TEST(DebugOutput, SaysNothingWhileNotShown)
{
    testsupport::ShownDebugOutput restored;
    platform::ShowDebugOutput(false);
    testing::internal::CaptureStderr();
    OutputDebugStringA("Avg FPS = 60\r\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    platform::ShowDebugOutput(true);
    testing::internal::CaptureStderr();
    OutputDebugStringA("Avg FPS = 60\r\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Avg FPS = 60\r\n");
}

TEST(Time, TickCountsFollowTheClockAndWrapAt32Bits)
{
    auto& clock = Headless().clock;
    clock.SetMicros((uint64_t(1) << 32) * 1000 - 5000); // 5 ms before the wrap
    DWORD before = GetTickCount();
    EXPECT_EQ(before, 0xFFFFFFFBu);
    EXPECT_EQ(timeGetTime(), before);
    clock.AdvanceMillis(10);
    DWORD after = GetTickCount();
    EXPECT_EQ(after, 5u);
    EXPECT_EQ(after - before, 10u); // unsigned difference survives the wrap
}

TEST(Time, SleepAdvancesTheHeadlessClockAndCounterMatchesFrequency)
{
    auto& backend = Headless();
    LARGE_INTEGER freq, c0, c1;
    ASSERT_TRUE(QueryPerformanceFrequency(&freq));
    ASSERT_TRUE(QueryPerformanceCounter(&c0));
    DWORD t0 = GetTickCount();
    Sleep(250);
    ASSERT_TRUE(QueryPerformanceCounter(&c1));
    EXPECT_EQ(GetTickCount() - t0, 250u);
    EXPECT_EQ((c1.QuadPart - c0.QuadPart) * 1000 / freq.QuadPart, 250);
    EXPECT_EQ(backend.clock.SleptMillis(), 250u);
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
}

TEST(Time, SystemClockIsMonotonicAndSleeps)
{
    DWORD t0 = GetTickCount();
    Sleep(20);
    EXPECT_GE(GetTickCount() - t0, 19u);
}

TEST(Time, TimerPeriodsNest)
{
    EXPECT_EQ(timeBeginPeriod(0), TIMERR_NOCANDO);
    EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
    EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
    EXPECT_EQ(platform::TimerPeriodDepth(), 2);
    EXPECT_EQ(timeEndPeriod(1), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(1), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(1), TIMERR_NOCANDO);
    EXPECT_EQ(platform::TimerPeriodDepth(), 0);
}

TEST(Sync, CriticalSectionIsRecursiveAndExcludesOtherThreads)
{
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EnterCriticalSection(&cs); // the owner may enter again

    std::atomic<bool> entered { false };
    std::thread other([&] {
        EnterCriticalSection(&cs);
        entered = true;
        LeaveCriticalSection(&cs);
    });
    LeaveCriticalSection(&cs);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(entered); // still held once
    LeaveCriticalSection(&cs);
    other.join();
    EXPECT_TRUE(entered);
    DeleteCriticalSection(&cs);
}

TEST(Sync, BeginThreadRunsTheProcedureWithItsArgument)
{
    struct Shared {
        std::atomic<int> value { 0 };
        std::atomic<DWORD> thread { 0 };
    } shared;
    uintptr_t handle = _beginthread(
        [](void* p) {
            auto* s = static_cast<Shared*>(p);
            s->thread = GetCurrentThreadId();
            s->value = 42;
        },
        0, &shared);
    ASSERT_NE(handle, static_cast<uintptr_t>(-1));
    for (int i = 0; i < 10000 && shared.value != 42; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(shared.value, 42);
    EXPECT_NE(shared.thread, GetCurrentThreadId());
    EXPECT_EQ(_beginthread(nullptr, 0, nullptr), static_cast<uintptr_t>(-1));
}

TEST(Paths, DiskPathMatchesEachComponentWithoutCase)
{
    testsupport::TempDir dir;
    dir.Write("Data/Images/Brick.PNG", "x");
    dir.Write("Data/case/a.txt", "lower");
    dir.Write("Data/CASE/a.txt", "upper");

    struct Row {
        std::string in, out;
    } rows[] = {
        { "\\data\\images\\brick.png", "/Data/Images/Brick.PNG" },
        { "/Data/Images/Brick.PNG", "/Data/Images/Brick.PNG" },
        { "\\DATA\\images\\\\Brick.png", "/Data/Images/Brick.PNG" },
        { "\\data\\case\\a.txt", "/Data/case/a.txt" }, // the exact name wins
        { "\\data\\images\\new.png", "/Data/Images/new.png" }, // missing file kept as written
        { "\\data\\Missing\\Sub\\x.png", "/Data/Missing/Sub/x.png" },
    };
    for (const Row& row : rows)
        EXPECT_EQ(platform::DiskPath(dir.Path() + row.in), dir.Path() + row.out) << row.in;
    EXPECT_EQ(platform::DiskPath(""), "");
}

TEST(Paths, RelativePathsResolveFromTheWorkingFolder)
{
    testsupport::TempDir dir;
    dir.Write("Sub/File.txt", "x");
    auto saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    EXPECT_EQ(platform::DiskPath("sub\\file.TXT"), "Sub/File.txt");
    EXPECT_EQ(platform::DiskPath(".\\sub\\..\\SUB\\file.txt"), "./Sub/../Sub/File.txt");
    std::filesystem::current_path(saved);
}

TEST(MessageBox, ButtonsAndDefaultAnswers)
{
    struct Row {
        UINT type;
        int answer;
        int onStop; // Cancel where the box has it, else the default
    } rows[] = {
        { MB_OK, IDOK, IDOK },
        { MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL, IDCANCEL },
        { MB_OKCANCEL, IDOK, IDCANCEL },
        { MB_YESNO, IDYES, IDYES },
        { MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION, IDNO, IDNO },
        { MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL, IDCANCEL },
        { MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY, IDRETRY },
        { MB_RETRYCANCEL | MB_DEFBUTTON3, IDRETRY, IDCANCEL }, // past the last button: the first
        { 0xE, IDOK, IDOK },
    };
    for (const Row& row : rows) {
        EXPECT_EQ(platform::MessageBoxDefaultAnswer(row.type), row.answer) << std::hex << row.type;
        EXPECT_EQ(platform::MessageBoxStopAnswer(row.type), row.onStop) << std::hex << row.type;
    }
}

TEST(MessageBox, APendingStopAnswersWithoutWaitingForAnyone)
{
    platform::CatchStopSignals();
    auto& boxes = Headless().boxes;
    boxes.Script({ IDOK });
    raise(SIGTERM); // caught: recorded for whoever waits
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "main.pak is missing.", "Marrowfen", MB_OKCANCEL), IDCANCEL);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("[Marrowfen] main.pak is missing."), std::string::npos);
    EXPECT_TRUE(boxes.TakeShown().empty());
    platform::ClearStopSignal();
    EXPECT_EQ(MessageBoxA(nullptr, "Again", "Marrowfen", MB_OKCANCEL), IDOK); // the script's answer is still there
    EXPECT_EQ(boxes.TakeShown().size(), 1u);
    for (int signal : { SIGHUP, SIGTERM, SIGINT })
        std::signal(signal, SIG_DFL);
}

// An error box is said on stderr as well, once, whether or not it could be
// shown; other boxes only when nobody saw them.
TEST(MessageBox, ErrorBoxesAreSaidOnStderrOnce)
{
    auto& boxes = Headless().boxes;
    testing::internal::CaptureStderr();
    MessageBoxA(nullptr, "other.pak is damaged.", "FATAL ERROR", MB_OK | MB_ICONERROR);
    MessageBoxA(nullptr, "Quit?", "Marrowfen", MB_YESNO);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[FATAL ERROR] other.pak is damaged.\n");
    EXPECT_EQ(boxes.TakeShown().size(), 2u);

    platform::UseBackend("system"); // shows nothing
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "other.pak is damaged.", "FATAL ERROR", MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "Quit?", "Marrowfen", MB_YESNO), IDYES);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
        "[FATAL ERROR] other.pak is damaged.\n[Marrowfen] Quit?\n");
    platform::UseBackend("headless");
}

TEST(MessageBox, HeadlessAnswersFromTheScriptThenWithTheDefault)
{
    auto& boxes = Headless().boxes;
    boxes.Script({ IDNO });
    EXPECT_EQ(MessageBoxA(nullptr, "Quit?", "Marrowfen", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "Quit?", "Marrowfen", MB_YESNO), IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, "Failed", nullptr, MB_OK | MB_ICONERROR), IDOK);
    auto shown = boxes.TakeShown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, "Quit?");
    EXPECT_EQ(shown[2].caption, "Error");
    EXPECT_EQ(shown[2].type, MB_OK | MB_ICONERROR);
}

int Answer()
{
    return 7;
}

TEST(Modules, RegisteredFunctionsAreFoundByName)
{
    platform::RegisterModuleFunction("TestLib.dll", "Answer", &Answer);
    HMODULE a = LoadLibraryA("C:\\Windows\\System32\\TESTLIB.DLL");
    HMODULE b = LoadLibraryA("testlib");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(platform::ModuleLoadCount("testlib.dll"), 2);

    auto fn = reinterpret_cast<int (*)()>(GetProcAddress(a, "Answer"));
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(fn(), 7);
    EXPECT_EQ(GetProcAddress(a, "answer"), nullptr); // function names keep their case
    EXPECT_EQ(GetProcAddress(a, "Missing"), nullptr);
    EXPECT_EQ(LoadLibraryA("nothere.dll"), nullptr);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);

    EXPECT_TRUE(FreeLibrary(a));
    EXPECT_TRUE(FreeLibrary(b));
    EXPECT_FALSE(FreeLibrary(b));
    EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST(Modules, RemovedEntriesReachTheFailurePaths)
{
    platform::RegisterModuleFunction("gone.dll", "F", &Answer);
    platform::RegisterModuleFunction("gone.dll", "G", &Answer);
    HMODULE m = LoadLibraryA("gone.dll");
    ASSERT_NE(m, nullptr);
    platform::UnregisterModuleFunction("gone.dll", "F");
    EXPECT_EQ(GetProcAddress(m, "F"), nullptr);
    EXPECT_NE(GetProcAddress(m, "G"), nullptr);
    platform::UnregisterModule("GONE.DLL");
    EXPECT_EQ(GetProcAddress(m, "G"), nullptr); // the old handle stays safe to use
    EXPECT_EQ(LoadLibraryA("gone.dll"), nullptr);
    platform::RegisterModuleFunction("gone.dll", "G", &Answer);
    EXPECT_EQ(LoadLibraryA("gone.dll"), m);
}

} // namespace
