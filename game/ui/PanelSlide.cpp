#include "game/ui/PanelSlide.h"

#include "framework/resources/ResourceHelpers.h"
#include "game/ui/ButtonBase.h"

#include <cmath>
#include <numbers>

int SlideOffset(int distance, float t)
{
    return static_cast<int>(distance * (1.0 - std::cos(t * std::numbers::pi / 2)));
}

bool AdvanceSlide(Kivo::LiveValue& slide, float fraction, int home, int distance, int hidden, int* position)
{
    slide.Update(fraction);
    if (slide.IsMoving()) {
        *position = home + SlideOffset(distance, slide.mCurrent);
        return true;
    }
    if (!slide.JustStopped())
        return false;
    if (slide.mCurrent == 0)
        *position = home;
    else if (slide.mCurrent == 1)
        *position = hidden;
    else
        return false;
    return true;
}

ButtonBase* NewPanelButton(int id, Kivo::ButtonListener* listener, const char* imageId, const char* downImageId, int x,
                           int y)
{
    auto* button = new ButtonBase(id, listener);
    button->mButtonImage = GetImageById(imageId);
    button->mDownImage = GetImageById(downImageId);
    button->mGlowImage = button->mButtonImage;
    button->mGlowMode = GLOW_ADDITIVE_OVER;
    button->mGlowColor = Kivo::Color(128, 128, 128);
    button->mGlowStrength = 60;
    button->Move(x, y);
    button->ResizeToImage();
    return button;
}
