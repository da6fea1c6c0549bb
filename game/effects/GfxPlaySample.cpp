#include "game/effects/GfxPlaySample.h"

#include "framework/resources/ResourceHelpers.h"

GfxPlaySample::GfxPlaySample(const std::string& soundId, int delay)
    : mDelay(delay), mSoundId(GetSoundIdByName(soundId))
{
}

bool GfxPlaySample::start()
{
    if (mSoundId < 0)
        return false;
    if (mDelay > 0)
        return true;
    Play();
    return false;
}

int GfxPlaySample::process()
{
    if (--mDelay > 0)
        return 0;
    Play();
    return -1;
}

void GfxPlaySample::Play()
{
    if (mPitch == 0)
        PlaySoundNum(mSoundId);
    else
        PlaySoundEx(mSoundId, mPitch, 0);
}
