#pragma once
// The panel at the top left of the game screen: the level number and the
// points of the game so far, counting towards the profile's sums. It slides
// out upwards to hide.
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"

#include <string>

namespace Kivo {
class Image;
}

class ScorePanel : public Kivo::Widget {
public:
    ScorePanel();

    void Update() override;
    void UpdateF(float dt) override;
    void Draw(Kivo::Graphics* g) override;

    // Without animation also takes the level number from the profile.
    void Show(bool show, bool animate);
    // The points the panel counts towards: the total and the level's scores.
    static int ProfileSum();
    int ShownPoints() const { return static_cast<int>(mScore.mCurrent); }

    int32_t mHomeY = -5;
    Kivo::LiveValue mSlide{0.0f, 0.02f}; // 0 shown, 1 hidden
    int32_t mLevel = 0;
    Kivo::LiveValue mScore{0.0f, 0.3f}; // current: the points shown
    Kivo::Image* mImage = nullptr;
    std::string mLevelCaption;
    std::string mPointsCaption;
    bool mCaptionsRead = false;
};
