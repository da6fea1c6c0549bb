#include "game/ui/ProfileSlotButton.h"

#include "framework/resources/ResourceHelpers.h"

ProfileSlotButton::ProfileSlotButton(int id, Kivo::ButtonListener* listener) : ButtonBase(id, listener)
{
    mGlowImage = GetImageById("IMAGE_UI_BUTTON_GREEN");
    mGlowMode = GLOW_UNDER_MOUSE_AWAY;
    mGlowColor = Kivo::Color(0, 0, 0);
    mGlowStrength = 50;
    SetGreen(true);
    ResizeToImage();
}

void ProfileSlotButton::SetGreen(bool green)
{
    mButtonImage = GetImageById(green ? "IMAGE_UI_BUTTON_GREEN" : "IMAGE_UI_BUTTON_RED");
    mDownImage = GetImageById(green ? "IMAGE_UI_BUTTON_GREEN_DOWN" : "IMAGE_UI_BUTTON_RED_DOWN");
    MarkDirty();
}

bool ProfileSlotButton::IsGreen() { return mButtonImage == GetImageById("IMAGE_UI_BUTTON_GREEN"); }
