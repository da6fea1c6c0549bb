// A transfer's results go into a recorded demo and come back out of it when
// the demo plays, for this transfer's id only.
#include "framework/app/HTTPTransfer.h"
#include "tests/framework/app/AppFixture.h"

namespace apptest {
namespace {

using Kivo::HTTPTransfer;

TEST_F(AppTest, TransferResultsRoundTripThroughADemo)
{
    TestApp& a = MakeApp(false);
    a.demoRecording = true;
    HTTPTransfer other;
    HTTPTransfer t;
    t.PrepareTransfer("h/"); // RESULT_NOT_COMPLETED, written with no content
    t.UpdateStatus();
    t.UpdateStatus(); // unchanged: nothing more
    other.PrepareTransfer("h/");
    other.result = HTTPTransfer::RESULT_NOT_FOUND;
    other.UpdateStatus();
    t.result = HTTPTransfer::RESULT_DONE;
    t.content = "reply body";
    t.UpdateStatus();
    EXPECT_EQ(a.eventCount, 3);

    a.demoRecording = false;
    a.demoPlaying = true;
    a.demoBuffer.SeekFront();
    a.nextEventUpdate = 0;
    a.needHeader = true;
    t.result = HTTPTransfer::RESULT_NOT_STARTED;
    t.content.clear();
    t.UpdateStatus();
    EXPECT_EQ(t.result, HTTPTransfer::RESULT_NOT_COMPLETED);
    t.UpdateStatus(); // the next event is the other transfer's: left alone
    EXPECT_EQ(t.result, HTTPTransfer::RESULT_NOT_COMPLETED);
    other.UpdateStatus();
    EXPECT_EQ(other.result, HTTPTransfer::RESULT_NOT_FOUND);
    t.UpdateStatus();
    EXPECT_EQ(t.result, HTTPTransfer::RESULT_DONE);
    EXPECT_EQ(t.content, "reply body");
    EXPECT_EQ(t.lastDemoResult, HTTPTransfer::RESULT_DONE);
    a.demoPlaying = false;
}

} // namespace
} // namespace apptest
