#pragma once
// The full-screen picture behind the game screen, chosen by the town's
// progress, with a short zoom pulse.
#include "framework/graphics/LiveValue.h"

namespace Kivo {
class Graphics;
class Image;
}

class GameBackground {
public:
    // The town stage is the built buildings divided by 4, at most 4.
    void ChooseBackground(int builtBuildings);
    void Pulse();
    void UpdateF(float dt);
    void Draw(Kivo::Graphics* g);

    Kivo::Image* mImage = nullptr;
    Kivo::LiveValue mPulse{ 0, 0.02f };
};

// The picture's id for a count of built buildings.
const char* BackgroundImageId(int builtBuildings);
