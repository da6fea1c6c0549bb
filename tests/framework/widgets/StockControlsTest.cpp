#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/Checkbox.h"
#include "framework/widgets/CheckboxListener.h"
#include "framework/widgets/Slider.h"
#include "framework/widgets/SliderListener.h"
#include "tests/framework/widgets/ControlFixture.h"
#include "tests/support/RecordingImage.h"

#include <cmath>

using Kivo::Color;
using Kivo::Rect;

namespace {

// Logs every report but ButtonPressCount, whose default turns into a press.
class ButtonLog : public Kivo::ButtonListener {
public:
    void ButtonPress(int id) override { Add("Press", id); }
    void ButtonDepress(int id) override { Add("Depress", id); }
    void ButtonDownTick(int id) override { Add("Tick", id); }
    void ButtonMouseEnter(int id) override { Add("Enter", id); }
    void ButtonMouseLeave(int id) override { Add("Leave", id); }
    void Add(const std::string& what, int id) { calls.push_back(what + " " + std::to_string(id)); }
    std::vector<std::string> calls;
};

class Buttons : public ControlTest {
protected:
    // The buttons leave the tree while their listener still lives.
    ~Buttons() override { manager.RemoveAllWidgets(false, true); }
    Kivo::ButtonWidget* MakeButton()
    {
        auto* b = Add(std::make_unique<Kivo::ButtonWidget>(7, &listener), 100, 100, 80, 30);
        b->SetFont(&font);
        b->mLabel = "ok";
        return b;
    }
    ButtonLog listener;
};

TEST_F(Buttons, ReportPressesAndOnlyReleasesOverThemWithTheApplicationFocused)
{
    MakeButton();
    Click(110, 110);
    EXPECT_EQ(listener.calls, (std::vector<std::string>{"Enter 7", "Press 7", "Depress 7"}));
    listener.calls.clear();

    manager.MouseDown(110, 110, 2); // a double click presses once more
    manager.MouseMove(300, 300);    // dragged off
    manager.MouseUp(300, 300, 2);
    EXPECT_EQ(listener.calls, (std::vector<std::string>{"Press 7", "Leave 7"}));
    listener.calls.clear();

    manager.MouseMove(110, 110);
    manager.MouseDown(110, 110, 1);
    manager.mAppHasFocus = false;
    manager.MouseUp(110, 110, 1);
    EXPECT_EQ(listener.calls, (std::vector<std::string>{"Enter 7", "Press 7"}));
}

TEST_F(Buttons, TickEveryUpdateWhileHeldOverThem)
{
    MakeButton();
    manager.MouseMove(110, 110);
    manager.MouseDown(110, 110, 1);
    listener.calls.clear();
    app.Steps(2);
    manager.MouseMove(300, 300);
    app.Steps(2);
    EXPECT_EQ(listener.calls, (std::vector<std::string>{"Tick 7", "Tick 7", "Leave 7"}));
}

TEST_F(Buttons, FramedLookIsRaisedOrSunkenWithTheLabelMovedWhilePressed)
{
    Kivo::ButtonWidget* b = MakeButton();
    const auto draw = [&] {
        RecordingImage dest(800, 600);
        Kivo::Graphics g(&dest);
        textLog.clear();
        b->Draw(&g);
        return dest.mOps;
    };
    const Color white(255, 255, 255), black(0, 0, 0);
    auto raised = draw();
    ASSERT_EQ(raised.size(), 7u);
    EXPECT_EQ(raised[0].mRect, Rect(0, 0, 80, 30));
    EXPECT_EQ(raised[0].mColor, Color(212, 212, 212));
    EXPECT_EQ(raised[1].mColor, white); // top
    EXPECT_EQ(raised[3].mColor, black); // bottom
    // Centred: (80 - 20) / 2; baseline (8 + 30 - 1 - 1) / 2.
    EXPECT_EQ(textLog, (LoggingFont::Log{{"ok", 30, 18, black}}));

    manager.MouseMove(110, 110);
    manager.MouseDown(110, 110, 1);
    auto sunken = draw();
    ASSERT_EQ(sunken.size(), 7u);
    EXPECT_EQ(sunken[1].mColor, black);
    EXPECT_EQ(sunken[3].mColor, white);
    EXPECT_EQ(sunken[5].mRect, Rect(1, 1, 77, 1)); // inner shadow along the top
    EXPECT_EQ(textLog, (LoggingFont::Log{{"ok", 31, 19, black}}));
}

TEST_F(Buttons, OverLookFadesInOverTheNormalLook)
{
    Kivo::ButtonWidget* b = MakeButton();
    Kivo::MemoryImage normal, over;
    normal.Create(80, 30);
    over.Create(80, 30);
    b->mButtonImage = &normal;
    b->mOverImage = &over;
    b->mOverAlphaFadeInSpeed = 0.1;
    manager.MouseMove(110, 110);
    app.Steps(5);
    RecordingImage dest(800, 600);
    Kivo::Graphics g(&dest);
    b->Draw(&g);
    ASSERT_EQ(dest.mOps.size(), 2u);
    EXPECT_EQ(dest.mOps[0].mImage, &normal);
    EXPECT_EQ(dest.mOps[1].mImage, &over);
    EXPECT_EQ(dest.mOps[1].mColor.mAlpha, 127);
    app.Steps(5);
    EXPECT_EQ(b->mOverAlpha, 1.0); // full strength in ten updates
}

class CheckLog : public Kivo::CheckboxListener {
public:
    void CheckboxChecked(int id, bool checked) override { calls.emplace_back(id, checked); }
    std::vector<std::pair<int, bool>> calls;
};

TEST_F(ControlTest, CheckboxTogglesOnAnyButtonAndDrawsItsState)
{
    CheckLog listener;
    Kivo::MemoryImage sheet;
    sheet.Create(40, 20);
    auto* box = Add(std::make_unique<Kivo::Checkbox>(&sheet, nullptr, 3, &listener), 0, 0, 20, 20);
    box->mUncheckedRect = Rect(0, 0, 20, 20);
    box->mCheckedRect = Rect(20, 0, 20, 20);
    Click(5, 5, 1);
    Click(5, 5, -1);
    box->SetChecked(true, false);
    EXPECT_EQ(listener.calls, (std::vector<std::pair<int, bool>>{{3, true}, {3, false}}));
    RecordingImage dest(100, 100);
    Kivo::Graphics g(&dest);
    box->Draw(&g);
    ASSERT_EQ(dest.mOps.size(), 1u);
    EXPECT_EQ(dest.mOps[0].mSource, Rect(20, 0, 20, 20));
}

class SliderLog : public Kivo::SliderListener {
public:
    void SliderVal(int id, double value) override { calls.emplace_back(id, value); }
    std::vector<std::pair<int, double>> calls;
};

class Sliders : public ControlTest {
protected:
    Sliders()
    {
        thumb.Create(20, 10);
        slider = Add(std::make_unique<Kivo::Slider>(nullptr, &thumb, 4, &listener), 100, 0, 220, 10);
    }
    Kivo::MemoryImage thumb;
    SliderLog listener;
    Kivo::Slider* slider;
};

TEST_F(Sliders, SetValueClampsWithoutTellingTheListener)
{
    slider->SetValue(1.5);
    EXPECT_EQ(slider->mValue, 1.0);
    slider->SetValue(-0.2);
    EXPECT_EQ(slider->mValue, 0.0);
    EXPECT_TRUE(listener.calls.empty());
}

TEST_F(Sliders, ClickOnTheTrackJumpsAndReportsOnRelease)
{
    manager.MouseMove(210, 5);
    manager.MouseDown(210, 5, 1);
    EXPECT_EQ(slider->mValue, 0.5);
    EXPECT_TRUE(listener.calls.empty());
    manager.MouseUp(210, 5, 1);
    EXPECT_EQ(listener.calls, (std::vector<std::pair<int, double>>{{4, 0.5}}));
}

TEST_F(Sliders, DraggingTheThumbReportsEachChangeWithTheDragCursor)
{
    manager.MouseMove(105, 5); // over the thumb at 0
    manager.MouseDown(105, 5, 1);
    manager.MouseDrag(205, 5);
    manager.MouseDrag(205, 5); // unchanged: not reported
    manager.MouseDrag(900, 5);
    manager.MouseUp(900, 5, 1);
    EXPECT_EQ(listener.calls, (std::vector<std::pair<int, double>>{{4, 0.5}, {4, 1.0}, {4, 1.0}}));
    EXPECT_EQ(app.mCursors, (std::vector<int>{2, 2, 0}));
}

TEST_F(Sliders, ASliderWithoutRoomKeepsAValidValue)
{
    slider->Resize(100, 0, 0, 10);
    slider->mThumbImage = nullptr;
    slider->mMouseInsets = {-5, 0, -5, 0}; // still hit
    manager.MouseMove(100, 5);
    manager.MouseDown(100, 5, 1);
    manager.MouseDrag(150, 5);
    manager.MouseUp(150, 5, 1);
    EXPECT_FALSE(std::isnan(slider->mValue));
    EXPECT_EQ(slider->mValue, 0.0);
}

} // namespace
