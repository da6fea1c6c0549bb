#include "framework/graphics/Animator.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"
#include "game/ui/CursorBonusBomb.h"
#include "game/ui/CursorPointer.h"
#include "game/ui/CustomCursor.h"
#include "game/ui/DelayWidget.h"
#include "game/ui/WideScreenBars.h"
#include "tests/support/FakeApp.h"
#include "tests/support/LogWidget.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

namespace {

class Cursors : public ::testing::Test {
protected:
    Cursors()
    {
        picture.Create(4, 4);
        manager.mScreenImage = &screen;
        manager.AddWidget(GetCustomCursor());
    }
    ~Cursors() override
    {
        manager.RemoveWidget(GetCustomCursor());
        FreeCursors();
        delete CustomCursor::Existing();
    }
    // What one frame draws.
    std::vector<RecordingImage::Op> Frame()
    {
        screen.mOps.clear();
        app.Step();
        manager.DrawScreen();
        return screen.mOps;
    }

    FakeApp app;
    Kivo::WidgetManager& manager = app.mManager;
    RecordingImage screen{800, 600};
    Kivo::MemoryImage picture;
};

TEST_F(Cursors, KindsRoundTrip)
{
    for (int kind : {2, 0, 3, 1}) {
        SetCursorKind(kind);
        EXPECT_EQ(GetCursorKind(), kind);
    }
    SetCursorKind(-1);
    EXPECT_EQ(GetCursorKind(), 0);
    EXPECT_EQ(GetCustomCursor()->mCursor, nullptr);
    SetCursorKind(7); // no such kind: nothing changes
    EXPECT_EQ(GetCustomCursor()->mCursor, nullptr);
}

TEST_F(Cursors, PointerOnlyWithCustomCursorsButBonusCursorsAlwaysInsideTheWindow)
{
    for (BaseCursor* cursor : {static_cast<BaseCursor*>(CursorPointer::Instance()),
                               static_cast<BaseCursor*>(CursorBonusBomb::Instance())}) {
        cursor->mImage = &picture;
        cursor->mAnimator->SetImage(&picture);
    }
    app.mCustomCursors = false;
    manager.MouseMove(100, 200);
    SetCursorKind(0);
    EXPECT_TRUE(Frame().empty());
    SetCursorKind(1);
    auto ops = Frame();
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].mImage, &picture);
    EXPECT_EQ(ops[0].mRect.mX, 100 - 18); // at the hot spot
    EXPECT_EQ(ops[0].mRect.mY, 200 - 26);
    app.mMouseInWindow = false;
    EXPECT_TRUE(Frame().empty());
}

TEST_F(Cursors, TheCustomCursorStaysOnTopAndForgetsFreedCursors)
{
    LogWidget later("later", nullptr, 0, 0, 10, 10);
    manager.AddWidget(&later);
    SetCursorKind(1);
    app.Step();
    EXPECT_EQ(manager.GetChildren().back(), GetCustomCursor());
    FreeCursors();
    EXPECT_EQ(GetCustomCursor()->mCursor, nullptr);
    EXPECT_EQ(CursorBonusBomb::Existing(), nullptr);
    manager.RemoveWidget(&later);
}

TEST(DelayWindow, ReturnsAfterItsUpdates)
{
    FakeApp app;
    EXPECT_EQ(ShowDelayWindow(1), 0);
    EXPECT_EQ(app.mAppSteps, 1);
    EXPECT_EQ(ShowDelayWindow(3), 0);
    EXPECT_EQ(app.mAppSteps, 4);
    EXPECT_TRUE(app.mDialogs.empty());
    EXPECT_EQ(app.mManager.mBaseModalWidget, nullptr);
}

TEST(WideScreenBars, FillTheSidesOfWideDisplaysOnly)
{
    EXPECT_EQ(WideScreenBars::BarWidth(1280, 720), 133);
    EXPECT_EQ(WideScreenBars::BarWidth(1024, 768), 0);
    EXPECT_EQ(WideScreenBars::BarWidth(800, 600), 0);
    EXPECT_EQ(WideScreenBars::BarWidth(1280, 0), 0);

    FakeApp app;
    {
        WideScreenBars bars;
        EXPECT_TRUE(app.mManager.HasWidget(&bars));
        EXPECT_EQ(app.mManager.GetWidgetAt(10, 10), nullptr); // never hit
        app.mManager.RemoveWidget(&bars);
    }
}

} // namespace
