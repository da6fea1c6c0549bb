#include "game/effects/GfxDelay.h"

#include "game/ui/Callback.h"

GfxDelay::GfxDelay(float time, baseCallback* callback) : mTime(time), mCallback(callback) {}

GfxDelay::GfxDelay(float time) : mTime(time) {}

GfxDelay::GfxDelay(float time, gfxBase* next) : mTime(time), mNextEffect(next) {}

GfxDelay::GfxDelay(float time, bool nonBlocking) : mTime(time), mNonBlocking(nonBlocking ? 1 : 0) {}

GfxDelay::~GfxDelay()
{
    delete mCallback;
    delete mNextEffect;
}

bool GfxDelay::start()
{
    mFiring = 0;
    return true;
}

void GfxDelay::update(float frac)
{
    if (!mFiring)
        mTime -= frac / 100;
}

int GfxDelay::process()
{
    if (mFiring)
        return -2;
    if (mTime <= 0) {
        Fire();
        return -1;
    }
    if (mNonBlocking || mCallback || mNextEffect)
        return 0;
    return -2;
}

void GfxDelay::Fire()
{
    mFiring = 1;
    if (baseCallback* callback = mCallback) {
        // Forgotten before the call, so that a nested pass never runs it twice.
        mCallback = nullptr;
        callback->Invoke();
        delete callback;
    }
    if (gfxBase* next = mNextEffect) {
        mNextEffect = nullptr;
        addNext(next);
    }
    mFiring = 0;
}
