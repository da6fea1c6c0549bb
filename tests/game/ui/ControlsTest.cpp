#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/SliderListener.h"
#include "framework/widgets/WidgetManager.h"
#include "game/ui/ButtonBase.h"
#include "game/ui/ButtonTownUpgrade.h"
#include "game/ui/EditCustom.h"
#include "game/ui/FadingLabel.h"
#include "game/ui/SliderCustom.h"
#include "tests/framework/display/DisplayFixture.h"
#include "tests/support/FakeApp.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Recorder : public Kivo::ButtonListener, public Kivo::SliderListener {
public:
    void ButtonPressCount(int id, int count) override { log.push_back("count " + std::to_string(id) + "," + std::to_string(count)); }
    void ButtonDepress(int id) override { log.push_back("depress " + std::to_string(id)); }
    void ButtonMouseEnter(int id) override { log.push_back("enter " + std::to_string(id)); }
    void SliderVal(int id, double value) override
    {
        log.push_back("slider " + std::to_string(id));
        values.push_back(value);
    }
    std::vector<std::string> log;
    std::vector<double> values;
};

class Controls : public ::testing::Test {
protected:
    Controls()
    {
        normal.Create(40, 20);
        down.Create(40, 20);
        glow.Create(40, 20);
        manager.mScreenImage = &screen;
    }
    void Add(Kivo::Widget* widget, int x, int y)
    {
        widget->Move(x, y);
        manager.AddWidget(widget);
    }
    void Click(int x, int y)
    {
        manager.MouseMove(x, y);
        manager.MouseDown(x, y, 1);
        manager.MouseUp(x, y, 1);
    }
    std::vector<RecordingImage::Op> Frame()
    {
        screen.mOps.clear();
        manager.MarkAllDirty();
        manager.DrawScreen();
        return screen.mOps;
    }

    FakeApp app;
    Kivo::WidgetManager& manager = app.mManager;
    RecordingImage screen{800, 600};
    Kivo::MemoryImage normal, down, glow;
    Recorder listener;
};

TEST_F(Controls, AQuickClickShowsTheWholePressAnimation)
{
    ButtonBase button(7, &listener);
    button.mButtonImage = &normal;
    button.mDownImage = &down;
    button.ResizeToImage();
    button.mPressFadeEnabled = true;
    Add(&button, 100, 100);
    manager.MouseMove(110, 110);
    manager.MouseDown(110, 110, 1);
    app.Step(); // held for one update only
    manager.MouseUp(110, 110, 1);
    EXPECT_EQ(listener.log, (std::vector<std::string>{"enter 7", "count 7,1", "depress 7"}));

    std::vector<float> fades;
    for (int i = 0; i < 30; ++i) {
        app.Step();
        fades.push_back(button.mPressFade.mCurrent);
    }
    // Up to 1 at 0.1 a step although the button was released at once, then
    // back down.
    EXPECT_FLOAT_EQ(*std::max_element(fades.begin(), fades.end()), 1.0f);
    EXPECT_FLOAT_EQ(fades.back(), 0.0f);
    manager.RemoveWidget(&button);
}

TEST_F(Controls, TheCrossFadeDrawsBothLooksAndTheGlowFollowsTheMouse)
{
    ButtonBase button(1, &listener);
    button.mButtonImage = &normal;
    button.mDownImage = &down;
    button.mGlowImage = &glow;
    button.mGlowMode = GLOW_ADDITIVE_OVER;
    button.mGlowStrength = 255;
    button.ResizeToImage();
    Add(&button, 10, 10);

    auto ops = Frame(); // mouse away: the additive glow is invisible
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0].mImage, &normal);
    EXPECT_EQ(ops[1].mImage, &glow);
    EXPECT_EQ(ops[1].mColor.mAlpha, 0);

    manager.MouseMove(20, 20);
    app.Steps(20); // the over fade reaches 1 at 0.05 a step
    ops = Frame();
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[1].mImage, &glow);
    EXPECT_EQ(ops[1].mColor.mAlpha, 255);

    button.mPressFadeEnabled = true;
    manager.MouseDown(20, 20, 1);
    app.Steps(3);
    ops = Frame(); // pressed and still fading: the pressed look, then the normal look over it
    ASSERT_GE(ops.size(), 3u);
    EXPECT_EQ(ops[0].mImage, &down);
    EXPECT_EQ(ops[1].mImage, &normal);
    EXPECT_LT(ops[1].mColor.mAlpha, 255);
    manager.MouseUp(20, 20, 1);
    manager.RemoveWidget(&button);
}

TEST_F(Controls, AMaskedButtonIsHitOnlyOnOpaqueMaskPixels)
{
    displaytest::FakeApp displayApp;
    Kivo::DDInterface display(&displayApp);
    Kivo::DDImage mask(&display);
    mask.Create(30, 10);
    uint32_t* bits = mask.GetBits();
    for (int i = 0; i < 30 * 10; ++i)
        bits[i] = 0xFF000000;
    bits[2 * 30 + 5] = 0x14FFFFFF; // alpha 20: not enough
    bits[2 * 30 + 6] = 0x15000000; // alpha 21

    ButtonBase button(3, &listener);
    button.Resize(100, 100, 40, 20); // wider and taller than the mask
    Add(&button, 100, 100);
    EXPECT_TRUE(button.HitTest(35, 15)); // no mask: everywhere
    button.SetHitMask(&normal);          // not a display-surface image: ignored
    EXPECT_EQ(button.mHitMask, nullptr);
    button.SetHitMask(&mask);
    const struct {
        int x, y;
        bool hit;
    } cases[] = {{0, 0, true}, {5, 2, false}, {6, 2, true}, {29, 9, true}, {30, 5, false}, {5, 10, false}, {35, 15, false}, {-1, 0, false}};
    for (const auto& c : cases)
        EXPECT_EQ(button.HitTest(c.x, c.y), c.hit) << c.x << "," << c.y;
    EXPECT_EQ(manager.GetWidgetAt(105, 102), nullptr);
    EXPECT_EQ(manager.GetWidgetAt(106, 102), &button);
    manager.RemoveWidget(&button);
}

TEST_F(Controls, ALockedBuyButtonTakesNoPress)
{
    ButtonTownUpgrade buy(4, &listener);
    buy.Resize(0, 0, 50, 20);
    Add(&buy, 0, 0);
    for (int state : {1, 2}) {
        buy.SetState(state);
        listener.log.clear();
        Click(10, 10);
        manager.MouseMove(300, 300);
        EXPECT_EQ(listener.log, std::vector<std::string>{"enter 4"}) << state;
    }
    buy.SetState(9); // unknown: buyable
    EXPECT_FALSE(buy.mLocked);
    listener.log.clear();
    Click(10, 10);
    EXPECT_EQ(listener.log, (std::vector<std::string>{"enter 4", "count 4,1", "depress 4"}));
    manager.RemoveWidget(&buy);
}

TEST_F(Controls, TheNameBoxTypesCapitalsUpTo25Characters)
{
    EditCustom edit(2, nullptr);
    edit.Resize(0, 0, 200, 20);
    Add(&edit, 0, 0);
    manager.SetFocus(&edit);
    for (char c : std::string("ab-Zy"))
        manager.KeyChar(c);
    EXPECT_EQ(edit.mString, "AB-ZY");
    for (int i = 0; i < 25; ++i)
        manager.KeyChar('q');
    EXPECT_EQ(edit.mString.size(), 25u);
    EXPECT_EQ(edit.mString, "AB-ZY" + std::string(20, 'Q'));
    manager.RemoveWidget(&edit);
}

TEST_F(Controls, TheSliderJumpsOrDragsAndReportsOnRelease)
{
    Kivo::MemoryImage thumb;
    thumb.Create(10, 10);
    SliderCustom slider(5, &listener);
    slider.mThumbImage = &thumb;
    slider.Resize(0, 0, 110, 20);
    Add(&slider, 0, 0);

    manager.MouseMove(55, 5);
    manager.MouseDown(55, 5, 1); // off the thumb: jumps to 55 / 110
    EXPECT_DOUBLE_EQ(slider.mValue, 0.5);
    EXPECT_FALSE(slider.mDragging);
    manager.MouseUp(55, 5, 1);
    ASSERT_EQ(listener.values.size(), 1u);

    manager.MouseDown(52, 5, 1); // the thumb spans 50..59
    EXPECT_TRUE(slider.mDragging);
    manager.MouseMove(102, 5);
    EXPECT_DOUBLE_EQ(slider.mValue, 1.0);
    manager.MouseUp(102, 5, 1);
    EXPECT_FALSE(slider.mDragging);
    EXPECT_DOUBLE_EQ(listener.values.back(), 1.0);
    EXPECT_TRUE(app.mCursors.empty()); // no cursor changes

    auto ops = Frame();
    ASSERT_EQ(ops.size(), 1u); // no track image: only the thumb
    EXPECT_EQ(ops[0].mRect.mX, 100);
    EXPECT_EQ(ops[0].mRect.mY, 5);
    manager.RemoveWidget(&slider);
}

TEST_F(Controls, SliderWithoutWidthIgnoresPresses)
{
    SliderCustom slider(5, &listener);
    slider.mValue = 0.25;
    slider.MouseDown(3, 0, 1);
    EXPECT_DOUBLE_EQ(slider.mValue, 0.25);
}

TEST(FadingLabel, WaitsOutItsDelayThenFadesIn)
{
    FakeApp app;
    FadingLabel label("hi", nullptr, Kivo::Color(255, 255, 255));
    EXPECT_FALSE(label.mMouseVisible);
    app.mManager.AddWidget(&label);
    label.FadeTo(false, false);
    label.FadeTo(true, true);
    label.SetDelay(2);
    app.Steps(199);
    EXPECT_EQ(label.mAlpha.mCurrent, 0.0f);
    EXPECT_EQ(label.mPulseTime, 0.0f);
    app.Steps(2);
    EXPECT_NEAR(label.mAlpha.mCurrent, 0.06f, 1e-6);
    app.mManager.RemoveWidget(&label);
}

} // namespace
