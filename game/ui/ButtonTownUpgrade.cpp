#include "game/ui/ButtonTownUpgrade.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"

ButtonTownUpgrade::ButtonTownUpgrade(int id, Kivo::ButtonListener* listener) : ButtonBase(id, listener)
{
    mDownImage = GetImageById("IMAGE_UI_UPGRADE_PANEL_BUTTON_BLUE_DOWN");
    mGlowImage = GetImageById("IMAGE_UI_UPGRADE_PANEL_BUTTON_GREY");
    mGlowMode = GLOW_ADDITIVE_OVER;
    mGlowColor = Kivo::Color(255, 255, 255);
    mGlowStrength = 120;
    SetState(UPGRADE_BUYABLE);
    ResizeToImage();
    SetFont(GetFontById("FONT_GOLD"));
    SetColor(Kivo::BUTTON_COLOR_LABEL, Kivo::Color(255, 255, 255));
    SetColor(Kivo::BUTTON_COLOR_LABEL_OVER, Kivo::Color(255, 255, 255));
    mLabelOffsetY = -3;
    mDownOffsetX = 0;
    mDownOffsetY = 0;
}

void ButtonTownUpgrade::SetState(int state)
{
    switch (state) {
    case UPGRADE_NOT_AFFORDABLE:
        mLabel = GetStringById("upgrade_screen_button_buy");
        mButtonImage = GetImageById("IMAGE_UI_UPGRADE_PANEL_BUTTON_RED");
        mLocked = true;
        break;
    case UPGRADE_BOUGHT:
        mLabel = GetStringById("upgrade_screen_button_bought");
        mButtonImage = GetImageById("IMAGE_UI_UPGRADE_PANEL_BUTTON_GREY");
        mLocked = true;
        break;
    default:
        mLabel = GetStringById("upgrade_screen_button_buy");
        mButtonImage = GetImageById("IMAGE_UI_UPGRADE_PANEL_BUTTON_BLUE");
        mLocked = false;
        break;
    }
    MarkDirty();
}

void ButtonTownUpgrade::PlayDownSound() { PlaySoundById("SOUND_UPGRADE_BUTTON_DOWN"); }

void ButtonTownUpgrade::MouseDown(int x, int y, int clickCode)
{
    if (!mLocked)
        ButtonBase::MouseDown(x, y, clickCode);
}

void ButtonTownUpgrade::MouseUpButton(int x, int y, int button, int clickCount)
{
    if (!mLocked)
        ButtonBase::MouseUpButton(x, y, button, clickCount);
}

void ButtonTownUpgrade::Draw(Kivo::Graphics* g)
{
    const bool disabled = mDisabled, pressFade = mPressFadeEnabled;
    mDisabled = mLocked;
    mPressFadeEnabled = false;
    ButtonBase::Draw(g);
    mDisabled = disabled;
    mPressFadeEnabled = pressFade;
}

void ButtonTownUpgrade::DrawButtonLabel(Kivo::Graphics* g, int x, int y, int colorIndex)
{
    if (mLabel.empty())
        return;
    g->PushState();
    const int labelWidth = g->StringWidth(mLabel);
    const int fit = static_cast<int>(0.85 * mWidth);
    if (labelWidth > fit) {
        const float s = static_cast<float>(0.85 * mWidth / labelWidth);
        g->SetScale(s, s, mWidth / 2.0f, mHeight / 2.0f);
    }
    g->SetColor(Kivo::Color(0, 0, 0));
    g->DrawString(mLabel, x + 1, y + 1);
    g->SetColor(GetColor(colorIndex));
    g->DrawString(mLabel, x, y);
    g->PopState();
}

void ButtonTownUpgrade::DrawGlow(Kivo::Graphics* g, float)
{
    if (!mLocked)
        ButtonBase::DrawGlow(g, 1.0f);
}
