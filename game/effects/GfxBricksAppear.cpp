#include "game/effects/GfxBricksAppear.h"

#include "framework/core/FastMath.h"
#include "framework/core/Random.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/effects/GfxBricksFlyaway.h"
#include "game/effects/GfxPyroSystem.h"
#include "game/match/Grid.h"
#include "game/ui/Callback.h"

#include <cmath>

namespace {

// How far outside its cell a flying brick starts or ends.
constexpr float kFlyDistance = 250.0f;

// The point 250 pixels out from the board centre through (x, y).
void Outside(float x, float y, float& outX, float& outY)
{
    const Grid* grid = Grid::Instance();
    const float half = static_cast<float>(grid->GetCellSize()) / 2;
    const float dx = x - (grid->CellToScreenX(grid->GetCellCount() / 2) - half);
    const float dy = y - (grid->CellToScreenY(grid->GetCellCount() / 2) - half);
    const float length = std::hypot(dx, dy);
    outX = x + (length > 0 ? dx / length * kFlyDistance : 0);
    outY = y + (length > 0 ? dy / length * kFlyDistance : 0);
}

// Moves every brick on by frac along its eased path; true when all have
// arrived. `arrive` runs for each brick that lands in this call.
template <class Arrive>
bool Advance(std::vector<FlyingBrick>& bricks, float frac, Arrive arrive)
{
    bool all = true;
    for (FlyingBrick& b : bricks) {
        if (b.mArrived)
            continue;
        const float eased = Kivo::CosInterpolate(0, 1, b.mT);
        b.mX = b.mStartX + (b.mEndX - b.mStartX) * eased;
        b.mY = b.mStartY + (b.mEndY - b.mStartY) * eased;
        b.mT += b.mSpeed * frac;
        if (b.mT >= 1) {
            b.mT = 1;
            b.mX = b.mEndX;
            b.mY = b.mEndY;
            b.mArrived = true;
            arrive(b);
        } else {
            all = false;
        }
    }
    return all;
}

} // namespace

GfxBricksAppear::GfxBricksAppear(const LevelMap& map, baseCallback* callback) : mCallback(callback)
{
    CollectFlyingBricks(map, true, mBricks);
    for (FlyingBrick& b : mBricks) {
        Outside(b.mEndX, b.mEndY, b.mStartX, b.mStartY);
        b.mX = b.mStartX;
        b.mY = b.mStartY;
        b.mSpeed = Kivo::RandomFloat(0.015f, 0.04f);
    }
}

GfxBricksAppear::~GfxBricksAppear() { delete mCallback; }

bool GfxBricksAppear::start()
{
    PlaySoundById("SOUND_BRICKS_FLYIN");
    return true;
}

void GfxBricksAppear::update(float frac)
{
    mAllArrived = Advance(mBricks, frac, [this](const FlyingBrick& b) {
        addNext(new GfxPyroSystem("brick_exchange_hilight", static_cast<int>(b.mEndX), static_cast<int>(b.mEndY)));
    });
}

int GfxBricksAppear::process()
{
    if (!mAllArrived)
        return 0;
    InvokeOnce(mCallback);
    return -1;
}

void GfxBricksAppear::draw(Kivo::Graphics* g) { DrawFlyingBricks(g, mBricks, true); }

GfxBricksFlyaway::GfxBricksFlyaway(const LevelMap& map, baseCallback* callback) : mCallback(callback)
{
    CollectFlyingBricks(map, true, mBricks);
    for (FlyingBrick& b : mBricks) {
        Outside(b.mStartX, b.mStartY, b.mEndX, b.mEndY);
        b.mSpeed = Kivo::RandomFloat(0.015f, 0.04f);
    }
}

GfxBricksFlyaway::~GfxBricksFlyaway() { delete mCallback; }

void GfxBricksFlyaway::update(float frac)
{
    mAllArrived = Advance(mBricks, frac, [](const FlyingBrick&) {});
}

int GfxBricksFlyaway::process()
{
    if (!mAllArrived)
        return 0;
    InvokeOnce(mCallback);
    return -1;
}

void GfxBricksFlyaway::draw(Kivo::Graphics* g) { DrawFlyingBricks(g, mBricks, false); }
