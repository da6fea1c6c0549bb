#pragma once
// The board fading in while it shrinks from twice its size, with the field
// frame and, in relaxed play, the panel that stands in for the timer.
#include "game/effects/gfxBase.h"

#include "framework/graphics/LiveValue.h"

class baseCallback;

class GfxBoardAppear : public gfxBase {
public:
    // The callback is owned; it runs once the board has appeared.
    explicit GfxBoardAppear(baseCallback* callback);
    ~GfxBoardAppear() override;

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    Kivo::LiveValue mAlpha{0, 0};
    float mScale = 2.0f;
    bool mRelaxed = false;
    baseCallback* mCallback;
};
