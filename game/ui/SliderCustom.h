#pragma once
// The game's slider: the stock slider with the game's track and thumb, drawn
// whole, and no cursor changes.
#include "framework/widgets/Slider.h"

class SliderCustom : public Kivo::Slider {
public:
    SliderCustom(int id, Kivo::SliderListener* listener);

    void Draw(Kivo::Graphics* g) override;
    void MouseMove(int, int) override {}
    void MouseLeave() override {}
    void MouseDown(int x, int y, int clickCode) override;
    void MouseUpAt(int x, int y) override;
};
