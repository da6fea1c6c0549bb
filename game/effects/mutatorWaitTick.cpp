#include "game/effects/mutatorWaitTick.h"

#include "game/effects/ActionObject.h"

bool mutatorWaitTick::Start() { return mOwner && mTime > 0.0f && mTime > mOwner->mClock; }

int mutatorWaitTick::Update(float) { return mOwner->mClock >= mTime ? Finished : Block; }
