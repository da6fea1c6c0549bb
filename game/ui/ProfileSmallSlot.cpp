#include "game/ui/ProfileSmallSlot.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"

ProfileSmallSlot::ProfileSmallSlot(int id, Kivo::ButtonListener* listener) : ButtonBase(id, listener)
{
    mButtonImage = mDownImage = mGlowImage = GetImageById("IMAGE_UI_PROFILE_SLOT");
    mGlowMode = GLOW_UNDER_MOUSE_AWAY;
    mGlowColor = Kivo::Color(0, 0, 0);
    mGlowStrength = 50;
    ResizeToImage();
    mTimedIcon = GetImageById("IMAGE_UI_ICON_TIMED");
    mRelaxedIcon = GetImageById("IMAGE_UI_ICON_RELAXED");
    SetFont(GetFontById("FONT_GOLD"));
    SetColor(Kivo::BUTTON_COLOR_LABEL, Kivo::Color(242, 255, 133));
    SetColor(Kivo::BUTTON_COLOR_LABEL_OVER, Kivo::Color(242, 255, 172));
}

void ProfileSmallSlot::Draw(Kivo::Graphics* g)
{
    ButtonBase::Draw(g);
    Kivo::Image* icon = mMode == SLOT_MODE_TIMED ? mTimedIcon : mMode == SLOT_MODE_RELAXED ? mRelaxedIcon : nullptr;
    if (icon)
        g->DrawImageStretch(icon, mWidth - icon->mWidth / 2, 0, icon->mWidth / 2, icon->mHeight / 2);
}
