#include "game/effects/GfxEnergizerFly.h"

#include "framework/core/Random.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/effects/GfxPyroSystem.h"
#include "game/match/BrickBase.h"
#include "game/match/GamePlayMovement.h"
#include "game/match/Grid.h"

#include <cmath>

GfxEnergizerFly::GfxEnergizerFly(int x, int y, FieldBase* field)
    : mX(static_cast<float>(x)), mY(static_cast<float>(y)), mField(dynamic_cast<GamePlayMovement*>(field))
{
}

bool GfxEnergizerFly::Qualifies(int x, int y) const
{
    return mField && mField->IsSelectableBrick(x, y) && mField->IsFreeBrick(x, y) && !mField->IsBrickBusyAt(x, y) &&
           (mField->GetBrickFlags(x, y) & kBrickEnergized) == 0;
}

bool GfxEnergizerFly::ChooseTarget()
{
    if (!mField)
        return false;
    const int width = mField->GetWidth();
    // Only a few tries: on a board with few candidates it may give up.
    for (int i = 0; i < width / 2; ++i) {
        const int x = Kivo::RandomIndex(width);
        const int y = Kivo::RandomIndex(width);
        if (Qualifies(x, y)) {
            mTargetX = x;
            mTargetY = y;
            mTargetScreenX = Grid::Instance()->CellToScreenX(x);
            mTargetScreenY = Grid::Instance()->CellToScreenY(y);
            return true;
        }
    }
    return false;
}

bool GfxEnergizerFly::start()
{
    mTurnAllowance = 0;
    if (!ChooseTarget())
        return false;
    mEmitter.PlaceAndStart(mX, mY);
    if (mSteps == 0)
        PlaySoundById("SOUND_ENERGIZER_FLY_START");
    const float dx = Kivo::RandomFloat(-1, 1);
    const float dy = Kivo::RandomFloat(-1, -0.5f);
    const float length = std::hypot(dx, dy);
    mDirX = dx / length;
    mDirY = dy / length;
    return true;
}

void GfxEnergizerFly::Retarget()
{
    if (start()) {
        mState = 0;
    } else {
        mEmitter.stop();
        mState = 2;
    }
}

void GfxEnergizerFly::update(float frac)
{
    mEmitter.update(frac);
    mEmitter.setPos(mX, mY);
    if (mState != 0)
        return;
    const float allowance = mTurnAllowance + 0.012f;
    mTurnAllowance += 0.0002f * frac;
    float heading = std::atan2(mDirY, mDirX);
    float wanted = std::atan2(mTargetScreenY - mY, mTargetScreenX - mX);
    // Turn the shorter way round.
    if (wanted - heading > 3.1415f)
        heading += 6.283f;
    else if (heading - wanted > 3.1415f)
        wanted += 6.283f;
    const float turn = wanted - heading;
    const float most = allowance * frac;
    if (turn > most)
        heading += most;
    else if (turn < -most)
        heading -= most;
    else
        heading = wanted;
    if (heading > 6.283f)
        heading -= 6.283f;
    else if (heading < -6.283f)
        heading += 6.283f;
    mDirX = std::cos(heading);
    mDirY = std::sin(heading);
    mX += mDirX * mSpeed * frac;
    mY += mDirY * mSpeed * frac;
    const float dx = mTargetScreenX - mX;
    const float dy = mTargetScreenY - mY;
    if (dx * dx + dy * dy < 10)
        mState = 1;
}

int GfxEnergizerFly::process()
{
    ++mSteps;
    if (mState == 1) {
        if (!Qualifies(mTargetX, mTargetY) || mField->IsRotating()) {
            Retarget();
        } else {
            mField->GetBrick(mTargetX, mTargetY)->SetFlag(kBrickEnergized);
            const int x = static_cast<int>(mTargetScreenX);
            const int y = static_cast<int>(mTargetScreenY);
            addNext(new GfxPyroSystem("energized_end", x, y));
            addNext(new GfxPyroSystem("energized_end2", x, y));
            PlaySoundById("SOUND_ENERGIZER_FLY_DONE");
            mEmitter.stop();
            mState = 2;
        }
    } else if (mState == 0) {
        if ((mSteps > 200 && !Qualifies(mTargetX, mTargetY)) || mSteps == 350)
            Retarget();
    }
    if (mState == 2)
        return mEmitter.alive() ? 0 : -1;
    return 0;
}

void GfxEnergizerFly::draw(Kivo::Graphics* g) { mEmitter.render(g); }
