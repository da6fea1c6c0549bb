#pragma once
// The one easing of everything that slides off screen and back: the offset
// from home is trunc(distance * (1 - cos(t * pi / 2))) while t goes from 0
// (shown) to 1 (hidden).
#include "framework/graphics/LiveValue.h"

namespace Kivo {
class ButtonListener;
}
class ButtonBase;

int SlideOffset(int distance, float t);

// Advances the slide by `fraction` and gives the coordinate it puts the
// panel at: eased from home while moving, home once it has stopped at 0,
// `hidden` once it has stopped at 1. False when the coordinate stays.
bool AdvanceSlide(Kivo::LiveValue& slide, float fraction, int home, int distance, int hidden, int* position);

// An image button of the shell panels at (x, y) in its panel, sized to its
// image, glowing additively with its own normal image while the mouse is
// over it.
ButtonBase* NewPanelButton(int id, Kivo::ButtonListener* listener, const char* imageId, const char* downImageId, int x,
                           int y);
