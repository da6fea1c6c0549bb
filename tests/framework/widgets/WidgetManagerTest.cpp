#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/FakeApp.h"
#include "tests/support/LogWidget.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

#include <memory>

using Kivo::Rect;
using Kivo::Widget;

namespace {

constexpr int kLeft = 1, kRight = -1, kMiddle = 3;

class ManagerTest : public ::testing::Test {
protected:
    ~ManagerTest() override { manager.RemoveAllWidgets(false, true); }

    LogWidget* Make(const std::string& name, int x, int y, int w, int h, Kivo::WidgetContainer* parent = nullptr)
    {
        owned.push_back(std::make_unique<LogWidget>(name, &log, x, y, w, h));
        (parent ? parent : &manager)->AddWidget(owned.back().get());
        return owned.back().get();
    }
    CallLog Take()
    {
        CallLog taken;
        taken.swap(log);
        return taken;
    }

    FakeApp app;
    Kivo::WidgetManager& manager = app.mManager;
    CallLog log;
    std::vector<std::unique_ptr<LogWidget>> owned;
};

TEST_F(ManagerTest, PressDragOffAndReleaseKeepsTheCapture)
{
    Make("A", 0, 0, 100, 100);
    Make("B", 200, 0, 100, 100);
    manager.MouseMove(50, 50);
    manager.MouseDown(50, 50, kLeft);
    manager.MouseMove(250, 50);
    manager.MouseMove(260, 60);
    EXPECT_EQ(Take(), (CallLog{"A.Enter", "A.Move 50,50", "A.Down 50,50 b0 n1", "A.Drag 250,50", "A.Leave",
                               "A.Drag 260,60"}));
    manager.MouseUp(260, 60, kLeft);
    EXPECT_EQ(Take(), (CallLog{"B.Enter", "B.Move 60,60", "A.Up 260,60 b0 n1"}));
    EXPECT_EQ(manager.mLastDownWidget, nullptr);
}

TEST_F(ManagerTest, SecondButtonGoesToTheCapturedWidgetInItsOwnCoordinates)
{
    LogWidget* a = Make("A", 0, 0, 100, 100);
    LogWidget* b = Make("B", 200, 0, 100, 100);
    manager.MouseDown(50, 50, kLeft);
    manager.MouseMove(250, 50);
    Take();
    manager.MouseDown(250, 50, kRight);
    manager.MouseUp(250, 50, kLeft);
    EXPECT_EQ(manager.mLastDownWidget, a); // the right button still holds it
    manager.MouseUp(250, 50, kRight);
    EXPECT_EQ(manager.mLastDownWidget, nullptr);
    manager.MouseDown(250, 50, kLeft);
    EXPECT_EQ(manager.mLastDownWidget, b);
    // The press enters B under the pointer, but goes to A, in A's frame.
    EXPECT_EQ(Take(), (CallLog{"B.Enter", "B.Move 50,50", "A.Down 250,50 b1 n1", "A.Up 250,50 b0 n1",
                               "A.Up 250,50 b1 n1", "B.Down 50,50 b0 n1"}));
}

// A widget inside a container gets every point relative to its absolute
// position, whether it drags, is released or has its buttons released.
TEST_F(ManagerTest, NestedCapturedWidgetGetsLocalPoints)
{
    LogWidget* dialog = Make("D", 100, 100, 300, 300);
    dialog->mMouseVisible = false;
    Make("W", 10, 20, 50, 50, dialog);
    manager.MouseDown(120, 130, kLeft);
    manager.MouseMove(300, 300);
    manager.MouseUp(300, 300, kLeft);
    manager.MouseDown(120, 130, kMiddle);
    manager.MouseMove(130, 140);
    manager.ReleaseHeldButtons();
    CallLog calls;
    for (const std::string& s : Take())
        if (s.rfind("W.Down", 0) == 0 || s.rfind("W.Drag", 0) == 0 || s.rfind("W.Up", 0) == 0)
            calls.push_back(s);
    EXPECT_EQ(calls, (CallLog{"W.Down 10,10 b0 n1", "W.Drag 190,180", "W.Up 190,180 b0 n1", "W.Down 10,10 b2 n1",
                              "W.Drag 20,20", "W.Up 20,20 b2 n1"}));
}

TEST_F(ManagerTest, ClickCodesMapToButtonsAndCounts)
{
    Make("A", 0, 0, 100, 100);
    const struct {
        int code;
        const char* down;
    } cases[] = {{1, "A.Down 5,5 b0 n1"}, {2, "A.Down 5,5 b0 n2"}, {-1, "A.Down 5,5 b1 n1"},
                 {-2, "A.Down 5,5 b1 n2"}, {3, "A.Down 5,5 b2 n1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        manager.MouseDown(5, 5, c.code);
        EXPECT_TRUE(manager.mLastDownWidget != nullptr);
        manager.MouseUp(5, 5, c.code);
        EXPECT_EQ(manager.mLastDownWidget, nullptr);
        CallLog calls = Take();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls[calls.size() - 2], c.down);
    }
}

TEST_F(ManagerTest, BaseModalWidgetBlocksMouseAndFocusBelowIt)
{
    LogWidget* screen = Make("S", 0, 0, 800, 600);
    screen->mWantsFocus = true;
    manager.SetFocus(screen);
    LogWidget* dialog = Make("D", 200, 200, 100, 100);
    dialog->mWantsFocus = true;
    Take();

    manager.AddBaseModal(dialog);
    EXPECT_EQ(manager.mFocusWidget, nullptr);
    manager.MouseDown(10, 10, kLeft);
    manager.MouseUp(10, 10, kLeft);
    manager.MouseDown(250, 250, kLeft);
    manager.MouseUp(250, 250, kLeft);
    EXPECT_EQ(manager.mFocusWidget, dialog);
    EXPECT_EQ(Take(), (CallLog{"S.LostFocus", "D.Enter", "D.Move 50,50", "D.GotFocus", "D.Down 50,50 b0 n1",
                               "D.Up 50,50 b0 n1"}));

    manager.RemoveWidget(dialog);
    manager.RemoveBaseModal(dialog);
    EXPECT_EQ(manager.mBaseModalWidget, nullptr);
    EXPECT_EQ(manager.mFocusWidget, screen);
    EXPECT_TRUE(manager.mSavedModalStates.empty());
    EXPECT_EQ(Take(), (CallLog{"D.Leave", "D.LostFocus", "S.GotFocus"}));
}

TEST_F(ManagerTest, RemovingTheBaseModalWidgetPopsPastStatesWhoseWidgetsHaveGone)
{
    LogWidget* p = Make("P", 0, 0, 100, 100);
    LogWidget* x = Make("X", 0, 0, 100, 100);
    LogWidget* y = Make("Y", 0, 0, 100, 100);
    manager.AddBaseModal(p);
    manager.AddBaseModal(x);
    manager.SetFocus(x);
    manager.AddBaseModal(y);
    manager.RemoveWidget(x); // Y's saved state forgets X
    EXPECT_EQ(manager.mSavedModalStates.back().mPrevBaseModalWidget, nullptr);
    EXPECT_EQ(manager.mSavedModalStates.back().mPrevFocusWidget, nullptr);

    manager.RemoveBaseModal(p); // not the last one made: nothing happens
    EXPECT_EQ(manager.mBaseModalWidget, y);
    manager.RemoveBaseModal(y);
    EXPECT_EQ(manager.mBaseModalWidget, p);
    EXPECT_EQ(manager.mSavedModalStates.size(), 1u);
    manager.RemoveBaseModal(p);
    EXPECT_EQ(manager.mBaseModalWidget, nullptr);
    EXPECT_TRUE(manager.mSavedModalStates.empty());
}

TEST_F(ManagerTest, KeysFollowTheFocusAndAreReleasedWhenTheApplicationLosesFocus)
{
    LogWidget* a = Make("A", 0, 0, 10, 10);
    LogWidget* b = Make("B", 0, 0, 10, 10);
    LogWidget* tabTarget = Make("T", 0, 0, 10, 10);
    a->mTabNext = b;
    b->mTabPrev = a;
    manager.mDefaultTabWidget = tabTarget;

    manager.KeyDown(9); // no focus: nothing to tell
    manager.KeyUp(9);
    manager.SetFocus(a);
    manager.KeyDown(9);
    manager.KeyUp(9);
    EXPECT_EQ(manager.mFocusWidget, b);
    manager.KeyDown(16);
    manager.KeyDown(9);
    manager.KeyUp(9);
    EXPECT_EQ(manager.mFocusWidget, a);
    manager.KeyUp(16);
    EXPECT_EQ(Take(), (CallLog{"A.GotFocus", "A.KeyDown 9", "A.LostFocus", "B.GotFocus", "B.KeyUp 9",
                               "B.KeyDown 16", "B.KeyDown 9", "B.LostFocus", "A.GotFocus", "A.KeyUp 9",
                               "A.KeyUp 16"}));

    manager.KeyDown(17);
    manager.KeyChar(9);  // Ctrl+Tab: to the default-tab widget
    manager.KeyUp(9);    // swallowed
    manager.KeyChar('x');
    manager.KeyDown(300); // outside the key table
    manager.KeyDown(-5);
    manager.KeyDown(65);
    EXPECT_FALSE(manager.IsKeyDown(300));
    EXPECT_TRUE(manager.IsKeyDown(65));
    manager.LostFocus();
    manager.KeyDown(66); // keys still reach the focus while inactive
    manager.GotFocus();
    EXPECT_EQ(Take(), (CallLog{"A.KeyDown 17", "T.Char 9", "A.Char 120", "A.KeyDown 300", "A.KeyDown -5",
                               "A.KeyDown 65", "A.KeyUp 17", "A.KeyUp 65", "A.LostFocus", "A.KeyDown 66",
                               "A.GotFocus"}));
    EXPECT_FALSE(manager.IsKeyDown(17));
}

TEST_F(ManagerTest, RemovalClearsEveryReferenceToTheWidget)
{
    LogWidget* panel = Make("P", 0, 0, 100, 100);
    LogWidget* w = Make("W", 10, 10, 50, 50, panel);
    w->mWantsFocus = true;
    manager.mDefaultTabWidget = w;
    manager.MouseDown(20, 20, kLeft);
    EXPECT_EQ(manager.mOverWidget, w);
    EXPECT_EQ(manager.mLastDownWidget, w);
    EXPECT_EQ(manager.mFocusWidget, w);
    Take();
    manager.RemoveWidget(panel);
    EXPECT_EQ(Take(), (CallLog{"W.Leave", "W.Up 10,10 b0 n1", "W.LostFocus"}));
    EXPECT_EQ(manager.mOverWidget, nullptr);
    EXPECT_EQ(manager.mLastDownWidget, nullptr);
    EXPECT_EQ(manager.mHeldButtons, 0);
    EXPECT_EQ(manager.mFocusWidget, nullptr);
    EXPECT_EQ(manager.mDefaultTabWidget, nullptr);
    EXPECT_EQ(w->mManager, nullptr);
    EXPECT_EQ(w->mParent, panel);
}

TEST_F(ManagerTest, PressOutsideThePopupClosesIt)
{
    LogWidget* popup = Make("P", 100, 100, 50, 50);
    manager.mPopupWidget = popup;
    manager.MouseDown(120, 120, kLeft);
    manager.MouseUp(120, 120, kLeft);
    EXPECT_TRUE(manager.HasWidget(popup));
    manager.MouseDown(10, 10, kLeft);
    EXPECT_FALSE(manager.HasWidget(popup));
    EXPECT_EQ(manager.mPopupWidget, nullptr);
}

TEST_F(ManagerTest, OverlaysAreDrawnByPriorityAfterTheWidgetsBelowThem)
{
    RecordingImage screen(800, 600);
    manager.mScreenImage = &screen;
    LogWidget* cursor = Make("C", 0, 0, 10, 10);
    LogWidget* fade = Make("F", 20, 0, 10, 10);
    LogWidget* panel = Make("S", 40, 0, 10, 10);
    LogWidget* high = Make("H", 60, 0, 10, 10);
    high->mPriority = 1;
    cursor->mOnDraw = [&] { manager.QueueOverlay(cursor, 10); };
    fade->mOnDraw = [&] { manager.QueueOverlay(fade, 2); };
    panel->mOnDraw = [&] { manager.QueueOverlay(panel, 0); };
    EXPECT_TRUE(manager.DrawScreen());
    EXPECT_EQ(Take(), (CallLog{"C.Draw", "F.Draw", "S.Draw", "S.Overlay 0", "H.Draw", "F.Overlay 2",
                               "C.Overlay 10"}));
    EXPECT_EQ(app.mLocks, 1);
    EXPECT_EQ(app.mUnlocks, 1);

    // Only dirty widgets draw, and only their overlays are drawn.
    fade->MarkDirty();
    EXPECT_TRUE(manager.DrawScreen());
    EXPECT_EQ(Take(), (CallLog{"F.Draw", "F.Overlay 2"}));
    EXPECT_FALSE(manager.DrawScreen());
    EXPECT_TRUE(Take().empty());

    app.mLockSucceeds = false;
    manager.DrawScreen();
    EXPECT_EQ(app.mLocks, 4);
    EXPECT_EQ(app.mUnlocks, 3);
}

TEST_F(ManagerTest, MouseMappingScalesScreenPointsToTheGameArea)
{
    int x = 900, y = 650;
    manager.MapMousePoint(x, y);
    EXPECT_EQ(x, 900); // identity: the fake application maps 800 x 600 onto itself
    manager.SetMouseMapping(Rect(80, 0, 640, 480), Rect(0, 0, 1600, 1200));
    EXPECT_EQ(manager.mWidth, 800);
    EXPECT_EQ(manager.mHeight, 480);
    x = 800;
    y = 600;
    manager.MapMousePoint(x, y);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 240);

    Kivo::WidgetManager unmapped(&app);
    x = 123;
    y = -4;
    unmapped.MapMousePoint(x, y);
    EXPECT_EQ(x, 123);
    EXPECT_EQ(y, -4);
}

} // namespace
