#include "game/effects/LightningLineGrow.h"

#include "framework/core/FastMath.h"
#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/effects/LightningPoint.h"

#include <algorithm>
#include <cmath>

LightningLineGrow::LightningLineGrow(float x1, float y1, float x2, float y2, float spread, float step)
    : mLastTargetX(x1), mLastTargetY(y1), mSpread(spread), mStep(step), mFrameOffset(Kivo::RandomInt(0, 20))
{
    mStartX = x1;
    mStartY = y1;
    mEndX = x2;
    mEndY = y2;
}

void LightningLineGrow::generate()
{
    clearPoints();
    addPoint(mStartX, mStartY, true);
    addPoint(mEndX, mEndY, true);
    Grow();
}

void LightningLineGrow::Grow()
{
    if (mPoints.empty())
        return;
    LightningPoint* last = mPoints.back();
    mPoints.pop_back();
    float tipX = last->mX;
    float tipY = last->mY;
    delete last;
    if (mStep > 0 && std::hypot(mEndX - mLastTargetX, mEndY - mLastTargetY) > mStep) {
        mLastTargetX = mEndX;
        mLastTargetY = mEndY;
        // The wander may lead away from the end, so the walk is bounded.
        const float first = std::hypot(mEndX - tipX, mEndY - tipY);
        const int limit = static_cast<int>(std::min(4 * first / mStep, 4096.0f)) + 16;
        for (int i = 0; i < limit; ++i) {
            const float dx = mEndX - tipX;
            const float dy = mEndY - tipY;
            const float length = std::hypot(dx, dy);
            const float jx = dx + Kivo::RandomFloat(-mSpread, mSpread) * dy;
            const float jy = dy + Kivo::RandomFloat(-mSpread, mSpread) * dx;
            const float jump = std::hypot(jx, jy);
            if (!(jump > 0))
                break;
            tipX += jx / jump * mStep;
            tipY += jy / jump * mStep;
            addPoint(tipX, tipY, false);
            if (!(2 * mStep < length))
                break;
        }
    }
    addPoint(mEndX, mEndY, true);
}

void LightningLineGrow::setStart(float x, float y)
{
    mStartX = x;
    mStartY = y;
}

void LightningLineGrow::setEnd(float x, float y)
{
    mEndX = x;
    mEndY = y;
    Grow();
}

void LightningLineGrow::update(float dt)
{
    mTime += dt;
    if (static_cast<int>(2 * mTime) % 5 == 0)
        ++mFrameOffset;
}

void LightningLineGrow::draw(Kivo::Graphics* g)
{
    g->PushState();
    g->SetDrawMode(Kivo::DRAWMODE_ADDITIVE);
    LightningBase::draw(g);
    g->PopState();
}

void LightningLineGrow::drawSegments(Kivo::Graphics* g, int index, float x1, float y1, float x2, float y2)
{
    Kivo::Image* const strip = GetImageById("IMAGE_GFX_LIGHTNING_ANIMATION");
    if (!strip || strip->mNumCels <= 0 || strip->GetCelHeight() <= 0)
        return;
    const int cel = (mFrameOffset + index) % strip->mNumCels;
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    const float squared = dx * dx + dy * dy;
    const float length = squared > 0 ? Kivo::FastSqrt(squared) : 0;
    const float scale = length / static_cast<float>(strip->GetCelHeight());
    Kivo::Transform t;
    t.Scale(scale, scale);
    t.Rotate(std::atan2(dx, dy));
    t.Translate((x1 + x2) / 2, (y1 + y2) / 2);
    g->DrawImageTransformSrc(strip, t, strip->GetCelRect(cel), 0, 0);
}
