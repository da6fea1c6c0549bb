#pragma once
// Fills the sides of a wide full-screen display, left and right of the
// 800 x 600 game area, with a panel image (mirrored on the right).
#include "framework/widgets/Widget.h"

class WideScreenBars : public Kivo::Widget {
public:
    // Adds itself to the application's widget manager.
    WideScreenBars();

    void Update() override;
    void Draw(Kivo::Graphics* g) override;
    // The side margin in game pixels on a display of that size; 0 when the
    // display is not wider than 4:3.
    static int BarWidth(int displayWidth, int displayHeight);

    Kivo::Image* mPanelImage;
};
