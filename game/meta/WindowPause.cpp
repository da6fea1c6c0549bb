#include "game/meta/WindowPause.h"

#include "framework/app/KivoAppBase.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/ui/SliderCustom.h"
#include "platform/win32/Messages.h"

namespace {

WindowButton* NewButton(int id, const char* label, Kivo::ButtonListener* listener)
{
    auto* button = new WindowButton(id, listener);
    button->mLabel = GetStringById(label);
    return button;
}

} // namespace

WindowPause::WindowPause() : WindowBase(GetImageById("IMAGE_UI_WINDOW"), GetStringById("window_pause_caption"), false, kWindowId)
{
    mClip = false;
    mContentInsets = Kivo::Insets{60, 45, 60, 50};

    mMusicSlider = new SliderCustom(SLIDER_MUSIC, this);
    mMusicSlider->Move((mWidth - mMusicSlider->mWidth) / 2 + 5, 140);
    mSoundSlider = new SliderCustom(SLIDER_SOUND, this);
    mSoundSlider->Move((mWidth - mSoundSlider->mWidth) / 2 + 5, 170 + mMusicSlider->mHeight);

    mCloseButton = NewButton(BUTTON_CLOSE, "window_pause_button_close", this);
    mHelpButton = NewButton(BUTTON_HELP, "window_pause_button_help", this);
    mMenuButton = NewButton(BUTTON_MENU, "window_pause_button_menu", this);
    int y = 310;
    for (WindowButton* button : {mCloseButton, mHelpButton, mMenuButton}) {
        button->Move((mWidth - button->mWidth) / 2, y);
        y += button->mHeight;
    }
    AddWidget(mMusicSlider);
    AddWidget(mSoundSlider);
    AddWidget(mCloseButton);
    AddWidget(mHelpButton);
    AddWidget(mMenuButton);

    if (Kivo::KivoAppBase* app = Kivo::gKivoApp) {
        mMusicSlider->SetValue(app->GetMusicVolume());
        mSoundSlider->SetValue(app->GetSfxVolume());
    }
}

WindowPause::~WindowPause()
{
    RemoveAllWidgets(true, false);
}

void VolumeSliderMoved(const Kivo::Slider* slider, bool music, double value)
{
    Kivo::KivoAppBase* app = Kivo::gKivoApp;
    if (!app)
        return;
    if (music) {
        app->SetMusicVolume(value);
    } else {
        app->SetSfxVolume(value);
        if (!slider->mDragging)
            PlaySoundById("SOUND_SFX_SLIDER");
    }
}

void WindowPause::SliderVal(int id, double value)
{
    if (id == SLIDER_MUSIC || id == SLIDER_SOUND)
        VolumeSliderMoved(id == SLIDER_MUSIC ? mMusicSlider : mSoundSlider, id == SLIDER_MUSIC, value);
}

void WindowPause::ButtonDepress(int id)
{
    WindowBase::ButtonDepress(id);
    switch (id) {
    case BUTTON_CLOSE:
        mResult = RESULT_CLOSE;
        break;
    case BUTTON_MENU:
        mResult = RESULT_MENU;
        break;
    case BUTTON_HELP:
        mResult = RESULT_HELP;
        break;
    }
}

void WindowPause::KeyDown(int key)
{
    if (!mVisible)
        return;
    WindowBase::KeyDown(key);
    if (key == VK_ESCAPE)
        mResult = RESULT_CLOSE;
}

void WindowPause::Draw(Kivo::Graphics* g)
{
    DrawShade(g);
    WindowBase::Draw(g);
    if (!mTextsFetched) {
        mTextsFetched = true;
        mMusicLabel = GetStringById("options_label_music_volume");
        mSoundLabel = GetStringById("options_label_sound_volume");
    }
    g->PushState();
    g->SetFont(GetFontById("FONT_GOLD"));
    g->SetColorRGBA(255, 255, 255, 255);
    g->DrawString(mMusicLabel, mMusicSlider->mX - 5, mMusicSlider->mY - 2);
    g->DrawString(mSoundLabel, mSoundSlider->mX - 5, mSoundSlider->mY - 2);
    g->PopState();
}
