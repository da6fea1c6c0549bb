#include "framework/app/CrashCatcher.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using Kivo::CrashCatcher;

namespace {

TEST(CrashCatcher, FirstLineNamesTheFault)
{
    CrashCatcher c;
    CrashCatcher::Fault f;
    f.code = CrashCatcher::CodeForSignal(SIGSEGV, SEGV_MAPERR);
    f.address = 0xBEEF;
    f.threadId = 0x2A;
    c.MakeReport(f);
    EXPECT_EQ(c.errorText.rfind("Exception: Access Violation (code 0xc0000005) at address 0000BEEF in thread 2A\r\n"
                                "Module: \r\nLogical Address: 0000:00000000\r\n\r\n",
                  0),
        0u)
        << c.errorText;
    EXPECT_EQ(c.errorTitle, "Exception at 0000:00000000");

    f.code = 0x12345678;
    c.MakeReport(f);
    EXPECT_EQ(c.errorText.rfind("Unknown exception: (code 0x12345678) at address 0000BEEF in thread 2A\r\n", 0), 0u);

    EXPECT_STREQ(CrashCatcher::ExceptionName(CrashCatcher::CodeForSignal(SIGFPE, FPE_INTDIV)), "Integer Divide by Zero");
    EXPECT_STREQ(CrashCatcher::ExceptionName(CrashCatcher::CodeForSignal(SIGILL, ILL_ILLOPC)), "Illegal Instruction");
    EXPECT_EQ(CrashCatcher::ExceptionName(CrashCatcher::CodeForSignal(SIGABRT, 0)), nullptr);
}

TEST(CrashCatcher, ModuleAndSegmentOfACodeAddress)
{
    const auto where = CrashCatcher::GetLogicalAddress(reinterpret_cast<uintptr_t>(&CrashCatcher::ExceptionName));
    EXPECT_NE(where.module, "");
    EXPECT_GT(where.section, 0);
}

// A stack of saved frame pointers in an array: frame i holds the next frame
// and a return address.
uintptr_t gStack[16];
bool InFakeStack(uintptr_t address, size_t size)
{
    auto start = reinterpret_cast<uintptr_t>(gStack);
    return address >= start && address + size <= start + sizeof gStack;
}

TEST(CrashCatcher, FrameWalkStopsAtABadFramePointer)
{
    struct {
        const char* name;
        uintptr_t lastLink; // what the third frame points to
        int lines;
    } cases[] = {
        { "downwards", reinterpret_cast<uintptr_t>(&gStack[0]), 3 },
        { "unaligned", reinterpret_cast<uintptr_t>(&gStack[10]) + 2, 3 },
        { "unreadable", 0x10, 3 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        gStack[0] = reinterpret_cast<uintptr_t>(&gStack[4]);
        gStack[1] = 0x1111;
        gStack[4] = reinterpret_cast<uintptr_t>(&gStack[8]);
        gStack[5] = 0x2222;
        gStack[8] = c.lastLink;
        gStack[9] = 0x3333;
        const std::string walk =
            CrashCatcher::FrameWalk(0x1000, reinterpret_cast<uintptr_t>(&gStack[0]), &InFakeStack);
        EXPECT_EQ(std::count(walk.begin(), walk.end(), '\n'), c.lines) << walk;
        EXPECT_EQ(walk.rfind("00001000  ", 0), 0u);
        EXPECT_NE(walk.find("\r\n00002222  "), std::string::npos);
    }
    gStack[8] = reinterpret_cast<uintptr_t>(&gStack[8]) + 2 * sizeof(uintptr_t);
    gStack[10] = reinterpret_cast<uintptr_t>(&gStack[12]);
    gStack[12] = reinterpret_cast<uintptr_t>(&gStack[14]);
    gStack[14] = 0;
    const std::string capped = CrashCatcher::FrameWalk(0x1000, reinterpret_cast<uintptr_t>(&gStack[0]), &InFakeStack, 2);
    EXPECT_EQ(std::count(capped.begin(), capped.end(), '\n'), 2);
}

TEST(CrashCatcher, ReportRequestIsAMultipartForm)
{
    CrashCatcher c;
    c.errorTitle = "Exception at 0001:00000010";
    c.errorText = "text";
    c.submitHost = "reports.example:8080";
    const std::string request = c.BuildSubmitRequest();
    const size_t bodyAt = request.find("\r\n\r\n") + 4;
    const std::string body = request.substr(bodyAt);
    EXPECT_NE(request.find("\r\nHost: reports.example:8080\r\n"), std::string::npos);
    EXPECT_NE(request.find("\r\nContent-Length: " + std::to_string(body.size()) + "\r\n"), std::string::npos);
    EXPECT_NE(body.find("name=\"usertext\"\r\n\r\n\r\n--"), std::string::npos) << "empty user text keeps its part";
    EXPECT_NE(body.find("name=\"errortitle\"\r\n\r\nException at 0001:00000010\r\n"), std::string::npos);
    EXPECT_EQ(body.find("demofile"), std::string::npos);
    const std::string closing = std::string("\r\n--") + CrashCatcher::kBoundary + "--\r\n";
    EXPECT_EQ(body.substr(body.size() - closing.size()), closing);

    testsupport::TempDir dir;
    c.demoPath = dir.Write("run.dmo", std::string("D\0MO", 4));
    c.sendDemo = true;
    EXPECT_NE(c.BuildSubmitRequest().find(
                  "filename=\"kivo.dmo\"\r\nContent-Type: application/octet-stream\r\n\r\n" + std::string("D\0MO", 4) + "\r\n"),
        std::string::npos);
}

TEST(CrashCatcher, SubmitsToTheSetHostOnly)
{
    CrashCatcher c;
    c.errorText = "report";
    c.SubmitReport(); // no host: nothing is sent
    EXPECT_EQ(c.transfer.result, Kivo::HTTPTransfer::RESULT_NOT_STARTED);

    test::LoopbackServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    c.submitHost = "127.0.0.1:" + std::to_string(server.Port());
    c.SubmitReport();
    for (int i = 0; i < 500 && c.transfer.busy; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(c.transfer.result, Kivo::HTTPTransfer::RESULT_DONE);
    EXPECT_EQ(server.Request(), c.BuildSubmitRequest());
}

// Waits (bounded) for a forked child; false when it had to be killed.
bool Reap(pid_t child, int& status)
{
    pid_t done = 0;
    for (int i = 0; i < 3000 && done == 0; ++i) {
        done = waitpid(child, &status, WNOHANG);
        if (done == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (done != 0)
        return true;
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return false;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A report process that notes its arguments, and whether the crashed
// process is still there waiting for it.
std::string WriteReportScript(testsupport::TempDir& dir)
{
    const std::string script = dir.Write("report.sh",
        "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + dir.Path() + "/args.txt\"\n"
        "kill -0 $PPID && echo waiting > \"" + dir.Path() + "/parent.txt\"\n");
    chmod(script.c_str(), 0755);
    return script;
}

// The installed catcher in a child that faults: the report is on disk, the
// report process started and was waited for, and the child still dies of
// its signal.
TEST(CrashCatcher, FatalSignalWritesCrashTxtAndStartsTheReportProcess)
{
    testsupport::TempDir dir;
    const std::string script = WriteReportScript(dir);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (chdir(dir.Path().c_str()) != 0)
            _exit(2);
        // The sanitizer's own report of the signal, handed on, is expected.
        if (!std::freopen("/dev/null", "w", stderr))
            _exit(2);
        // Unprepared: the report goes to the working folder.
        CrashCatcher::Instance().Prepare(nullptr);
        CrashCatcher::Instance().reportProgram = script;
        CrashCatcher::Provoke();
    }
    int status = 0;
    ASSERT_TRUE(Reap(child, status)) << "the child did not end";
    EXPECT_FALSE(WIFEXITED(status) && (WEXITSTATUS(status) == 3 || WEXITSTATUS(status) == 0));
    const std::string text = ReadFile(dir / "crash.txt");
    EXPECT_EQ(text.rfind("Exception: Access Violation (code 0xc0000005) at address ", 0), 0u) << text;
    EXPECT_NE(text.find("\r\nRIP:"), std::string::npos);
    EXPECT_NE(text.find("\r\nSystem: "), std::string::npos);
    EXPECT_EQ(text.find("Product: "), std::string::npos) << "no application object";
    EXPECT_EQ(text.back(), '\n');
    const std::string module = text.substr(text.find("Module: ") + 8);
    EXPECT_EQ(module.rfind("test_app\r\n", 0), 0u) << "the crash is in the test's own code";

    const std::string title = text.substr(text.find("Logical Address: ") + 17, 13);
    EXPECT_EQ(ReadFile(dir / "args.txt"),
        std::string(CrashCatcher::kReportArg) + "\ncrash.txt\nException at " + title + "\n\n0\n\n1\n\n\n0\n\n");
    EXPECT_EQ(ReadFile(dir / "parent.txt"), "waiting\n");
}

// Three calls, each in a section of its own so that the test knows where
// each function's code begins and ends; the third aborts inside the C
// library, whose code keeps no frame pointers.
volatile int gDepth = 0;
extern "C" {
extern const char __start_kivo_crash_first[], __stop_kivo_crash_first[];
extern const char __start_kivo_crash_second[], __stop_kivo_crash_second[];
extern const char __start_kivo_crash_third[], __stop_kivo_crash_third[];
}
__attribute__((noinline, section("kivo_crash_third"))) void AbortThird()
{
    gDepth = 3;
    std::abort();
}
__attribute__((noinline, section("kivo_crash_second"))) void CallSecond()
{
    AbortThird();
    gDepth = 2;
}
__attribute__((noinline, section("kivo_crash_first"))) void CallFirst()
{
    CallSecond();
    gDepth = 1;
}

// The program counters of the report's stack trace.
std::vector<uintptr_t> StackTracePcs(const std::string& report)
{
    std::vector<uintptr_t> pcs;
    size_t at = report.find("\r\n\r\n", report.find("Logical Address: "));
    const size_t end = report.find("\r\n\r\n", at + 4);
    for (at += 4; at < end; at = report.find("\r\n", at) + 2)
        pcs.push_back(std::strtoull(report.c_str() + at, nullptr, 16));
    return pcs;
}

TEST(CrashCatcher, TheStackTraceHoldsTheProgramsOwnFrames)
{
    testsupport::TempDir dir;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (chdir(dir.Path().c_str()) != 0 || !std::freopen("/dev/null", "w", stderr))
            _exit(2);
        CrashCatcher::Instance().Prepare(nullptr);
        CrashCatcher::Instance().showDialog = false;
        CallFirst();
        _exit(3);
    }
    int status = 0;
    ASSERT_TRUE(Reap(child, status)) << "the child did not end";
    const std::string text = ReadFile(dir / "crash.txt");
    const std::vector<uintptr_t> pcs = StackTracePcs(text);
    const struct {
        const char* name;
        const char* start;
        const char* stop;
    } functions[] = {
        { "AbortThird", __start_kivo_crash_third, __stop_kivo_crash_third },
        { "CallSecond", __start_kivo_crash_second, __stop_kivo_crash_second },
        { "CallFirst", __start_kivo_crash_first, __stop_kivo_crash_first },
    };
    for (const auto& f : functions) {
        // A return address lies after its call, at most at the function's
        // end when the call does not return.
        const bool listed = std::any_of(pcs.begin(), pcs.end(), [&](uintptr_t pc) {
            return pc > reinterpret_cast<uintptr_t>(f.start) && pc <= reinterpret_cast<uintptr_t>(f.stop);
        });
        EXPECT_TRUE(listed) << f.name << "\n" << text;
    }
    EXPECT_NE(text.find(" test_app\r\n"), std::string::npos) << "frames name their module";
}

// A report that cannot be written (a folder stands where crash.txt goes)
// is said on stderr, from within the signal handler.
TEST(CrashCatcher, AReportThatCannotBeWrittenSaysSo)
{
    testsupport::TempDir dir;
    std::filesystem::create_directory(dir / "crash.txt");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (chdir(dir.Path().c_str()) != 0 || !std::freopen((dir / "stderr.txt").c_str(), "w", stderr))
            _exit(2);
        CrashCatcher::Instance().Prepare(nullptr);
        CrashCatcher::Instance().showDialog = false;
        CrashCatcher::Provoke();
    }
    int status = 0;
    ASSERT_TRUE(Reap(child, status)) << "the child did not end";
    const std::string err = ReadFile(dir / "stderr.txt");
    EXPECT_NE(err.find("Crash report not written: cannot write crash.txt\n"), std::string::npos) << err;
}

} // namespace

#include "framework/app/CrashErrorWindow.h"
#include "framework/app/DemoDialogs.h"
#include "platform/audio/Mixer.h"
#include "platform/ddraw/DDraw.h"
#include "platform/win32/Modules.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/EditWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/framework/app/AppFixture.h"

namespace {

using Kivo::CrashReportWindows;
using Kivo::Dialog;

class CrashReport : public apptest::AppTest {
protected:
    void SetUp() override
    {
        apptest::AppTest::SetUp();
        setenv("XDG_DATA_HOME", (dataDir.Path() + "/").c_str(), 1);
        MakeApp(true);
        unsetenv("XDG_DATA_HOME");
    }
    void TearDown() override
    {
        CrashCatcher::Instance().Prepare(nullptr);
        apptest::AppTest::TearDown();
    }
    Dialog* Showing(CrashReportWindows& w) { return app->GetDialog(w.Showing()); }
    void Press(CrashReportWindows& w, int button)
    {
        Dialog* d = Showing(w);
        ASSERT_NE(d, nullptr);
        d->ButtonDepress(button);
    }
    // Runs the progress window's updates until the flow moves on.
    void Progress(CrashReportWindows& w)
    {
        for (int i = 0; i < 3000 && w.Showing() == Kivo::CrashProgressWindow::kWindowId; ++i) {
            Showing(w)->Update();
            if (w.catcher.transfer.busy)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    testsupport::TempDir dataDir;
};

// A crash while a demo is recorded, in a child: "crash.txt" in the data
// folder with the application's lines, and the demo file with the events so
// far and a filler event at the crash's update.
TEST_F(CrashReport, CrashWhileRecordingWritesTheReportAndTheDemo)
{
    testsupport::TempDir dir;
    const std::string script = WriteReportScript(dir);
    app->demoRecording = true;
    app->demoFileName = dir.Path() + "/run.dmo";
    app->updateCount = 3;
    app->RecordDemoCommand(Kivo::kDemoLoadingDone);
    app->updateCount = 40; // two fillers of 15, then the delta 7
    CrashCatcher& catcher = CrashCatcher::Instance();
    catcher.Prepare(app.get());
    const std::string crashPath = catcher.CrashFilePath();
    EXPECT_EQ(crashPath, dataDir.Path() + "/Olvane Studio/" + app->productName + "/crash.txt");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!std::freopen("/dev/null", "w", stderr))
            _exit(2);
        catcher.reportProgram = script;
        CrashCatcher::Provoke();
    }
    int status = 0;
    ASSERT_TRUE(Reap(child, status));
    const std::string text = ReadFile(crashPath);
    EXPECT_NE(text.find("\r\n\r\nProduct: " + app->productName + "\r\nVersion: " + app->productVersion
                  + "\r\nTime Loaded: 00:00:00\r\nFullscreen: No\r\nPrimary ThreadId: "),
        std::string::npos)
        << text;
    const std::string args = ReadFile(dir / "args.txt");
    EXPECT_NE(args.find("\n" + app->demoFileName + "\n1\n"), std::string::npos) << args;
    EXPECT_EQ(args.substr(args.size() - 17), "\n1\nOlvane Studio\n") << "the application object existed";

    const std::string bytes = ReadFile(app->demoFileName);
    Kivo::DemoFile demo;
    std::string error;
    ASSERT_TRUE(Kivo::DecodeDemoFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
        app->productVersion, demo, error))
        << error;
    EXPECT_EQ(demo.endUpdate, 40);
    Kivo::Buffer events;
    events = demo.events;
    events.SeekFront();
    const struct {
        uint32_t delta, command;
    } expected[] = { { 3, Kivo::kDemoLoadingDone }, { 15, 31 }, { 15, 31 }, { 7, 31 } };
    for (const auto& e : expected) {
        EXPECT_EQ(events.ReadNumBits(4, false), e.delta);
        EXPECT_EQ(events.ReadNumBits(1, false), 0u);
        EXPECT_EQ(events.ReadNumBits(5, false), e.command);
    }
    EXPECT_EQ(events.bitSize - events.readPos, 0) << "a whole number of bytes, nothing after the crash's event";
}

// A crash in a child playing a sound in its shown window: once the report
// process runs, the next buffer the sound device pulls is silent and the
// window is hidden. A thread of the child looks while the report process
// waits for it.
TEST_F(CrashReport, ACrashSilencesTheSoundAndHidesTheWindow)
{
    testsupport::TempDir dir;
    const std::string script = dir.Write("report.sh",
        "#!/bin/sh\ntouch \"" + dir.Path() + "/started\"\n"
        "while [ ! -e \"" + dir.Path() + "/looked\" ]; do sleep 0.01; done\n");
    chmod(script.c_str(), 0755);
    platform::audio::Mixer mixer(&backend->audio);
    auto pcm = std::make_shared<platform::audio::PcmData>();
    pcm->format = { 1, 16, 44100 };
    pcm->bytes.assign(4096, 0x40);
    auto voice = mixer.CreateVoice(pcm);
    voice->Play(true);
    std::vector<int16_t> buffer(2 * 512);
    auto silent = [&] {
        backend->audio.Render(buffer.data(), 512);
        return std::all_of(buffer.begin(), buffer.end(), [](int16_t v) { return v == 0; });
    };
    ShowWindow(app->hwnd, SW_SHOW);
    ASSERT_FALSE(silent());
    ASSERT_TRUE(backend->windows.visible);
    CrashCatcher& catcher = CrashCatcher::Instance();
    catcher.Prepare(app.get());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!std::freopen("/dev/null", "w", stderr))
            _exit(2);
        catcher.reportProgram = script;
        std::thread([&] {
            for (int i = 0; i < 3000 && !std::filesystem::exists(dir / "started"); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::ofstream(dir / "seen.txt") << (silent() ? "silent" : "sounding")
                                            << (backend->windows.visible ? " shown" : " hidden");
            std::ofstream(dir / "looked").put('\n');
        }).detach();
        CrashCatcher::Provoke();
    }
    int status = 0;
    ASSERT_TRUE(Reap(child, status));
    EXPECT_EQ(ReadFile(dir / "seen.txt"), "silent hidden");
}

// The report process keeps to the game's data folder: after it has run,
// the data home holds the game's folder and nothing beside it.
TEST_F(CrashReport, TheReportProcessWritesOnlyInTheGamesDataFolder)
{
    testsupport::TempDir home;
    testsupport::TempDir dir;
    const std::string crashFile = dir.Write("crash.txt", "Exception: Access Violation\r\n\n");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!std::freopen((dir / "stderr.txt").c_str(), "w", stderr))
            _exit(2);
        setenv("XDG_DATA_HOME", home.Path().c_str(), 1);
        // The report process draws through the real display library.
        platform::RegisterModuleFunction("ddraw.dll", "DirectDrawCreate", reinterpret_cast<FARPROC>(&DirectDrawCreate));
        platform::RegisterModuleFunction("ddraw.dll", "DirectDrawCreateEx",
            reinterpret_cast<FARPROC>(&DirectDrawCreateEx));
        platform::WindowEvent close;
        close.kind = platform::WindowEvent::Close;
        backend->windows.Push(close);
        const std::string product = app->productName, version = app->productVersion;
        const char* argv[] = { "marrowfen", CrashCatcher::kReportArg, crashFile.c_str(), "Exception at 0001:00000010",
            "", "0", "", "1", product.c_str(), version.c_str(), "1", "Olvane Studio", nullptr };
        try {
            _exit(Kivo::RunCrashReport(12, const_cast<char**>(argv)) == 0 ? 0 : 3);
        } catch (const apptest::ExitCalled& e) {
            _exit(10 + e.code);
        } catch (...) {
            _exit(4);
        }
    }
    int status = 0;
    ASSERT_TRUE(Reap(child, status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << ReadFile(dir / "stderr.txt");
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(home.Path()))
        entries.push_back(entry.path().filename().string());
    EXPECT_EQ(entries, std::vector<std::string> { "Olvane Studio" });
}

// The whole report is in the box, without the line ends' carriage returns
// and with long lines wrapped; the wheel and the bar move through it.
TEST_F(CrashReport, TheErrorWindowScrollsThroughTheWholeReport)
{
    CrashCatcher c;
    for (int i = 0; i < 40; ++i)
        c.errorText += "line " + std::to_string(i) + "\r\n";
    c.errorText += std::string(30, 'x') + " " + std::string(40, 'y') + "\r\n";
    CrashReportWindows w(*app, c, true);
    w.Start();
    auto* window = dynamic_cast<Kivo::CrashErrorWindow*>(Showing(w));
    ASSERT_NE(window, nullptr);
    Kivo::LineListWidget& box = *window->mReport;
    ASSERT_EQ(box.mLines.size(), 42u);
    EXPECT_EQ(box.mLines[39].text, "line 39");
    EXPECT_EQ(box.mLines[40].text, std::string(30, 'x'));
    EXPECT_EQ(box.mLines[41].text, std::string(40, 'y'));
    for (const auto& line : box.mLines)
        EXPECT_EQ(line.text.find('\r'), std::string::npos);
    const int visible = box.VisibleLines();
    ASSERT_LT(visible, 42);

    app->widgetManager->MouseWheel(-3);
    EXPECT_EQ(box.mTopLine, 3);
    app->widgetManager->MouseWheel(100);
    EXPECT_EQ(box.mTopLine, 0);

    int thumbTop = 0, thumbHeight = 0;
    box.GetThumb(thumbTop, thumbHeight);
    ASSERT_GT(thumbHeight, 0);
    const int barX = box.mWidth - Kivo::LineListWidget::kBarWidth / 2;
    box.MouseDownButton(barX, box.mHeight - 2, Kivo::MOUSEBUTTON_LEFT, 1); // beside the thumb: a page
    EXPECT_EQ(box.mTopLine, visible);
    box.GetThumb(thumbTop, thumbHeight);
    box.MouseDownButton(barX, thumbTop + 1, Kivo::MOUSEBUTTON_LEFT, 1);
    box.MouseDrag(barX, box.mHeight * 2); // dragged past the end: the last line shows
    EXPECT_EQ(box.mTopLine, 42 - visible);
    box.MouseDrag(barX, -box.mHeight);
    EXPECT_EQ(box.mTopLine, 0);
    box.MouseUpButton(barX, 0, Kivo::MOUSEBUTTON_LEFT, 1);
    box.MouseDrag(barX, box.mHeight);
    EXPECT_EQ(box.mTopLine, 0) << "the thumb was let go";
}

TEST_F(CrashReport, WithoutAHostOnlyCloseNow)
{
    CrashCatcher c;
    c.errorText = "line 1\r\nline 2\r\n";
    CrashReportWindows w(*app, c, true);
    w.Start();
    auto* window = dynamic_cast<Kivo::CrashErrorWindow*>(Showing(w));
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->OffersSend());
    EXPECT_EQ(window->mYesButton->mLabel, "Close Now");
    EXPECT_EQ(window->mNoButton, nullptr);
    EXPECT_EQ(window->mDialogHeader, "An unexpected error has occured!");
    ASSERT_EQ(window->mReport->mLines.size(), 2u);
    EXPECT_EQ(window->mReport->mLines[1].text, "line 2");
    EXPECT_EQ(window->mWidth, 400);
    EXPECT_EQ(window->mHeight, 300);
    Press(w, Dialog::ID_YES);
    EXPECT_TRUE(w.Done());
    EXPECT_EQ(app->shutdownCalls, 1);
    EXPECT_EQ(app->GetDialogCount(), 0);
    EXPECT_EQ(c.transfer.result, Kivo::HTTPTransfer::RESULT_NOT_STARTED) << "nothing sent";

    c.submitHost = "127.0.0.1:1";
    c.allowSubmit = false;
    CrashReportWindows refused(*app, c, true);
    refused.Start();
    EXPECT_FALSE(dynamic_cast<Kivo::CrashErrorWindow*>(Showing(refused))->OffersSend());
}

// Send Report, a text of the user's, Continue: the report reaches the
// server before the windows end.
TEST_F(CrashReport, SendReportCompletesBeforeTheEnd)
{
    test::LoopbackServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    CrashCatcher c;
    c.errorTitle = "Exception at 0001:00000010";
    c.errorText = "the report";
    c.submitHost = "127.0.0.1:" + std::to_string(server.Port());
    CrashReportWindows w(*app, c, true);
    w.Start();
    auto* error = dynamic_cast<Kivo::CrashErrorWindow*>(Showing(w));
    ASSERT_TRUE(error && error->OffersSend());
    EXPECT_EQ(error->mYesButton->mLabel, "Send Report");
    EXPECT_EQ(error->mNoButton->mLabel, "Close Now");
    EXPECT_FALSE(error->mYesButton->mDisabled);
    Press(w, Dialog::ID_YES);

    auto* details = dynamic_cast<Kivo::CrashDetailsWindow*>(Showing(w));
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->mDialogHeader, "Please help out by providing as much information as you can about this crash.");
    EXPECT_EQ(details->mYesButton->mLabel, "Continue");
    EXPECT_EQ(details->mNoButton->mLabel, "Abort");
    EXPECT_EQ(app->widgetManager->mFocusWidget, details->mEdit);
    for (char ch : std::string("it broke"))
        app->widgetManager->KeyChar(ch);
    Press(w, Dialog::ID_YES);
    EXPECT_EQ(c.userText, "it broke");
    EXPECT_EQ(w.Showing(), Kivo::CrashProgressWindow::kWindowId);
    EXPECT_EQ(Showing(w)->mDialogHeader, "Please Wait");
    Progress(w);
    EXPECT_TRUE(w.Done());
    EXPECT_EQ(c.transfer.result, Kivo::HTTPTransfer::RESULT_DONE);
    const std::string request = server.Request();
    EXPECT_NE(request.find("name=\"usertext\"\r\n\r\nit broke\r\n"), std::string::npos) << request;
    EXPECT_EQ(app->shutdownCalls, 1);
}

// A refused connection asks whether to retry: Retry sends again, Cancel
// ends.
TEST_F(CrashReport, FailedConnectionOffersARetry)
{
    int port = 0;
    {
        test::LoopbackServer gone("");
        port = gone.Port();
    }
    CrashCatcher c;
    c.errorText = "the report";
    c.submitHost = "127.0.0.1:" + std::to_string(port);
    CrashReportWindows w(*app, c, true);
    w.Submit(std::string(9000, 'x'));
    EXPECT_EQ(c.userText.size(), 8192u);
    Progress(w);
    ASSERT_EQ(w.Showing(), Kivo::CrashRetryWindow::kWindowId);
    EXPECT_EQ(Showing(w)->mDialogHeader, "Connection Failed");
    EXPECT_EQ(Showing(w)->mDialogLines, "Failed to connect to server.");
    EXPECT_EQ(Showing(w)->mYesButton->mLabel, "Retry");
    EXPECT_EQ(c.transfer.result, Kivo::HTTPTransfer::RESULT_NOT_STARTED) << "reset for the next attempt";
    Press(w, Dialog::ID_YES);
    Progress(w);
    ASSERT_EQ(w.Showing(), Kivo::CrashRetryWindow::kWindowId) << "the retry failed again";
    Press(w, Dialog::ID_NO);
    EXPECT_TRUE(w.Done());
}

TEST_F(CrashReport, ProgressDotsCountSecondsAndAbortEnds)
{
    CrashCatcher c; // no host: the transfer never starts
    CrashReportWindows w(*app, c, true);
    w.Submit("");
    Dialog* progress = Showing(w);
    for (int i = 0; i < 2300; ++i)
        progress->Update();
    EXPECT_EQ(progress->mDialogHeader, "Please Wait . . .");
    EXPECT_FALSE(w.Done());
    Press(w, Dialog::ID_YES); // Abort
    EXPECT_TRUE(c.transfer.abortedByOwner);
    EXPECT_TRUE(c.transfer.stopFlag);
    EXPECT_TRUE(w.Done()) << "nothing was running to end it later";
}

TEST_F(CrashReport, NothingIsSentWithoutTheCrashedApplication)
{
    CrashCatcher c;
    c.submitHost = "127.0.0.1:1";
    CrashReportWindows w(*app, c, false);
    w.Start();
    EXPECT_TRUE(Showing(w)->mYesButton->mDisabled);
    w.ShowDetails();
    EXPECT_TRUE(Showing(w)->mYesButton->mDisabled);
    Press(w, Dialog::ID_NO);
    EXPECT_TRUE(w.Done());
}

} // namespace
