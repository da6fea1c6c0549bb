#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/FakeApp.h"
#include "tests/support/LogWidget.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

using Kivo::Rect;
using Kivo::Widget;

namespace {

class TreeTest : public ::testing::Test {
protected:
    ~TreeTest() override { manager.RemoveAllWidgets(false, true); }

    LogWidget* Make(const std::string& name, int x = 0, int y = 0, int w = 0, int h = 0, int z = 0)
    {
        owned.push_back(std::make_unique<LogWidget>(name, &log, x, y, w, h));
        owned.back()->mZOrder = z;
        byName[name] = owned.back().get();
        return owned.back().get();
    }
    std::string Order(Kivo::WidgetContainer* container)
    {
        std::string s;
        for (Widget* w : container->GetChildren())
            s += static_cast<LogWidget*>(w)->mName;
        return s;
    }
    void ClearDirty()
    {
        manager.mDirty = false;
        for (auto& w : owned)
            w->mDirty = false;
    }
    std::string Dirty()
    {
        std::string s;
        for (auto& w : owned)
            if (w->mDirty)
                s += w->mName;
        return s;
    }

    FakeApp app;
    Kivo::WidgetManager& manager = app.mManager;
    CallLog log;
    std::vector<std::unique_ptr<LogWidget>> owned;
    std::map<std::string, LogWidget*> byName;
};

TEST_F(TreeTest, ChildOrderFollowsZOrderAndTheReorderingOperations)
{
    struct Case {
        const char* adds; // name and z-order digit pairs, added in this order
        const char* op;   // F front, K back, B behind, I in front; the reference "x" is not a child
        char child;
        char reference;
        const char* expected;
    };
    const Case cases[] = {
        {"a0b0c0", "", 0, 0, "abc"},      // equal z stacks in adding order
        {"a1b0c2d1", "", 0, 0, "badc"},   // a later equal goes on top of its equals
        {"a0b0a0", "", 0, 0, "ab"},       // adding twice keeps one entry
        {"a1b1c0", "F", 'a', 0, "cba"},
        {"a0b1c1d1", "K", 'd', 0, "adbc"}, // below its equals, above lower z
        {"a0b0c0", "B", 'c', 'b', "acb"},
        {"a0b0c0", "B", 'a', 'x', "bca"}, // no such reference: to the front
        {"a0b0c0", "I", 'a', 'b', "bac"},
        {"a0b0c0", "I", 'a', 'x', "bca"},
        {"a0b1c2", "B", 'c', 'a', "abc"}, // z-order beats the reference
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.adds) + " " + c.op);
        manager.RemoveAllWidgets();
        owned.clear();
        byName.clear();
        Make("x");
        for (const char* p = c.adds; *p; p += 2) {
            std::string name(1, p[0]);
            LogWidget* w = byName.count(name) ? byName[name] : Make(name, 0, 0, 0, 0, p[1] - '0');
            manager.AddWidget(w);
        }
        LogWidget* child = c.child ? byName[std::string(1, c.child)] : nullptr;
        LogWidget* ref = c.reference ? byName[std::string(1, c.reference)] : nullptr;
        switch (c.op[0]) {
        case 'F': manager.BringToFront(child); break;
        case 'K': manager.BringToBack(child); break;
        case 'B': manager.PutBehind(child, ref); break;
        case 'I': manager.PutInFront(child, ref); break;
        }
        EXPECT_EQ(Order(&manager), c.expected);
    }
}

TEST_F(TreeTest, IsBelowWalksTheSubtreeDepthFirst)
{
    LogWidget* a = Make("a");
    LogWidget* a1 = Make("a1");
    LogWidget* b = Make("b");
    LogWidget* stranger = Make("s");
    a->AddWidget(a1);
    manager.AddWidget(a);
    manager.AddWidget(b);
    EXPECT_TRUE(manager.IsBelow(a1, b));
    EXPECT_FALSE(manager.IsBelow(b, a1));
    EXPECT_TRUE(manager.IsBelow(a, a1));
    EXPECT_FALSE(manager.IsBelow(stranger, b));
}

TEST_F(TreeTest, UpdateWalkSurvivesRemovalAndReordering)
{
    LogWidget* a = Make("a");
    LogWidget* b = Make("b");
    LogWidget* c = Make("c");
    LogWidget* d = Make("d");
    LogWidget* e = Make("e");
    for (LogWidget* w : {a, b, c, d, e})
        manager.AddWidget(w);
    a->mOnUpdate = [&] { manager.RemoveWidget(a); };     // removes itself
    b->mOnUpdate = [&] { manager.RemoveWidget(c); };     // removes a later sibling
    d->mOnUpdate = [&] { manager.BringToFront(d); };     // moves itself behind the walk
    app.Step();
    EXPECT_EQ(log, (CallLog{"a.Update", "b.Update", "d.Update", "e.Update"}));
    EXPECT_EQ(Order(&manager), "bed");
    log.clear();
    app.Step();
    EXPECT_EQ(log, (CallLog{"b.Update", "e.Update", "d.Update"}));
}

// A modal loop nested in an update runs whole passes of its own; what it
// removes and deletes is never touched again by the outer pass.
TEST_F(TreeTest, NestedPassRemovesAndDeletesSafely)
{
    LogWidget* a = Make("a");
    LogWidget* b = Make("b");
    auto* doomed = new LogWidget("c", &log);
    LogWidget* d = Make("d");
    for (Widget* w : {static_cast<Widget*>(a), static_cast<Widget*>(b), static_cast<Widget*>(doomed),
                      static_cast<Widget*>(d)})
        manager.AddWidget(w);
    doomed->mOnUpdate = [&] {
        manager.RemoveWidget(doomed);
        app.SafeDeleteWidget(doomed);
    };
    bool nested = false;
    b->mOnUpdate = [&] {
        if (nested)
            return;
        nested = true;
        ++app.mNestDepth;
        app.Step();
        --app.mNestDepth;
    };
    // A request of the outer pass waits for the outer depth.
    auto* outerRequest = new LogWidget("o", nullptr);
    app.SafeDeleteWidget(outerRequest);
    app.Step();
    // The nested pass is a frame of its own; d, updated there, is not
    // updated again when the outer pass reaches it.
    EXPECT_EQ(log, (CallLog{"a.Update", "b.Update", "a.Update", "b.Update", "c.Update", "d.Update"}));
    EXPECT_EQ(Order(&manager), "abd");
    EXPECT_FALSE(app.mSafeDeleteList.Contains(doomed));
    EXPECT_FALSE(app.mSafeDeleteList.Contains(outerRequest)); // processed by the outer step
}

TEST_F(TreeTest, DirtyMarking)
{
    // back covers the hidden widget's top-left, front its bottom-right.
    LogWidget* back = Make("B", 0, 0, 100, 100);
    LogWidget* hidden = Make("H", 50, 50, 100, 100);
    LogWidget* front = Make("F", 120, 120, 50, 50);
    LogWidget* far = Make("X", 300, 300, 10, 10);
    for (LogWidget* w : {back, hidden, front, far})
        manager.AddWidget(w);

    ClearDirty();
    hidden->SetVisible(false);
    EXPECT_EQ(Dirty(), "BHF");
    EXPECT_TRUE(manager.mDirty);

    ClearDirty();
    hidden->SetVisible(true);
    EXPECT_EQ(Dirty(), "HF"); // showing marks itself and what lies above it

    ClearDirty();
    hidden->Resize(50, 50, 100, 100);
    EXPECT_EQ(Dirty(), "");
    hidden->Resize(60, 60, -1, -1);
    EXPECT_EQ(hidden->GetRect(), Rect(60, 60, 100, 100));
    EXPECT_EQ(Dirty(), "BHF");
}

TEST_F(TreeTest, FullMarkingStopsAtAnOpaqueCover)
{
    for (bool coverHasAlpha : {false, true}) {
        SCOPED_TRACE(coverHasAlpha);
        manager.RemoveAllWidgets();
        owned.clear();
        LogWidget* bottom = Make("B", 0, 0, 200, 200);
        LogWidget* cover = Make("C", 0, 0, 200, 200);
        LogWidget* top = Make("T", 50, 50, 50, 50);
        cover->mHasAlpha = coverHasAlpha;
        for (LogWidget* w : {bottom, cover, top})
            manager.AddWidget(w);
        ClearDirty();
        top->MarkDirtyFull();
        EXPECT_EQ(Dirty(), coverHasAlpha ? "BCT" : "CT");
    }
}

TEST_F(TreeTest, EnablingUnderTheRestingMouseSendsAMoveAtOnce)
{
    // The widget lies inside a container, so its rectangle in the parent
    // does not hold the manager's mouse point.
    LogWidget* panel = Make("P", 100, 100, 200, 200);
    LogWidget* button = Make("b", 10, 10, 20, 20);
    panel->mMouseVisible = false;
    panel->AddWidget(button);
    manager.AddWidget(panel);
    button->SetDisabled(true);
    manager.MouseMove(115, 115);
    log.clear();
    button->SetDisabled(false);
    EXPECT_EQ(log, (CallLog{"b.Enter", "b.Move 5,5"}));
}

TEST_F(TreeTest, DigitStripCellsAreClippedPerDigit)
{
    Widget w;
    struct Case {
        int n;
        int digits;
        std::vector<int> drawn;
    };
    const Case cases[] = {{0, 1, {0}}, {7, 1, {7}}, {1203, 4, {1, 2, 0, 3}}, {-7, 1, {7}}, {10, 2, {1, 0}}};
    Kivo::Image strip;
    strip.mWidth = 100; // ten cells of 10 x 12
    strip.mHeight = 12;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(w.CountDigits(c.n), c.digits);
        RecordingImage dest(800, 600);
        Kivo::Graphics g(&dest);
        g.Translate(3, 4);
        w.DrawNumberFromStrip(&g, c.n, 5, 20, &strip, 2);
        ASSERT_EQ(dest.mOps.size(), c.drawn.size());
        for (size_t i = 0; i < c.drawn.size(); ++i) {
            const int x = 3 + 5 + int(i) * 12;
            EXPECT_EQ(dest.mOps[i].mRect, Rect(x, 24, 10, 12));
            EXPECT_EQ(dest.mOps[i].mSource, Rect(c.drawn[i] * 10, 0, 10, 12));
        }
    }
}

class FixedFont : public Kivo::Font {
public:
    FixedFont()
    {
        mAscent = 10;
        mHeight = 14;
    }
    int StringWidth(const std::string& text) override { return 7 * int(text.size()); }
    void DrawString(Kivo::Graphics*, int x, int y, const std::string& text, const Kivo::Color& color,
                    const Rect&) override
    {
        drawn.push_back(text + "@" + LogWidget::Point(x, y) + " a" + std::to_string(color.mAlpha));
    }
    Font* Duplicate() override { return new FixedFont(*this); }

    std::vector<std::string> drawn;
};

TEST_F(TreeTest, CenteredLinesReturnTheAreaTheyCover)
{
    Widget w;
    w.mWidth = 100;
    FixedFont font;
    RecordingImage dest(800, 600);
    Kivo::Graphics g(&dest);
    g.SetFont(&font);
    EXPECT_EQ(w.DrawCenteredLine(&g, 30, "abc"), Rect(39, 20, 21, 14));
    Kivo::Color shadow(0, 0, 0);
    shadow.mAlpha = 128;
    EXPECT_EQ(w.DrawCenteredLineShadow(&g, 30, "abc", Kivo::Color(255, 255, 255), shadow, Kivo::Point{-2, 3}),
              Rect(37, 20, 23, 17));
    EXPECT_EQ(font.drawn, (std::vector<std::string>{"abc@39,30 a255", "abc@37,33 a128", "abc@39,30 a255"}));
}

TEST_F(TreeTest, JustifiedTextHonoursColourCodesAndRestoresTheSetting)
{
    Widget w;
    FixedFont font;
    RecordingImage dest(800, 600);
    Kivo::Graphics g(&dest);
    g.SetFont(&font);
    g.mWriteColoredString = false;
    EXPECT_EQ(w.DrawStringJustified(&g, "^FF0000^ab", 0, 20, -1, -1, false), 14); // the code is not text
    EXPECT_FALSE(g.mWriteColoredString);
    EXPECT_TRUE(font.drawn.empty()); // measuring draws nothing
    w.DrawStringJustified(&g, "^FF0000^ab", 0, 20, 100, 0);
    ASSERT_EQ(font.drawn.size(), 1u);
    EXPECT_EQ(font.drawn[0], "ab@43,20 a255"); // centred in 100
    EXPECT_EQ(w.WordWrappedHeight(&g, 21, "abc abc"), 2 * 14);
}

TEST_F(TreeTest, ColourTableGrowsWithDefaults)
{
    Widget w;
    w.SetColor(2, Kivo::Color(1, 2, 3));
    EXPECT_EQ(w.mColors.size(), 3u);
    EXPECT_EQ(w.GetColor(0), Kivo::Color(0, 0, 0));
    EXPECT_EQ(w.GetColor(2), Kivo::Color(1, 2, 3));
    EXPECT_EQ(w.GetColor(9), Widget::sDefaultColor);
    const int rows[2][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    w.SetColorsRGBA(rows, 2);
    ASSERT_EQ(w.mColors.size(), 2u);
    EXPECT_EQ(w.GetColor(1).mAlpha, 8);
}

} // namespace

#ifndef NDEBUG
// Deleting a widget that the tree or a running walk still holds would leave
// a dangling pointer; debug builds stop at once.
TEST(WidgetDeathTest, DeletingAWidgetStillInUseAsserts)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            FakeApp app;
            auto* w = new LogWidget("w", nullptr);
            app.mManager.AddWidget(w);
            delete w;
        },
        "in the widget tree");
    EXPECT_DEATH(
        {
            FakeApp app;
            auto* w = new LogWidget("w", nullptr);
            app.mManager.AddWidget(w);
            w->mOnUpdate = [&] {
                app.mManager.RemoveWidget(w);
                delete w;
            };
            app.Step();
        },
        "SafeDeleteWidget");
}
#endif
