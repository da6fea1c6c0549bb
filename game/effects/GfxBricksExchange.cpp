#include "game/effects/GfxBricksExchange.h"

#include "framework/core/FastMath.h"
#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Transform.h"
#include "game/effects/GfxDrawBrickHelper.h"
#include "game/effects/GfxPyroSystem.h"
#include "game/match/Grid.h"
#include "game/ui/Callback.h"

#include <algorithm>
#include <numbers>

namespace {

GfxBricksExchange::Brick MakeBrick(Kivo::Image* image, float x, float y, float toX, float toY)
{
    const Grid* grid = Grid::Instance();
    const float half = static_cast<float>(grid->GetCellSize()) / 2;
    const int middle = grid->GetCellCount() / 2 - 1;
    return {image,
            x,
            y,
            x,
            y,
            0,
            Kivo::RandomIndex(2) == 0,
            Kivo::BezierCurve2(x, y, grid->CellToScreenX(middle) + half, grid->CellToScreenY(middle) + half, toX,
                               toY)};
}

} // namespace

GfxBricksExchange::GfxBricksExchange(float ax, float ay, Kivo::Image* a, float bx, float by, Kivo::Image* b,
                                     baseCallback* callback)
    : mBricks{MakeBrick(a, ax, ay, bx, by), MakeBrick(b, bx, by, ax, ay)}, mCallback(callback)
{
}

GfxBricksExchange::~GfxBricksExchange() { delete mCallback; }

bool GfxBricksExchange::start()
{
    mT = Kivo::RandomFloat(-0.45f, -0.3f);
    return true;
}

void GfxBricksExchange::update(float frac)
{
    mT = std::min(mT + 0.008f * frac, 1.0f);
    if (mT <= 0)
        return;
    const float eased = Kivo::CosInterpolate(0, 1, mT);
    for (Brick& b : mBricks) {
        // A one-cel image has no turn to show.
        const int turn = b.mImage ? b.mImage->mNumCels - 1 : 0;
        if (turn > 0)
            b.mCel = static_cast<int>((b.mForward ? mT : 1 - mT) * static_cast<float>(turn)) % turn;
        Kivo::Vec2f p;
        b.mPath.GetPoint(eased, p);
        b.mX = p.x;
        b.mY = p.y;
    }
}

void GfxBricksExchange::Highlight()
{
    for (const Brick& b : mBricks)
        addNext(new GfxPyroSystem("brick_exchange_hilight", static_cast<int>(b.mCellX), static_cast<int>(b.mCellY)));
}

int GfxBricksExchange::process()
{
    ++mSteps;
    if (mT <= 0 && mSteps % 2 == 0) {
        for (Brick& b : mBricks) {
            b.mX = b.mCellX + Kivo::RandomFloat(0, 1) * (mT + 1) * 3;
            b.mY = b.mCellY + Kivo::RandomFloat(0, 1) * (mT + 1) * 3;
        }
    }
    if (!mHighlighted && mT >= -0.2f) {
        mHighlighted = true;
        Highlight();
    }
    if (mT < 1)
        return 0;
    Highlight();
    InvokeOnce(mCallback);
    return -1;
}

void GfxBricksExchange::draw(Kivo::Graphics* g)
{
    const float t = std::max(mT, 0.0f);
    const float scale = 1 - 0.2f * Kivo::FastSin(std::numbers::pi_v<float> * t);
    const float angle = Kivo::CosInterpolate(0, 2 * std::numbers::pi_v<float>, t);
    for (const Brick& b : mBricks) {
        Kivo::Transform transform;
        transform.Scale(scale, scale);
        transform.Rotate(angle);
        transform.Translate(b.mX, b.mY);
        GfxDrawBrickHelper::DrawCel(g, b.mImage, b.mCel, transform);
    }
}
