#include "framework/sound/DSoundInstance.h"

#include "framework/sound/DSoundManager.h"

#include <algorithm>
#include <cmath>

namespace Kivo {

DSoundInstance::DSoundInstance(DSoundManager* manager, LPDIRECTSOUNDBUFFER sourceSound)
    : mManager(manager), mSourceSound(sourceSound)
{
    if (sourceSound) {
        if (FAILED(manager->mDirectSound->DuplicateSoundBuffer(sourceSound, &mBuffer))) {
            mBuffer = nullptr;
            return;
        }
        mBuffer->GetFrequency(&mDefaultFrequency);
    }
    RehupVolume();
}

DSoundInstance::~DSoundInstance()
{
    if (mBuffer)
        mBuffer->Release();
}

LONG DSoundInstance::VolumeToAttenuation(double volume)
{
    // Factors outside 0..1 would give a positive attenuation or the log of
    // a negative number.
    double x = std::clamp(volume, 0.0, 1.0);
    LONG a = static_cast<LONG>((std::log10(9.0 * x + 1.0) - 1.0) * 5333.0);
    return a < -5332 ? DSBVOLUME_MIN : a;
}

void DSoundInstance::RehupVolume()
{
    if (mBuffer)
        mBuffer->SetVolume(VolumeToAttenuation(mVolume * mBaseVolume * mManager->mVolume));
}

void DSoundInstance::RehupPan()
{
    if (mBuffer)
        mBuffer->SetPan(static_cast<LONG>(std::clamp<int64_t>(int64_t(mBasePan) + mPan, DSBPAN_LEFT, DSBPAN_RIGHT)));
}

void DSoundInstance::Release()
{
    Stop();
    mReleased = true;
}

void DSoundInstance::SetBaseVolume(double volume)
{
    mBaseVolume = volume;
    RehupVolume();
}

void DSoundInstance::SetBasePan(int pan)
{
    mBasePan = pan;
    RehupPan();
}

void DSoundInstance::AdjustPitch(double semitones)
{
    if (!mBuffer)
        return;
    double hz = mDefaultFrequency * std::pow(1.0594630943592953, semitones);
    hz = std::clamp(hz, 100.0, 100000.0);
    mBuffer->SetFrequency(static_cast<DWORD>(hz));
}

void DSoundInstance::SetVolume(double volume)
{
    mVolume = volume;
    RehupVolume();
}

void DSoundInstance::SetPan(int pan)
{
    mPan = pan;
    RehupPan();
}

bool DSoundInstance::Play(bool looping, bool autoRelease)
{
    Stop();
    mHasPlayed = true;
    mAutoRelease = autoRelease;
    if (!mBuffer)
        return false;
    return SUCCEEDED(mBuffer->Play(0, 0, looping ? DSBPLAY_LOOPING : 0));
}

void DSoundInstance::Stop()
{
    if (mBuffer) {
        mBuffer->Stop();
        mBuffer->SetCurrentPosition(0);
        mAutoRelease = false;
    }
}

bool DSoundInstance::IsPlaying()
{
    if (!mHasPlayed || !mBuffer)
        return false;
    DWORD status = 0;
    if (FAILED(mBuffer->GetStatus(&status)))
        return false;
    return (status & DSBSTATUS_PLAYING) != 0;
}

bool DSoundInstance::IsReleased()
{
    if (!mReleased && mAutoRelease && mHasPlayed && !IsPlaying())
        Release();
    return mReleased;
}

double DSoundInstance::GetVolume()
{
    return mVolume;
}

} // namespace Kivo
