#include "tests/framework/app/AppFixture.h"

#include "framework/app/DemoDialogs.h"
#include "framework/app/DemoFile.h"
#include "framework/core/Random.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/EditWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/win32/Messages.h"
#include "tests/support/TempDir.h"

#include <fstream>
#include <unistd.h>

namespace apptest {
namespace {

using Kivo::DemoFile;

DemoFile SampleDemo()
{
    DemoFile demo;
    demo.seed = 0xCAFE;
    demo.productVersion = "1.2.3";
    demo.markers = { { "start", 5 }, { "boss", 1200 } };
    demo.endUpdate = 4321;
    demo.events = { 0x12, 0x34, 0x56 };
    return demo;
}

TEST(DemoFileFormat, RoundTripsAndLaysOutTheHeader)
{
    const std::vector<uint8_t> bytes = Kivo::EncodeDemoFile(SampleDemo());
    const std::vector<uint8_t> head = { 0x78, 0xEF, 0xBE, 0x42, 2, 0, 0, 0, 0xFE, 0xCA, 0, 0, 5, 0, '1', '.' };
    ASSERT_GT(bytes.size(), head.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));

    DemoFile read;
    std::string error;
    ASSERT_TRUE(Kivo::DecodeDemoFile(bytes.data(), bytes.size(), "1.2.3", read, error)) << error;
    EXPECT_EQ(read.seed, 0xCAFEu);
    ASSERT_EQ(read.markers.size(), 2u);
    EXPECT_EQ(read.markers[1].name, "boss");
    EXPECT_EQ(read.markers[1].update, 1200);
    EXPECT_EQ(read.endUpdate, 4321);
    EXPECT_EQ(read.events, SampleDemo().events);

    // Version 1 files have no marker block.
    DemoFile old = SampleDemo();
    old.version = 1;
    const std::vector<uint8_t> oldBytes = Kivo::EncodeDemoFile(old);
    ASSERT_TRUE(Kivo::DecodeDemoFile(oldBytes.data(), oldBytes.size(), "1.2.3", read, error));
    EXPECT_TRUE(read.markers.empty());
    EXPECT_EQ(read.events, old.events);
}

TEST(DemoFileFormat, RefusesOtherVersionsAndDamagedFiles)
{
    const std::vector<uint8_t> good = Kivo::EncodeDemoFile(SampleDemo());
    DemoFile read;
    std::string error;
    EXPECT_FALSE(Kivo::DecodeDemoFile(good.data(), good.size(), "1.2.4", read, error));
    EXPECT_EQ(error, "This demo file appears to be for '1.2.3'");

    // Every cut before the event stream ends in a refusal, never a read
    // past the end (a cut inside the stream only shortens it).
    for (size_t n = 0; n + SampleDemo().events.size() < good.size(); ++n) {
        error.clear();
        EXPECT_FALSE(Kivo::DecodeDemoFile(good.data(), n, "1.2.3", read, error)) << n;
        EXPECT_FALSE(error.empty()) << n;
    }

    auto patched = [&good](size_t at, uint32_t value) {
        std::vector<uint8_t> b = good;
        for (int i = 0; i < 4; ++i)
            b[at + size_t(i)] = uint8_t(value >> (8 * i));
        return b;
    };
    const size_t block = 14 + 5; // the marker block's length
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } damaged[] = {
        { "magic", patched(0, 0x42BEEF79) },
        { "block longer than the file", patched(block, 0xFFFFFFF0) },
        { "block eating the end count", patched(block, uint32_t(good.size() - block - 4)) },
        { "negative marker count", patched(block + 4, 0x80000000) },
        { "more markers than the block holds", patched(block + 4, 3) },
    };
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.name);
        EXPECT_FALSE(Kivo::DecodeDemoFile(d.bytes.data(), d.bytes.size(), "1.2.3", read, error));
        EXPECT_EQ(error, "Invalid demo file.");
    }
}

class Demo : public AppTest {
protected:
    MSG Message(UINT message, WPARAM wParam, int x = 0, int y = 0)
    {
        MSG msg {};
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = LPARAM((uint32_t(uint16_t(y)) << 16) | uint16_t(x));
        return msg;
    }
    // Records each message at its update into `file`, which ends at update
    // `end`, and takes the application down.
    void RecordDemo(const std::string& file, const std::vector<std::pair<int, MSG>>& messages, int end)
    {
        MakeApp(false);
        app->demoRecording = true;
        app->demoFileName = file;
        app->demoMarkers = {};
        for (const auto& [update, msg] : messages) {
            app->updateCount = update;
            app->RecordDemoMessage(msg);
        }
        app->updateCount = end;
        app->WriteDemoFile();
        app->demoRecording = false;
        app.reset();
    }
    // The stream's bits as read back: each header's delta, form and command.
    std::vector<std::string> Headers(Kivo::Buffer b)
    {
        b.SeekFront();
        std::vector<std::string> out;
        while (b.bitSize - b.readPos >= 6) {
            const int delta = int(b.ReadNumBits(4, false));
            const bool shortForm = b.ReadNumBits(1, false) != 0;
            const int command = int(b.ReadNumBits(shortForm ? 1 : 5, false));
            out.push_back(std::to_string(delta) + (shortForm ? "s" : "l") + std::to_string(command));
            if (shortForm && command == 0) {
                const int dx = int(b.ReadNumBits(6, true)), dy = int(b.ReadNumBits(6, true));
                out.back() += "(" + std::to_string(dx) + "," + std::to_string(dy) + ")";
            } else if (!shortForm && command == 0) {
                const int x = int(b.ReadNumBits(12, false)), y = int(b.ReadNumBits(12, false));
                out.back() += "[" + std::to_string(x) + "," + std::to_string(y) + "]";
            } else if (!shortForm && command != 31) {
                break; // payloads of other events are not needed here
            }
        }
        return out;
    }
};

TEST_F(Demo, LongGapsAreFilledAndFarMovesAreAbsolute)
{
    MakeApp(false);
    app->demoRecording = true;
    app->mouseIn = true;
    app->updateCount = 40;
    app->RecordDemoMessage(Message(WM_MOUSEMOVE, 0, 31, -31)); // relative
    app->RecordDemoMessage(Message(WM_MOUSEMOVE, 0, 62, -63)); // dy -32: absolute
    EXPECT_EQ(Headers(app->demoBuffer),
              (std::vector<std::string> { "15l31", "15l31", "10s0(31,-31)", "0l0[62,4033]" }));
    app->demoRecording = false;
}

TEST_F(Demo, ARecordedRunPlaysBackTheSameInputAndValues)
{
    testsupport::TempDir dir;
    struct Input {
        int update;
        MSG msg;
    };
    const Input inputs[] = {
        { 3, Message(WM_MOUSEMOVE, 0, 100, 200) },
        { 3, Message(WM_LBUTTONDOWN, 0, 110, 195) },
        { 4, Message(WM_LBUTTONUP, 0, 110, 195) },
        { 70, Message(WM_RBUTTONDBLCLK, 0, 400, 300) },
        { 71, Message(WM_KEYDOWN, 'A') },
        { 71, Message(WM_CHAR, 'a') },
        { 90, Message(WM_MOUSEWHEEL, WPARAM(uint32_t(uint16_t(-240)) << 16)) },
    };
    const std::string fileName = dir / "run.dmo";
    {
        MakeApp(false);
        app->demoRecording = true;
        app->productVersion = "9.9";
        app->randomSeed = 777;
        app->demoFileName = fileName;
        dir.Write("data.txt", "file bytes");
        for (int u = 0; u <= 100; ++u) {
            app->updateCount = u;
            if (u == 50) {
                std::string text = "recorded";
                app->DemoSyncString(text);
                Kivo::Buffer file;
                EXPECT_TRUE(app->DemoReadFile(dir / "data.txt", file));
                EXPECT_FALSE(app->DemoFileExists(dir / "absent.txt"));
            }
            for (const Input& in : inputs)
                if (in.update == u)
                    app->RecordDemoMessage(in.msg);
        }
        app->WriteDemoFile();
        app->demoRecording = false;
        app.reset();
    }

    MakeApp(false);
    RecordingWidget widget;
    app->widgetManager->AddWidget(&widget);
    app->widgetManager->SetFocus(&widget);
    app->demoPlaying = true;
    app->productVersion = "9.9";
    app->demoFileName = fileName;
    std::string error;
    ASSERT_TRUE(app->ReadDemoFile(error)) << error;
    EXPECT_EQ(app->randomSeed, 777u);
    EXPECT_EQ(app->demoEndUpdate, 100);
    Kivo::SeedRandom(777);
    const uint32_t first = Kivo::Rand();
    EXPECT_EQ(app->ReadDemoFile(error) ? Kivo::Rand() : 0, first);

    std::vector<std::string> atUpdate;
    for (int u = 0; u <= 100; ++u) {
        app->updateCount = u;
        if (u == 50) {
            std::string text = "live";
            app->DemoSyncString(text);
            EXPECT_EQ(text, "recorded");
            Kivo::Buffer file;
            EXPECT_TRUE(app->DemoReadFile(dir / "no such file", file));
            EXPECT_EQ(std::string(file.data.begin(), file.data.end()), "file bytes");
            EXPECT_FALSE(app->DemoFileExists(dir / "data.txt"));
        }
        const size_t before = widget.calls.size();
        app->ProcessDemo();
        for (size_t i = before; i < widget.calls.size(); ++i)
            atUpdate.push_back(std::to_string(u) + ": " + widget.calls[i]);
        EXPECT_FALSE(app->DemoInputPending()) << u;
    }
    EXPECT_EQ(atUpdate, (std::vector<std::string> { "3: down 1 at 110,195", "4: up 1", "70: down -2 at 400,300",
                                                    "71: key 65", "71: char 97", "90: wheel -2" }));
    EXPECT_TRUE(app->mouseIn);
    app->widgetManager->RemoveWidget(&widget);
    app->demoPlaying = false;
}

TEST_F(Demo, ReadingReportsMissingAndForeignFiles)
{
    testsupport::TempDir dir;
    MakeApp(false);
    app->productVersion = "2.0";
    app->demoFileName = dir / "none.dmo";
    std::string error;
    EXPECT_FALSE(app->ReadDemoFile(error));
    EXPECT_EQ(error, "Demo file not found: " + dir / "none.dmo");

    DemoFile other = SampleDemo();
    const std::vector<uint8_t> bytes = Kivo::EncodeDemoFile(other);
    app->demoFileName = dir.Write("other.dmo", std::string(bytes.begin(), bytes.end()));
    EXPECT_FALSE(app->ReadDemoFile(error));
    EXPECT_EQ(error, "This demo file appears to be for '1.2.3'");
}

// A recording that cannot be written (its folder is missing) says so on
// stderr instead of vanishing.
TEST_F(Demo, ARecordingThatCannotBeWrittenSaysSo)
{
    testsupport::TempDir dir;
    MakeApp(false);
    app->demoRecording = true;
    app->demoFileName = dir / "missing/run.dmo";
    testing::internal::CaptureStderr();
    app->WriteDemoFile();
    const std::string err = testing::internal::GetCapturedStderr();
    app->demoRecording = false;
    EXPECT_NE(err.find("Demo not written: cannot write " + app->demoFileName + " (No such file or directory)"),
        std::string::npos)
        << err;
}

TEST_F(Demo, FastForwardRunsToTheTargetReplayingOnTheWay)
{
    testsupport::TempDir dir;
    RecordDemo(dir / "ff.dmo", {{10, Message(WM_KEYDOWN, 'X')}, {30, Message(WM_KEYDOWN, 'Y')}}, 60);
    MakeApp(false);
    RecordingWidget widget;
    app->widgetManager->AddWidget(&widget);
    app->widgetManager->SetFocus(&widget);
    app->demoPlaying = true;
    app->demoFileName = dir / "ff.dmo";
    std::string error;
    ASSERT_TRUE(app->ReadDemoFile(error)) << error;
    app->demoMarkers = { { "a", 5 }, { "b", 40 } };
    app->updateCount = 20;
    app->DemoPlaybackKey('m'); // the next marker after update 20
    EXPECT_EQ(app->ffTargetUpdate, 40);
    app->updateCount = 0;
    EXPECT_TRUE(app->Process(true));
    EXPECT_EQ(app->updateCount, 40);
    EXPECT_EQ(widget.calls, (std::vector<std::string> { "key 88", "key 89" }));
    EXPECT_FALSE(app->demoMuted);
    EXPECT_FALSE(app->IsMuted());
    app->widgetManager->RemoveWidget(&widget);
    app->demoPlaying = false;
}

TEST_F(Demo, AMissingDemoEndsStartUpWithItsReason)
{
    testsupport::TempDir dir;
    MakeApp(false);
    app->demoPlaying = true;
    app->demoFileName = dir / "gone.dmo";
    int code = -1;
    try {
        app->Init();
    } catch (const ExitCalled& e) {
        code = e.code;
    }
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(app->demoPlaying);
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Demo file not found: " + dir / "gone.dmo");
}

TEST_F(Demo, PlaybackKeysSteerSpeedPauseAndTargets)
{
    MakeApp(false);
    app->demoEndUpdate = 100000;
    app->updateCount = 500;
    app->DemoPlaybackKey('+');
    EXPECT_DOUBLE_EQ(app->speed, 1.5);
    app->DemoPlaybackKey('-');
    app->DemoPlaybackKey('-');
    EXPECT_DOUBLE_EQ(app->speed, 1.0 / 1.5);
    app->DemoPlaybackKey('=');
    EXPECT_DOUBLE_EQ(app->speed, 1.0);
    app->DemoPlaybackKey('p');
    EXPECT_TRUE(app->paused);
    app->DemoPlaybackKey('P');
    EXPECT_FALSE(app->paused);
    app->DemoPlaybackKey('n');
    EXPECT_EQ(app->ffTargetUpdate, 501);
    EXPECT_TRUE(app->ffStep);
    const struct {
        char key;
        int target;
    } runs[] = { { '0', 100000 }, { '4', 100000 - 12000 }, { '7', 100000 - 3000 }, { '9', 100000 - 500 } };
    for (const auto& r : runs) {
        app->DemoPlaybackKey(r.key);
        EXPECT_EQ(app->ffTargetUpdate, r.target) << r.key;
    }
    app->SetMusicVolume(0.5);
    app->SetSfxVolume(0.25);
    app->DemoPlaybackKey('s');
    EXPECT_EQ(app->GetMusicVolume(), 0.0);
    EXPECT_EQ(app->GetSfxVolume(), 0.0);
    app->DemoPlaybackKey('S');
    EXPECT_DOUBLE_EQ(app->GetMusicVolume(), 0.5);
    EXPECT_DOUBLE_EQ(app->GetSfxVolume(), 0.25);
}

TEST_F(Demo, MarkerListJumpsToTheDoubleClickedLaterMarker)
{
    MakeApp(true);
    app->demoPlaying = true;
    app->demoEndUpdate = 10000;
    app->updateCount = 100;
    app->demoMarkers = { { "early", 50 }, { "boss", 4000 }, { "end", 9000 } };
    app->DemoPlaybackKey('L');
    auto* dialog = dynamic_cast<Kivo::DemoMarkerDialog*>(app->demoDialog);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(app->GetDialog(Kivo::DemoMarkerDialog::kDialogId), dialog);
    EXPECT_EQ(dialog->mDialogHeader, "Marker List");
    Kivo::LineListWidget& list = *dialog->mList;
    ASSERT_EQ(list.mLines.size(), 2u) << "only markers after the current update";
    EXPECT_EQ(list.mLines[0].text, "boss (00:01:00)");
    EXPECT_EQ(list.mLines[1].text, "end (00:00:10)");
    app->DemoPlaybackKey('J');
    EXPECT_EQ(app->demoDialog, dialog) << "one playback window at a time";

    const int second = list.LineHeight() + 2;
    list.MouseDownButton(5, second, Kivo::MOUSEBUTTON_LEFT, 1);
    EXPECT_EQ(list.mSelected, 1);
    EXPECT_EQ(app->ffTargetUpdate, 0) << "a single click only selects";
    list.MouseDownButton(5, 20 * list.LineHeight(), Kivo::MOUSEBUTTON_LEFT, 2);
    EXPECT_EQ(app->demoDialog, dialog) << "below the last line";
    list.MouseDownButton(5, second, Kivo::MOUSEBUTTON_LEFT, 2);
    EXPECT_EQ(app->ffTargetUpdate, 9000);
    EXPECT_EQ(app->demoDialog, nullptr);
    EXPECT_EQ(app->GetDialog(Kivo::DemoMarkerDialog::kDialogId), nullptr);
    app->demoPlaying = false;
}

TEST(DemoJumpTime, ParsesFieldsSeparatedByColons)
{
    const struct {
        const char* text;
        int64_t seconds;
    } cases[] = { { "90", 90 }, { "1:30", 90 }, { "1:02:03", 3723 }, { "", 0 }, { "x", 0 }, { "2:", 120 },
        { "99999999999999999999:99999999999999999999", int64_t(1) << 40 } };
    for (const auto& c : cases)
        EXPECT_EQ(Kivo::DemoJumpDialog::ParseTime(c.text), c.seconds) << c.text;
}

// The jump window reads and stores its time in the registry directly: the
// playing demo's stream stays where it was.
TEST_F(Demo, JumpToTimeStoresTheTimeAndSetsTheTarget)
{
    MakeApp(true);
    app->registryKey = "KivoTest\\DemoJump" + std::to_string(getpid());
    app->RegistryWriteString("DemoJumpTime", "1:30");
    app->demoPlaying = true;
    app->demoEndUpdate = 100000;
    app->demoBuffer.WriteLong(0x12345678);
    app->demoBuffer.SeekFront();
    app->DemoPlaybackKey('j');
    auto* dialog = dynamic_cast<Kivo::DemoJumpDialog*>(app->demoDialog);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->mDialogHeader, "Jump To Time");
    EXPECT_EQ(dialog->mYesButton->mLabel, "Ok");
    EXPECT_EQ(dialog->mNoButton->mLabel, "Cancel");
    EXPECT_EQ(dialog->mEdit->mString, "1:30");
    EXPECT_EQ(app->demoBuffer.readPos, 0);
    EXPECT_EQ(app->widgetManager->mFocusWidget, dialog->mEdit);

    // Typed live: the text replaces the selected one, and the digits are
    // not taken as playback keys.
    for (char c : std::string("2:05"))
        app->WindowProc(app->hwnd, WM_CHAR, WPARAM(uint8_t(c)), 0);
    app->ProcessDeferredMessages(false);
    EXPECT_EQ(dialog->mEdit->mString, "2:05");
    EXPECT_EQ(app->ffTargetUpdate, 0);
    dialog->ButtonDepress(Kivo::Dialog::ID_YES);
    EXPECT_EQ(app->ffTargetUpdate, 100000 - 126 * 100);
    EXPECT_EQ(app->demoDialog, nullptr);
    app->demoPlaying = false;
    char stored[16] = {};
    DWORD size = sizeof stored;
    ASSERT_TRUE(app->RegistryRead("DemoJumpTime", nullptr, reinterpret_cast<BYTE*>(stored), &size));
    EXPECT_STREQ(stored, "2:05");

    app->demoPlaying = true;
    app->ffTargetUpdate = 0;
    app->DemoPlaybackKey('J');
    app->demoDialog->ButtonDepress(Kivo::Dialog::ID_NO);
    EXPECT_EQ(app->ffTargetUpdate, 0) << "Cancel jumps nowhere";
    EXPECT_EQ(app->demoDialog, nullptr);
    app->demoPlaying = false;
}

// While a playback window is open no update runs and no recorded input is
// fed, so nothing recorded lands in the window; live keys reach the window.
// Closing it lets the playback go on where it stood.
TEST_F(Demo, PlaybackStandsStillWhileItsWindowIsOpen)
{
    testsupport::TempDir dir;
    RecordDemo(dir / "still.dmo", {{2, Message(WM_CHAR, 'X')}, {4, Message(WM_CHAR, 'Y')}}, 30);
    MakeApp(true);
    RecordingWidget widget;
    app->widgetManager->AddWidget(&widget);
    app->widgetManager->SetFocus(&widget);
    app->demoPlaying = true;
    app->demoFileName = dir / "still.dmo";
    std::string error;
    ASSERT_TRUE(app->ReadDemoFile(error)) << error;
    app->loopRunning = true;

    app->DemoPlaybackKey('J');
    auto* dialog = dynamic_cast<Kivo::DemoJumpDialog*>(app->demoDialog);
    ASSERT_NE(dialog, nullptr);
    Step(400);
    EXPECT_EQ(app->updateCount, 0);
    EXPECT_TRUE(widget.calls.empty());
    EXPECT_EQ(dialog->mEdit->mString, "");
    app->WindowProc(app->hwnd, WM_CHAR, '7', 0);
    Step(20);
    EXPECT_EQ(dialog->mEdit->mString, "7");
    EXPECT_EQ(app->ffTargetUpdate, 0) << "not a playback key while the window is open";
    EXPECT_TRUE(widget.calls.empty());

    dialog->ButtonDepress(Kivo::Dialog::ID_NO);
    for (int i = 0; i < 2000 && app->updateCount < 10; ++i)
        Step(1);
    EXPECT_GE(app->updateCount, 10);
    EXPECT_EQ(widget.calls, (std::vector<std::string> { "char 88", "char 89" }));
    app->widgetManager->RemoveWidget(&widget);
    app->demoPlaying = false;
}

} // namespace
} // namespace apptest
