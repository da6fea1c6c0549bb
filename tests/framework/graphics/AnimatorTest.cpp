#include "framework/core/Random.h"
#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/Animator.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Matrix3x3.h"
#include "framework/graphics/MemoryImage.h"

#include "TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
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

// Random frames come from the framework's generator, so a demo that restores
// its seed sees the same frames again whatever the C library's generator does.
TEST(Animator, RandomFramesReplayFromTheSeed)
{
    const auto draw = [](unsigned cSeed) {
        std::srand(cSeed);
        SeedRandom(1234);
        Animator a;
        a.SetFrameCount(97);
        std::vector<int> frames;
        for (int i = 0; i < 16; ++i) {
            a.SetRandomFrame();
            frames.push_back(a.mFrame);
        }
        return frames;
    };
    const std::vector<int> first = draw(1);
    EXPECT_EQ(draw(2), first);
    EXPECT_GT(std::set<int>(first.begin(), first.end()).size(), 4u);
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

namespace {

// A destination that writes down the image operations a drawing context
// calls on it.
class RecordingImage : public Image {
public:
    RecordingImage()
    {
        mWidth = 200;
        mHeight = 200;
    }
    void Blt(Image*, int x, int y, const Rect& src, const Color& color, int mode) override
    {
        Log("Blt", x, y, src, color, mode);
    }
    void BltF(Image*, float x, float y, const Rect& src, const Rect&, const Color& color, int mode) override
    {
        Log("BltF", x, y, src, color, mode);
    }
    void BltRotated(Image*, float x, float y, const Rect& src, const Rect&, const Color& color, int mode,
                    double angle, float cx, float cy) override
    {
        Log("BltRotated", x, y, src, color, mode, " angle " + std::to_string(angle) + " centre " +
                                                      std::to_string(cx) + "," + std::to_string(cy));
    }
    void StretchBlt(Image*, const Rect& dest, const Rect& src, const Rect&, const Color& color, int mode,
                    bool) override
    {
        Log("StretchBlt", dest.mX, dest.mY, src, color, mode,
            " into " + std::to_string(dest.mWidth) + "x" + std::to_string(dest.mHeight));
    }
    void BltMirror(Image*, int x, int y, const Rect& src, const Color& color, int mode) override
    {
        Log("BltMirror", x, y, src, color, mode);
    }
    void BltMatrix(Image*, float x, float y, const Matrix3x3& m, const Rect&, const Color& color, int mode,
                   const Rect& src, bool) override
    {
        Log("BltMatrix", x, y, src, color, mode,
            " m " + std::to_string(m.m[0]) + " " + std::to_string(m.m[2]) + " " + std::to_string(m.m[5]));
    }

    std::vector<std::string> calls;

private:
    void Log(const char* op, float x, float y, const Rect& src, const Color& color, int mode,
             const std::string& more = "")
    {
        char text[160];
        std::snprintf(text, sizeof text, "%s %g,%g src %d,%d,%d,%d colour %08x mode %d", op, x, y, src.mX, src.mY,
                      src.mWidth, src.mHeight, color.ToInt(), mode);
        calls.push_back(text + more);
    }
};

} // namespace

TEST(Animator, DrawsTheCurrentCelThroughTheContext)
{
    graphicstest::TestHost host;
    MemoryImage image;
    image.Create(40, 20);
    image.mNumCols = 4;
    image.mNumRows = 2;
    image.mNumCels = 8;
    Animator a;
    a.SetImage(&image);
    a.SetFrame(5); // cel (10, 10, 10, 10)
    a.mOffsetX = 1.5f;
    RecordingImage dest;
    Graphics g(&dest);
    const std::string cel = " src 10,10,10,10 colour ffffffff mode 0";

    struct Case {
        std::function<void()> draw;
        std::string expected;
    } cases[] = {
        { [&] { a.Draw(&g, 3, 4); }, "Blt 4,4" + cel },
        { [&] { a.DrawF(&g, 3, 4, true); }, "BltF 4.5,4" + cel },
        { [&] { a.DrawStretched(&g, 2, 2, 30, 20); }, "StretchBlt 3,2" + cel + " into 30x20" },
        { [&] { a.DrawScaled(&g, 0, 0, 2.5f); }, "StretchBlt 1,0" + cel + " into 25x25" },
        { [&] { a.DrawRotatedF(&g, 3, 4, 0.5, true, 5, 6); },
          "BltRotated 4.5,4" + cel + " angle 0.500000 centre 5.000000,6.000000" },
        { [&] { a.DrawRotatedF(&g, 3, 4, 0.5, false, 5.7f, 6.2f); },
          "BltRotated 4,4" + cel + " angle 0.500000 centre 5.000000,6.000000" },
        { [&] { a.DrawMirroredInt(&g, 3, 4, true); }, "BltMirror 4,4" + cel },
        // Rotate, scale, then the centre and the position: a matrix draw at
        // the origin; no draw offset.
        { [&] { a.DrawTransformed(&g, 10, 20, 0, 5, 5, 2); }, "BltMatrix 0,0" + cel + " m 2.000000 15.000000 25.000000" },
    };
    for (const Case& c : cases) {
        dest.calls.clear();
        c.draw();
        ASSERT_EQ(dest.calls.size(), 1u) << c.expected;
        EXPECT_EQ(dest.calls[0], c.expected);
    }

    // A tint draws additively in its colour, then leaves the context normal.
    a.SetColor(10, 20, 30, 40);
    dest.calls.clear();
    a.Draw(&g, 3, 4);
    a.DrawMirroredInt(&g, 3, 4, false); // no tint
    ASSERT_EQ(dest.calls.size(), 2u);
    EXPECT_EQ(dest.calls[0], "Blt 4,4 src 10,10,10,10 colour 280a141e mode 1");
    EXPECT_EQ(dest.calls[1], "Blt 4,4" + cel);
    EXPECT_EQ(g.GetDrawMode(), 0);
    EXPECT_FALSE(g.mColorizeImages);

    Animator empty;
    dest.calls.clear();
    empty.Draw(&g, 0, 0);
    empty.DrawTransformed(&g, 0, 0, 1, 0, 0, 1);
    EXPECT_TRUE(dest.calls.empty());
}
