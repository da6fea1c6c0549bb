#pragma once
// The options window (id 101): music and sound volumes, the game's own
// cursor and the voice lines take effect the moment they change; the screen
// mode chosen with the full-screen box is applied when the window closes.
// Its result is always 0.
#include "framework/core/Singleton.h"
#include "framework/widgets/CheckboxListener.h"
#include "framework/widgets/SliderListener.h"
#include "game/ui/WindowBase.h"

#include <string>

class CheckboxCustom;
class SliderCustom;
class WindowButton;

class WindowOptions : public Singleton<WindowOptions>,
                      public WindowBase,
                      public Kivo::SliderListener,
                      public Kivo::CheckboxListener {
public:
    static constexpr int kWindowId = WINDOW_ID_OPTIONS;
    enum Control {
        BUTTON_CLOSE = 0,
        SLIDER_MUSIC = 1,
        SLIDER_SOUND = 2,
        BOX_FULLSCREEN = 3,
        BOX_VOICE = 4,
        BOX_CUSTOM_CURSOR = 5,
    };
    // The application's cursor number while the game draws its own.
    static constexpr int kCustomCursorNum = 11;

    WindowOptions();
    ~WindowOptions() override;

    void Draw(Kivo::Graphics* g) override;
    void KeyDown(int key) override;
    void ButtonDepress(int id) override;
    void SliderVal(int id, double value) override;
    void CheckboxChecked(int id, bool checked) override;

    WindowButton* mCloseButton;
    SliderCustom* mMusicSlider;
    SliderCustom* mSoundSlider;
    CheckboxCustom* mFullscreenBox;
    CheckboxCustom* mCustomCursorBox;
    CheckboxCustom* mVoiceBox;
    bool mVoiceBoxShown; // the voice lines exist, so the box is a child

private:
    // Answers 0 and applies the chosen screen mode.
    void Close();

    bool mTextsFetched = false;
    std::string mMusicLabel;
    std::string mSoundLabel;
    std::string mFullscreenLabel;
    std::string mCustomCursorLabel;
    std::string mVoiceLabel;
    int mFullscreenWidth = 0;
    int mCustomCursorWidth = 0;
    int mVoiceWidth = 0;
};
