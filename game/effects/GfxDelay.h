#pragma once
// A wait of some seconds that may then run a stored call or release a
// follow-up effect. A plain wait holds every effect behind it.
#include "game/effects/gfxBase.h"

class baseCallback;

class GfxDelay : public gfxBase {
public:
    GfxDelay(float time, baseCallback* callback);
    explicit GfxDelay(float time);
    GfxDelay(float time, gfxBase* next);
    GfxDelay(float time, bool nonBlocking);
    ~GfxDelay() override;

    bool start() override;
    int process() override;
    void update(float frac) override;

    float mTime;
    baseCallback* mCallback = nullptr;
    gfxBase* mNextEffect = nullptr;
    unsigned char mFiring = 0;
    unsigned char mNonBlocking = 0;

private:
    void Fire();
};
