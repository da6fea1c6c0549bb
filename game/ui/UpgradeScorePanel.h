#pragma once
// The small panel of the upgrade screen that shows the player's total
// score, counting to changes, and slides out to the right.
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"

namespace Kivo {
class Image;
}

class UpgradeScorePanel : public Kivo::Widget {
public:
    UpgradeScorePanel();

    void Update() override;
    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;
    // The new x becomes the home x.
    void Move(int x, int y) override;

    void Show(bool show, bool animate);

    int32_t mHomeX = 0;
    Kivo::LiveValue mSlide{0.0f, 0.02f}; // 0 shown, 1 hidden
    Kivo::Image* mImage;
    Kivo::LiveValue mScore{0.0f, 0.01f}; // current: the points shown
};
