#pragma once
// A sound played after a delay counted in update steps.
#include "game/effects/gfxBase.h"

class GfxPlaySample : public gfxBase {
public:
    GfxPlaySample(const std::string& soundId, int delay);

    bool start() override;
    int process() override;

    int mPitch = 0;
    int mDelay;
    int mSoundId;

private:
    void Play();
};
