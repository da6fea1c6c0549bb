#pragma once
// A coloured brick (codes 1..10): glides between cells, lands with a bounce,
// and shows the visual states 1..9 (animation, shine, glow, jolt, bounce,
// appear, fade in, fade out, hold).
#include "framework/graphics/Color.h"
#include "framework/graphics/LiveValue.h"
#include "framework/graphics/MovingPoint.h"
#include "game/match/BrickBase.h"
#include "game/match/EnergyOutline.h"

#include <memory>

namespace Kivo {
class Image;
}

class BrickColored : public BrickBase {
public:
    explicit BrickColored(uint8_t code);

    void Draw(Kivo::Graphics& g, float scale, float dx, float dy) override;
    void DrawTop(Kivo::Graphics& g) override;
    void Update(float dt) override;
    void Tick() override;
    void PlaceAt(int x, int y) override;
    void MoveTo(int x, int y) override;
    bool IsBusy() const override;
    void StartState(int id, float value) override;
    void SetState(int id) override;
    void StopState(int id) override;
    void StopAllStates() override;

    bool IsLanded() const { return mLanded; }
    bool IsStateOn(int id) const { return id >= 1 && id <= 9 && mStateOn[id]; }

protected:
    // Image and modifiers at (x, y) with the box and the jiggle.
    void DrawLayers(Kivo::Graphics& g, float x, float y, float jx, float jy);
    void DrawModifier(Kivo::Graphics& g, const char* id, float x, float y);
    // The energy outline in the brick's colour, while the brick is energised.
    void DrawOutline(Kivo::Graphics& g, float x, float y);

    int mTickCount;
    Kivo::Image* mImage = nullptr;
    Kivo::Image* mGlowImage = nullptr;
    Kivo::Image* mShineImage = nullptr;
    int mFrame = 0;
    Kivo::LiveValue mLiveX { 0, 1.5f };
    Kivo::LiveValue mLiveY { 0, 1.5f };
    float mSpeed = 1.5f;
    float mIdleTime = 0;
    float mCarryX = 0;
    float mCarryY = 0;
    bool mLanded = true;
    Kivo::MovingPoint mJiggle { 1.5f, 0.4f, 0.5f };
    int mDirX = 0;
    int mDirY = 0;
    bool mShown = true;
    bool mStateOn[10] = {};
    int mShineFrame = 0;
    int mShineStep = 1;
    float mGlowStrength = 0;
    float mGlowLevel = 0;
    int mGlowFrame = 0;
    int mGlowJitterX = 0;
    int mGlowJitterY = 0;
    float mAppear = 1;
    float mAppearAngle = 0;
    float mFade = 1;
    float mJolt = 1;
    Kivo::Color mColour;
    std::unique_ptr<EnergyOutline> mOutline; // made once the brick is energised
};
