#pragma once
// The pause window (id 100): music and sound volumes, which act at once,
// and three buttons. Results: 0 resume (close button, Esc), 1 leave for the
// main menu, 2 show the help window and then resume.
#include "framework/core/Singleton.h"
#include "framework/widgets/SliderListener.h"
#include "game/ui/WindowBase.h"

#include <string>

class SliderCustom;
class WindowButton;
namespace Kivo {
class Slider;
}

// The volume sliders of the pause and options windows: the music or sound
// volume takes the value at once, and the sound sample plays when the sound
// slider is let go, so the player hears the new level once.
void VolumeSliderMoved(const Kivo::Slider* slider, bool music, double value);

class WindowPause : public Singleton<WindowPause>, public WindowBase, public Kivo::SliderListener {
public:
    static constexpr int kWindowId = WINDOW_ID_PAUSE;
    enum Result { RESULT_CLOSE = 0, RESULT_MENU = 1, RESULT_HELP = 2 };
    enum Control { BUTTON_CLOSE = 0, BUTTON_HELP = 1, BUTTON_MENU = 2, SLIDER_MUSIC = 3, SLIDER_SOUND = 4 };

    WindowPause();
    ~WindowPause() override;

    void Draw(Kivo::Graphics* g) override;
    void KeyDown(int key) override;
    void ButtonDepress(int id) override;
    void SliderVal(int id, double value) override;

    WindowButton* mCloseButton;
    WindowButton* mHelpButton;
    WindowButton* mMenuButton;
    SliderCustom* mMusicSlider;
    SliderCustom* mSoundSlider;

private:
    bool mTextsFetched = false;
    std::string mMusicLabel;
    std::string mSoundLabel;
};
