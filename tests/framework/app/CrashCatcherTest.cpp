#include "framework/app/CrashCatcher.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

// The installed catcher in a child that faults: the report is on disk and
// the child still dies of its signal.
TEST(CrashCatcher, FatalSignalWritesCrashTxt)
{
    testsupport::TempDir dir;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (chdir(dir.Path().c_str()) != 0)
            _exit(2);
        // The sanitizer's own report of the signal, handed on, is expected.
        if (!std::freopen("/dev/null", "w", stderr))
            _exit(2);
        raise(SIGSEGV);
        _exit(3);
    }
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 1000 && done == 0; ++i) {
        done = waitpid(child, &status, WNOHANG);
        if (done == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (done == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the child did not end";
    }
    EXPECT_FALSE(WIFEXITED(status) && (WEXITSTATUS(status) == 3 || WEXITSTATUS(status) == 0));
    std::ifstream in(dir / "crash.txt", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind("Exception: Access Violation (code 0xc0000005)", 0), 0u) << text;
    EXPECT_EQ(text.back(), '\n');
}

} // namespace

#include "framework/app/CrashErrorWindow.h"
#include "framework/widgets/DialogButton.h"

namespace {

TEST(CrashErrorWindow, OffersSendingOnlyWithAHost)
{
    CrashCatcher c;
    c.errorText = "the report";
    {
        Kivo::CrashErrorWindow w(c, "t", c.errorText);
        EXPECT_FALSE(w.OffersSend());
        ASSERT_NE(w.mYesButton, nullptr);
        EXPECT_EQ(w.mYesButton->mLabel, "Close Now");
        EXPECT_EQ(w.mNoButton, nullptr);
        EXPECT_EQ(w.mDialogHeader, "An unexpected error has occured!");
        EXPECT_EQ(w.mDialogLines, "the report");
        EXPECT_EQ(w.mWidth, 400);
        EXPECT_EQ(w.mHeight, 300);
        w.ButtonDepress(Kivo::Dialog::ID_YES);
        EXPECT_TRUE(c.exitLoop);
        EXPECT_EQ(c.transfer.result, Kivo::HTTPTransfer::RESULT_NOT_STARTED) << "nothing sent";
    }
    test::LoopbackServer server("HTTP/1.1 200 OK\r\n\r\n");
    c.submitHost = "127.0.0.1:" + std::to_string(server.Port());
    c.allowSubmit = false;
    EXPECT_FALSE(Kivo::CrashErrorWindow(c, "t", "x").OffersSend());
    c.allowSubmit = true;
    Kivo::CrashErrorWindow w(c, "t", "x");
    ASSERT_TRUE(w.OffersSend());
    EXPECT_EQ(w.mYesButton->mLabel, "Send Report");
    EXPECT_EQ(w.mNoButton->mLabel, "Close Now");
    EXPECT_TRUE(w.mYesButton->mDisabled) << "no application object";
    c.exitLoop = false;
    w.ButtonDepress(Kivo::Dialog::ID_YES);
    EXPECT_TRUE(c.exitLoop);
    c.transfer.WaitFor();
    EXPECT_EQ(c.transfer.result, Kivo::HTTPTransfer::RESULT_DONE);
}

} // namespace
