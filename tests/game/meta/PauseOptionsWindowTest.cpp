#include "framework/widgets/WidgetManager.h"
#include "game/meta/WindowOptions.h"
#include "game/meta/WindowPause.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/CheckboxCustom.h"
#include "game/ui/SliderCustom.h"
#include "platform/win32/Messages.h"
#include "tests/game/meta/AppWindowSupport.h"
#include "tests/game/meta/TownTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using wintest::WindowApp;
using Sounds = std::vector<std::string>;

// A press on the slider's thumb, a drag to `toX` (in the slider) in steps,
// and the release there; the sounds of each stage.
struct DragSounds {
    Sounds press, drag, release;
};
DragSounds DragThumb(WindowApp& app, Kivo::Widget* window, SliderCustom* slider, int toX)
{
    Kivo::WidgetManager* wm = app.widgetManager;
    const int x0 = window->mX + slider->mX;
    const int y = window->mY + slider->mY + slider->mHeight / 2;
    const int thumbX = x0 + static_cast<int>((slider->mWidth - 20) * slider->mValue) + 10;
    DragSounds out;
    wm->MouseMove(thumbX, y);
    wm->MouseDown(thumbX, y, 1);
    out.press = app.TakeSounds();
    for (int x = thumbX; x != x0 + toX; x += x < x0 + toX ? 5 : -5)
        wm->MouseDrag(x, y);
    wm->MouseDrag(x0 + toX, y);
    out.drag = app.TakeSounds();
    wm->MouseUp(x0 + toX, y, 1);
    out.release = app.TakeSounds();
    return out;
}

TEST(PauseWindow, SlidersActAtOnceAndTheSoundSampleOnlyOnRelease)
{
    WindowApp app;
    app.SetMusicVolume(0.5);
    app.SetSfxVolume(0.5);
    auto* window = app.Open<WindowPause>();
    EXPECT_EQ(window->mMusicSlider->mValue, 0.5);

    const DragSounds sound = DragThumb(app, window, window->mSoundSlider, 240);
    EXPECT_TRUE(sound.press.empty());
    EXPECT_TRUE(sound.drag.empty());
    EXPECT_EQ(sound.release, Sounds{"SOUND_SFX_SLIDER"});
    EXPECT_NEAR(app.GetSfxVolume(), 230.0 / 240, 1e-9);

    const DragSounds music = DragThumb(app, window, window->mMusicSlider, 10);
    EXPECT_TRUE(music.drag.empty() && music.release.empty());
    EXPECT_EQ(app.GetMusicVolume(), 0.0);
    // Closing keeps them.
    window->KeyDown(VK_ESCAPE);
    EXPECT_EQ(window->mResult, WindowPause::RESULT_CLOSE);
    EXPECT_EQ(app.GetMusicVolume(), 0.0);
}

TEST(PauseWindow, ResultsOfButtonsAndKeys)
{
    struct Row {
        const char* name;
        void (*press)(WindowPause*);
        int result;
    } rows[] = {
        {"close", [](WindowPause* w) { w->ButtonDepress(0); }, 0},
        {"help", [](WindowPause* w) { w->ButtonDepress(1); }, 2},
        {"menu", [](WindowPause* w) { w->ButtonDepress(2); }, 1},
        {"Esc", [](WindowPause* w) { w->KeyDown(VK_ESCAPE); }, 0},
        {"Enter", [](WindowPause* w) { w->KeyDown(VK_RETURN); }, Kivo::Dialog::kNoResult},
        {"Esc while hidden",
         [](WindowPause* w) {
             w->SetVisible(false);
             w->KeyDown(VK_ESCAPE);
         },
         Kivo::Dialog::kNoResult},
    };
    for (const Row& row : rows) {
        WindowApp app;
        auto* window = app.Open<WindowPause>();
        row.press(window);
        EXPECT_EQ(window->mResult, row.result) << row.name;
    }
}

TEST(PauseWindow, LayoutAndVolumesOutsideTheRange)
{
    WindowApp app;
    app.musicVolume = 1.3;
    app.sfxVolume = -0.2;
    auto* window = app.Open<WindowPause>();
    EXPECT_EQ(window->mMusicSlider->mValue, 1.0);
    EXPECT_EQ(window->mSoundSlider->mValue, 0.0);
    EXPECT_TRUE(app.TakeSounds().empty());
    EXPECT_EQ(window->mMusicSlider->mX, (500 - 260) / 2 + 5);
    EXPECT_EQ(window->mMusicSlider->mY, 140);
    EXPECT_EQ(window->mSoundSlider->mY, 170 + 20);
    EXPECT_EQ(window->mCloseButton->mY, 310);
    EXPECT_EQ(window->mHelpButton->mY, 355);
    EXPECT_EQ(window->mMenuButton->mY, 400);
    EXPECT_EQ(window->mMenuButton->mX, (500 - 160) / 2);
}

TEST(OptionsWindow, EveryCloseAppliesTheChosenScreenMode)
{
    struct Row {
        bool windowed;
        bool escape;
        bool toggle; // the full-screen box clicked once
        bool wantWindowed;
    } rows[] = {
        {true, false, false, true},  {true, true, false, true},  {false, false, false, false},
        {false, true, false, false}, {true, false, true, false}, {false, true, true, true},
    };
    for (const Row& row : rows) {
        WindowApp app;
        app.windowed = row.windowed;
        auto* window = app.Open<WindowOptions>();
        EXPECT_EQ(window->mFullscreenBox->mChecked, !row.windowed);
        if (row.toggle)
            window->mFullscreenBox->SetChecked(!window->mFullscreenBox->mChecked, true);
        EXPECT_TRUE(app.screenModes.empty()) << "the mode changes only on closing";
        if (row.escape)
            window->KeyDown(VK_ESCAPE);
        else
            window->ButtonDepress(WindowOptions::BUTTON_CLOSE);
        EXPECT_EQ(window->mResult, 0);
        EXPECT_EQ(app.screenModes, std::vector<bool>{row.wantWindowed});
    }
}

TEST(OptionsWindow, ForcedFullScreenRefusesTheUncheck)
{
    WindowApp app;
    app.windowed = false;
    app.forceFullscreen = true;
    auto* window = app.Open<WindowOptions>();
    window->mFullscreenBox->SetChecked(false, true);
    EXPECT_TRUE(window->mFullscreenBox->mChecked);
    EXPECT_EQ(app.TakeSounds(), (Sounds{"SOUND_BUTTON_CHECKBOX", "SOUND_BUTTON_CHECKBOX"}));
    window->KeyDown(VK_ESCAPE);
    EXPECT_EQ(app.screenModes, std::vector<bool>{false});
}

TEST(OptionsWindow, TheCursorChangesAtOnce)
{
    WindowApp app;
    app.customCursorsOn = false;
    auto* window = app.Open<WindowOptions>();
    EXPECT_FALSE(window->mCustomCursorBox->mChecked);
    window->mCustomCursorBox->SetChecked(true, true);
    EXPECT_TRUE(app.customCursorsOn);
    window->mCustomCursorBox->SetChecked(false, true);
    EXPECT_FALSE(app.customCursorsOn);
    EXPECT_EQ(app.cursors, (std::vector<int>{WindowOptions::kCustomCursorNum, 0}));
    EXPECT_EQ(app.TakeSounds(), (Sounds{"SOUND_BUTTON_CHECKBOX", "SOUND_BUTTON_CHECKBOX"}));
}

bool IsYeah(const std::string& sound)
{
    return sound.size() == 11 && sound.rfind("VOICE_YEAH", 0) == 0 && sound[10] >= '1' && sound[10] <= '5';
}

TEST(OptionsWindow, VoiceWithoutAProfileIsTheApplicationSetting)
{
    WindowApp app;
    auto* window = app.Open<WindowOptions>();
    ASSERT_TRUE(window->mVoiceBoxShown);
    EXPECT_EQ(window->mVoiceBox->mParent, window);
    app.Step(); // voice lines start in an update
    EXPECT_FALSE(window->mVoiceBox->mChecked);

    window->mVoiceBox->SetChecked(true, true);
    EXPECT_TRUE(app.GetBoolean("voice_current", false));
    Sounds sounds = app.TakeSounds();
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_EQ(sounds[0], "SOUND_BUTTON_CHECKBOX");
    EXPECT_TRUE(IsYeah(sounds[1])) << sounds[1];

    app.Step(); // one voice line an update
    window->mVoiceBox->SetChecked(false, true);
    EXPECT_FALSE(app.GetBoolean("voice_current", true));
    EXPECT_EQ(app.TakeSounds(), Sounds{"SOUND_BUTTON_CHECKBOX"});
}

TEST(OptionsWindow, VoiceWithAProfileIsAlsoTheProfiles)
{
    WindowApp app;
    towntest::CurrentProfile profile;
    SetProfileInt("voice", 1);
    app.SetBoolean("voice_current", false);
    auto* window = app.Open<WindowOptions>();
    EXPECT_TRUE(window->mVoiceBox->mChecked);
    window->mVoiceBox->SetChecked(false, true);
    EXPECT_EQ(GetProfileInt("voice"), 0);
    window->mVoiceBox->SetChecked(true, true);
    EXPECT_EQ(GetProfileInt("voice"), 1);
    EXPECT_TRUE(app.GetBoolean("voice_current", false));
}

TEST(OptionsWindow, NoVoiceBoxWithoutVoiceLines)
{
    WindowApp app;
    app.resources->RemoveSound("VOICE_WARNING");
    app.SetBoolean("voice_current", true);
    auto* window = app.Open<WindowOptions>();
    EXPECT_FALSE(window->mVoiceBoxShown);
    EXPECT_EQ(window->mVoiceBox->mParent, nullptr);
    EXPECT_FALSE(window->mVoiceBox->mChecked);
    app.DrawScreen();
    for (const std::string& text : app.drawnTexts)
        EXPECT_NE(text, "options_label_voice");
    app.KillDialog(window->mId);
    app.Step(); // deleted with the box it never showed
    EXPECT_EQ(WindowOptions::Existing(), nullptr);
}

TEST(OptionsWindow, LayoutOfTheColumnOfBoxes)
{
    WindowApp app;
    auto* window = app.Open<WindowOptions>();
    const int y0 = 164 + 20 + 20 + 5;
    EXPECT_EQ(window->mSoundSlider->mY, 164 + 20);
    EXPECT_EQ(window->mCustomCursorBox->mY, y0 - 10);
    EXPECT_EQ(window->mFullscreenBox->mY, y0 + 32 + 2 - 10);
    EXPECT_EQ(window->mVoiceBox->mY, y0 + 2 * (32 + 2) - 10);
    EXPECT_EQ(window->mVoiceBox->mX, 500 - 32 - 90);
    EXPECT_EQ(window->mCloseButton->mX, (500 - 160) / 2 + 15);
    EXPECT_EQ(window->mCloseButton->mY, 455);
}

} // namespace
