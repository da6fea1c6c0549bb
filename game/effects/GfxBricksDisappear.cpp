#include "game/effects/GfxBricksDisappear.h"

#include "framework/core/Random.h"
#include "game/effects/GfxPyroSystem.h"
#include "game/match/Grid.h"
#include "game/ui/Callback.h"

GfxBricksDisappear::GfxBricksDisappear(const LevelMap& map, int keyX, int keyY, baseCallback* callback)
    : mTargetX(Grid::Instance()->CellToScreenX(keyX)), mTargetY(Grid::Instance()->CellToScreenY(keyY)),
      mCallback(callback)
{
    CollectFlyingBricks(map, false, mBricks);
    for (FlyingBrick& b : mBricks) {
        b.mEndX = mTargetX;
        b.mEndY = mTargetY;
        b.mSpeed = Kivo::RandomFloat(0.015f, 0.02f);
        b.mWait = Kivo::RandomFloat(1.6f, 1.8f);
    }
}

GfxBricksDisappear::~GfxBricksDisappear() { delete mCallback; }

void GfxBricksDisappear::update(float frac)
{
    for (FlyingBrick& b : mBricks) {
        if (b.mArrived)
            continue;
        b.mWait -= 0.01f * frac;
        if (b.mWait > 0)
            continue;
        b.mX = b.mStartX + (b.mEndX - b.mStartX) * b.mT;
        b.mY = b.mStartY + (b.mEndY - b.mStartY) * b.mT;
        b.mT += b.mSpeed * frac;
        if (b.mT >= 1) {
            b.mT = 1;
            b.mX = b.mEndX;
            b.mY = b.mEndY;
            b.mArrived = true;
        }
    }
}

int GfxBricksDisappear::process()
{
    ++mSteps;
    bool all = true;
    for (const FlyingBrick& b : mBricks)
        all &= b.mArrived;
    if (!all) {
        if (mSteps % 3 == 0)
            for (FlyingBrick& b : mBricks)
                if (b.mWait <= 0)
                    b.mCel = NextCel(b.mImage, b.mCel);
        return 0;
    }
    addNext(new GfxPyroSystem("key_done_final", static_cast<int>(mTargetX), static_cast<int>(mTargetY)));
    InvokeOnce(mCallback);
    return -1;
}

void GfxBricksDisappear::draw(Kivo::Graphics* g) { DrawFlyingBricks(g, mBricks, false); }
