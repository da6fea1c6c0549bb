#include "game/meta/WindowOptions.h"

#include "framework/app/KivoAppBase.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/sound/VoiceHelper.h"
#include "game/meta/WindowPause.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/CheckboxCustom.h"
#include "game/ui/SliderCustom.h"
#include "platform/win32/Messages.h"

namespace {

bool HasCurrentProfile()
{
    ProfileManager* profiles = ProfileManager::Existing();
    return profiles && profiles->HasProfile() && profiles->profile;
}

} // namespace

WindowOptions::WindowOptions()
    : WindowBase(GetImageById("IMAGE_UI_WINDOW"), GetStringById("window_options_caption"), false, kWindowId)
{
    mClip = false;
    mContentInsets = Kivo::Insets{60, 45, 60, 50};

    mMusicSlider = new SliderCustom(SLIDER_MUSIC, this);
    const int sliderX = (mWidth - mMusicSlider->mWidth) / 2 + 5;
    mMusicSlider->Move(sliderX, 140);
    mSoundSlider = new SliderCustom(SLIDER_SOUND, this);
    mSoundSlider->Move(sliderX, 164 + mMusicSlider->mHeight);
    AddWidget(mMusicSlider);
    AddWidget(mSoundSlider);

    // The boxes stand in a column, each 2 pixels below the one before.
    mCustomCursorBox = new CheckboxCustom(BOX_CUSTOM_CURSOR, this);
    mFullscreenBox = new CheckboxCustom(BOX_FULLSCREEN, this);
    mVoiceBox = new CheckboxCustom(BOX_VOICE, this);
    int y = 164 + mMusicSlider->mHeight + mSoundSlider->mHeight + 5 - 10;
    for (CheckboxCustom* box : {mCustomCursorBox, mFullscreenBox, mVoiceBox}) {
        box->Move(mWidth - box->mWidth - 90, y);
        y += box->mHeight + 2;
    }
    AddWidget(mCustomCursorBox);
    AddWidget(mFullscreenBox);
    // Without the voice lines there is nothing for the box to switch.
    mVoiceBoxShown = GetSoundIdByName("VOICE_WARNING") >= 0;
    if (mVoiceBoxShown)
        AddWidget(mVoiceBox);

    mCloseButton = new WindowButton(BUTTON_CLOSE, this);
    mCloseButton->mLabel = GetStringById("window_options_button_close");
    mCloseButton->Move((mWidth - mCloseButton->mWidth) / 2 + 15, 455);
    AddWidget(mCloseButton);

    if (Kivo::KivoAppBase* app = Kivo::gKivoApp) {
        mFullscreenBox->SetChecked(!app->IsWindowed(), false);
        mMusicSlider->SetValue(app->GetMusicVolume());
        mSoundSlider->SetValue(app->GetSfxVolume());
        if (mVoiceBoxShown)
            mVoiceBox->SetChecked(HasCurrentProfile() ? GetProfileInt("voice") >= 1
                                                      : app->GetBoolean("voice_current", false),
                                  false);
        mCustomCursorBox->SetChecked(app->CustomCursorsOn(), false);
    }
}

WindowOptions::~WindowOptions()
{
    RemoveAllWidgets(true, false);
    if (!mVoiceBoxShown)
        delete mVoiceBox;
}

void WindowOptions::SliderVal(int id, double value)
{
    if (id == SLIDER_MUSIC || id == SLIDER_SOUND)
        VolumeSliderMoved(id == SLIDER_MUSIC ? mMusicSlider : mSoundSlider, id == SLIDER_MUSIC, value);
}

void WindowOptions::CheckboxChecked(int id, bool checked)
{
    PlaySoundById("SOUND_BUTTON_CHECKBOX");
    Kivo::KivoAppBase* app = Kivo::gKivoApp;
    if (!app)
        return;
    switch (id) {
    case BOX_FULLSCREEN:
        // When the desktop cannot hold the window, full screen stays.
        if (app->forceFullscreen && !checked)
            mFullscreenBox->SetChecked(true, true);
        break;
    case BOX_CUSTOM_CURSOR:
        app->customCursorsOn = checked;
        app->SetCursor(checked ? kCustomCursorNum : 0);
        break;
    case BOX_VOICE:
        if (HasCurrentProfile())
            SetProfileInt("voice", checked ? 1 : 0);
        app->SetBoolean("voice_current", checked);
        if (checked)
            VoiceHelper::Instance()->PlayRandomVoice("VOICE_YEAH", 1, 5, 1.0f);
        break;
    }
}

void WindowOptions::Close()
{
    mResult = 0;
    if (Kivo::KivoAppBase* app = Kivo::gKivoApp)
        app->SwitchScreenMode(!mFullscreenBox->mChecked);
}

void WindowOptions::ButtonDepress(int id)
{
    WindowBase::ButtonDepress(id);
    if (id == BUTTON_CLOSE)
        Close();
}

void WindowOptions::KeyDown(int key)
{
    if (!mVisible)
        return;
    WindowBase::KeyDown(key);
    if (key == VK_ESCAPE)
        Close();
}

void WindowOptions::Draw(Kivo::Graphics* g)
{
    DrawShade(g);
    WindowBase::Draw(g);
    Kivo::Font* font = GetFontById("FONT_GOLD");
    if (!mTextsFetched) {
        mTextsFetched = true;
        mMusicLabel = GetStringById("options_label_music_volume");
        mSoundLabel = GetStringById("options_label_sound_volume");
        mFullscreenLabel = GetStringById("options_label_fullscreen");
        mCustomCursorLabel = GetStringById("options_label_customcursor");
        mVoiceLabel = GetStringById("options_label_voice");
        if (font) {
            mFullscreenWidth = font->StringWidth(mFullscreenLabel);
            mCustomCursorWidth = font->StringWidth(mCustomCursorLabel);
            mVoiceWidth = font->StringWidth(mVoiceLabel);
        }
    }
    g->PushState();
    g->SetFont(font);
    g->SetColorRGBA(255, 255, 255, 255);
    g->DrawString(mMusicLabel, mMusicSlider->mX - 6, mMusicSlider->mY - 2);
    g->DrawString(mSoundLabel, mSoundSlider->mX - 6, mSoundSlider->mY - 2);
    // Box labels stand right-aligned beside their boxes.
    auto label = [g](const std::string& text, int width, const CheckboxCustom* box) {
        g->DrawString(text, box->mX - width - 6, box->mY + 28);
    };
    label(mCustomCursorLabel, mCustomCursorWidth, mCustomCursorBox);
    label(mFullscreenLabel, mFullscreenWidth, mFullscreenBox);
    if (mVoiceBoxShown)
        label(mVoiceLabel, mVoiceWidth, mVoiceBox);
    g->PopState();
}
