#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/Animator.h"
#include "framework/graphics/MemoryImage.h"

#include "TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace Kivo;

namespace {

std::vector<int> Frames(Animator& a, int updates)
{
    std::vector<int> out;
    for (int i = 0; i < updates; ++i) {
        a.Update();
        out.push_back(a.mFrame);
    }
    return out;
}

} // namespace

TEST(Animator, UpdateSequences)
{
    struct Case {
        const char* name;
        std::function<void(Animator&)> setup;
        int updates;
        std::vector<int> frames;
        bool finished;
    } cases[] = {
        { "forward", [](Animator& a) { a.SetFrameCount(4); }, 6, { 1, 2, 3, 0, 1, 2 }, false },
        { "loop count 1 stops on frame 0",
          [](Animator& a) {
              a.SetFrameCount(4);
              a.SetLoopCount(1);
          },
          6, { 1, 2, 3, 0, 0, 0 }, true },
        { "backward from 3",
          [](Animator& a) {
              a.SetFrameCount(4);
              a.SetDirection(-1, true);
          },
          5, { 2, 1, 0, 3, 2 }, false },
        { "backward range",
          [](Animator& a) {
              a.SetFrameCount(6);
              a.SetFrameRange(2, 5);
              a.SetDirection(-1, true);
          },
          4, { 3, 2, 4, 3 }, false },
        { "ping-pong",
          [](Animator& a) {
              a.SetFrameCount(4);
              a.mPingPong = true;
          },
          9, { 1, 2, 3, 2, 1, 0, 1, 2, 3 }, false },
        { "ping-pong keeps its whole length for two loops",
          [](Animator& a) {
              a.SetFrameCount(6);
              a.mPingPong = true;
              a.SetFrameRange(2, 4);
          },
          12, { 1, 0, 1, 2, 3, 4, 5, 4, 3, 2, 3, 2 }, false }, // range from the 9th
        { "delay 2", [](Animator& a) {
              a.SetFrameCount(3);
              a.SetAllFrameDelays(2);
          },
          6, { 0, 1, 1, 2, 2, 0 }, false },
        { "per-frame delays 3 and 5",
          [](Animator& a) {
              a.SetFrameCount(2);
              a.SetFrameDelay(3, 0);
              a.SetFrameDelay(5, 1);
          },
          10, { 0, 0, 1, 1, 0, 1, 1, 1, 1, 0 }, false },
        { "time limit 10",
          [](Animator& a) {
              a.SetFrameCount(20);
              a.SetTimeLimit(10);
          },
          12, { 1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9, 9 }, true },
        { "zero delays and counts",
          [](Animator& a) {
              a.SetFrameCount(0);
              a.SetAllFrameDelays(0);
              a.SetFrameDelay(0, 0);
          },
          2, { 0, 0 }, false },
        { "range past the delays",
          [](Animator& a) {
              a.SetFrameCount(3);
              a.SetFrameRange(1, 8);
          },
          8, { 2, 3, 4, 5, 6, 7, 1, 2 }, false },
    };
    for (const Case& c : cases) {
        Animator a;
        c.setup(a);
        EXPECT_EQ(Frames(a, c.updates), c.frames) << c.name;
        EXPECT_EQ(a.mFinished, c.finished) << c.name;
        EXPECT_EQ(a.mStopped, c.finished) << c.name;
    }
}

TEST(Animator, PingPongCountsLoopsFromTheFirstChange)
{
    Animator a;
    a.SetFrameCount(4);
    a.mPingPong = true;
    a.Update();
    EXPECT_EQ(a.mFrame, 1);
    EXPECT_EQ(a.mLoopsDone, 1);
    a.SetLoopCount(1); // stops at the turn at the far end
    Frames(a, 3);
    EXPECT_TRUE(a.mFinished);
    EXPECT_EQ(a.mFrame, 2);
}

TEST(Animator, ShuffleShowsEachFrameOncePerPass)
{
    Animator a;
    a.SetFrameCount(5);
    a.SetShuffle(true);
    for (int pass = 0; pass < 3; ++pass) {
        std::vector<int> shown = Frames(a, 5);
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, (std::vector<int>{ 0, 1, 2, 3, 4 })) << "pass " << pass;
    }
    EXPECT_EQ(a.mLoopsDone, 2);
}

TEST(Animator, SetFrameRandomFrameAndChangeFlag)
{
    Animator a;
    a.SetFrameCount(5);
    EXPECT_EQ(a.SetFrame(7), 1);
    EXPECT_EQ(a.mFrame, 2);
    a.SetFrameRange(3, 5);
    for (int i = 0; i < 20; ++i) {
        a.SetRandomFrame();
        EXPECT_TRUE(a.mFrame == 3 || a.mFrame == 4);
    }
    a.SetFrameRange(4, 4); // empty: ignored
    EXPECT_EQ(a.mRangeFirst, 3);

    EXPECT_TRUE(a.PopFrameChanged());
    EXPECT_FALSE(a.PopFrameChanged());
    a.Update();
    EXPECT_TRUE(a.PopFrameChanged());

    Animator one;
    for (int i = 0; i < 3; ++i) {
        one.Update();
        EXPECT_FALSE(one.PopFrameChanged());
    }
}

TEST(Animator, StopResetAndRestart)
{
    Animator a;
    a.SetFrameCount(6);
    a.SetFrameRange(2, 5);
    a.SetStopped(true);
    a.Update();
    EXPECT_EQ(a.mFrame, 2);
    a.SetStopped(false);
    Frames(a, 4); // 3, 4, 2 (one loop), 3
    EXPECT_EQ(a.mLoopsDone, 1);
    a.Restart();
    EXPECT_EQ(a.mFrame, 2);
    EXPECT_EQ(a.mLoopsDone, 1);
    a.Reset();
    EXPECT_EQ(a.mLoopsDone, 0);
    EXPECT_FALSE(a.mRangeSet);
    EXPECT_EQ(a.mRangeLast, 6);
    a.SetDirection(-1, false);
    a.Reset();
    EXPECT_EQ(a.mFrame, 5);
}

TEST(Animator, TakesFramesDelaysAndMapFromTheImage)
{
    graphicstest::TestHost host;
    MemoryImage image;
    image.mNumCols = 4;
    image.mNumCels = 4;
    image.mAnimInfo = new AnimInfo;
    image.mAnimInfo->mAnimType = AnimInfo::AnimType_PingPong;
    image.mAnimInfo->mFrameDelay = 2;
    image.mAnimInfo->Compute(4, 0, 7); // map 0 1 2 3 2 1, last frame 7 ticks

    Animator a;
    a.SetImage(&image);
    EXPECT_EQ(a.mImage, &image);
    EXPECT_EQ(a.mFrameCount, 6);
    EXPECT_TRUE(a.mPingPong);
    EXPECT_EQ(a.mPerFrameDelay, (std::vector<int>{ 2, 2, 2, 2, 2, 7 }));
    a.SetFrame(4);
    EXPECT_EQ(a.GetImageCel(), 2);
    a.SetFrameCount(9); // past the map: frames show their own cel
    a.SetFrame(8);
    EXPECT_EQ(a.GetImageCel(), 8);

    AnimInfo once;
    once.mAnimType = AnimInfo::AnimType_Once;
    once.mFrameDelay = 3;
    image.mAnimInfo->mAnimType = AnimInfo::AnimType_Once;
    image.mAnimInfo->mFrameMap.clear();
    image.mAnimInfo->mPerFrameDelay.clear();
    image.mAnimInfo->mFrameDelay = 3;
    Animator b;
    b.SetImage(&image);
    EXPECT_EQ(b.mFrameCount, 4);
    EXPECT_EQ(b.mMaxLoops, 1);
    EXPECT_EQ(b.mFrameDelay, 3);

    Animator c;
    c.SetColor(1, 2, 3, 4);
    c.Assign(&b);
    EXPECT_EQ(c.mImage, &image);
    EXPECT_EQ(c.mFrameCount, 4);
    EXPECT_EQ(c.mMaxLoops, 1);
    EXPECT_FALSE(c.mColorize);
    c.Assign(&c);
    EXPECT_EQ(c.mImage, &image);
}
