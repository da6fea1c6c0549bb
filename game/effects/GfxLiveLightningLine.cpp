#include "game/effects/GfxLiveLightningLine.h"

#include "framework/graphics/Graphics.h"
#include "game/effects/LightningLineGrow.h"

#include <algorithm>
#include <cmath>

GfxLiveLightningLine::GfxLiveLightningLine(float x1, float y1, float x2, float y2, gfxBase* followUp)
    : mLine(new LightningLineGrow(x1, y1, x1, y1, 2.0f, 15.0f)), mFollowUp(followUp), mStartX(x1), mStartY(y1),
      mDeltaX(x2 - x1), mDeltaY(y2 - y1)
{
    const float distance = std::hypot(mDeltaX, mDeltaY);
    mGrowthSpeed = distance < 1e-3f ? 0 : 100 / distance;
    mAlpha.mCurrent = 1.0f;
}

GfxLiveLightningLine::~GfxLiveLightningLine()
{
    delete mLine;
    delete mFollowUp;
}

bool GfxLiveLightningLine::start()
{
    mLine->generate();
    return true;
}

void GfxLiveLightningLine::update(float dt)
{
    if (mProgress < 1.0f) {
        // Coincident points have nothing to grow across: complete at once.
        if (mGrowthSpeed == 0)
            mProgress = 1.0f;
        else
            mProgress = std::min(mProgress + mGrowthSpeed * dt * 0.01f * mGrowthSpeedFactor, 1.0f);
        mLine->setEnd(mStartX + mDeltaX * mProgress, mStartY + mDeltaY * mProgress);
    } else {
        mHoldTime -= 0.01f * dt;
        if (mHoldTime <= 1 / mAlpha.mSpeed / 100)
            mAlpha.Update(dt);
    }
    mLine->update(dt);
}

int GfxLiveLightningLine::process() { return mProgress < 1.0f || mHoldTime > 0 ? 0 : -1; }

void GfxLiveLightningLine::draw(Kivo::Graphics* g)
{
    g->PushState();
    g->SetColorizeImages(true);
    g->SetColorRGBA(255, 255, 255, static_cast<int>(mAlpha.mCurrent * 255));
    mLine->draw(g);
    g->PopState();
}
