#include "game/effects/GfxBrickGameSwitching.h"

#include "framework/core/FastMath.h"
#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Transform.h"
#include "game/match/BrickHelper.h"
#include "game/match/Grid.h"
#include "game/ui/Callback.h"

#include <algorithm>
#include <numbers>

int GfxBrickGameSwitching::sCounter = 0;
float GfxBrickGameSwitching::sArcX = 0;
float GfxBrickGameSwitching::sArcY = 0;

GfxBrickGameSwitching::GfxBrickGameSwitching(baseCallback* callback) : mCallback(callback) {}

GfxBrickGameSwitching::~GfxBrickGameSwitching() { delete mCallback; }

void GfxBrickGameSwitching::addBrick(int x, int y, int endColour, uint32_t endFlags, int targetX, int targetY,
                                     int startColour, uint32_t startFlags)
{
    static const struct {
        int mCounter;
        float mX, mY;
    } kArcs[] = {{0, 150, 150},   {11, -150, 150}, {22, 0, 150}, {33, 150, -150}, {44, -150, -150},
                 {55, 0, -150},   {66, -150, 0},   {77, 150, 0}, {88, 0, 0}};
    for (const auto& arc : kArcs) {
        if (arc.mCounter == sCounter) {
            sArcX = arc.mX;
            sArcY = arc.mY;
        }
    }
    sCounter = (sCounter + 1) % 100;

    Kivo::Image* oldImage = BrickHelper::Instance()->GetBrickImage(startColour);
    Kivo::Image* newImage = BrickHelper::Instance()->GetBrickImage(endColour);
    if (!oldImage && !newImage)
        return;
    const Grid* grid = Grid::Instance();
    Brick b;
    b.mOldImage = oldImage;
    b.mOldFlags = startFlags;
    b.mNewImage = newImage;
    b.mNewFlags = endFlags;
    b.mX = b.mStartX = grid->CellToScreenX(x);
    b.mY = b.mStartY = grid->CellToScreenY(y);
    b.mEndX = grid->CellToScreenX(targetX);
    b.mEndY = grid->CellToScreenY(targetY);
    b.mArcX = sArcX;
    b.mArcY = sArcY;
    b.mWait = Kivo::RandomInt(-20, -10);
    b.mSpin = static_cast<unsigned char>(Kivo::RandomIndex(2));
    mBricks.push_back(b);
}

int GfxBrickGameSwitching::process()
{
    bool moving = false;
    for (Brick& b : mBricks) {
        ++b.mWait;
        if (b.mWait >= 0 && b.mT >= 0.45f)
            b.mFade.mSpeed = 0.1f;
        moving |= b.mT < 1;
    }
    if (moving)
        return 0;
    InvokeOnce(mCallback);
    return -1;
}

void GfxBrickGameSwitching::update(float frac)
{
    for (Brick& b : mBricks) {
        if (b.mWait < 0)
            continue;
        b.mFade.Update(frac);
        b.mT = std::min(b.mT + 0.008f * frac, 1.0f);
        Kivo::Image* shown = b.mNewImage ? b.mNewImage : b.mOldImage;
        // A one-cel image has no turn to show.
        const int turn = shown->mNumCels - 1;
        if (turn > 0)
            b.mCel = static_cast<int>(2 * static_cast<float>(turn) * (b.mSpin ? b.mT : 1 - b.mT)) % turn;
        b.mX = b.mStartX + (b.mEndX - b.mStartX) * b.mT;
        b.mY = b.mStartY + (b.mEndY - b.mStartY) * b.mT;
        if (b.mT < 1) {
            const float arc = Kivo::FastSin(std::numbers::pi_v<float> * Kivo::CosInterpolate(0, 1, b.mT));
            b.mX += b.mArcX * arc;
            b.mY += b.mArcY * arc;
        }
    }
}

void GfxBrickGameSwitching::draw(Kivo::Graphics* g)
{
    g->PushState();
    g->SetColorizeImages(true);
    for (const Brick& b : mBricks) {
        const float turn = Kivo::CosInterpolate(0, 2 * std::numbers::pi_v<float>, b.mT);
        Kivo::Transform t;
        t.Rotate(b.mSpin ? turn : -turn);
        t.Translate(b.mX, b.mY);
        const float fade = b.mFade.mCurrent;
        if (fade > 0) {
            g->SetColorRGBA(255, 255, 255, fade >= 1 ? 255 : static_cast<int>(fade * 255));
            DrawBrick(g, b.mNewImage, b.mCel, b.mNewFlags, t);
        }
        if (fade < 1) {
            g->SetColorRGBA(255, 255, 255, fade <= 0 ? 255 : static_cast<int>((1 - fade) * 255));
            DrawBrick(g, b.mOldImage, b.mCel, b.mOldFlags, t);
        }
    }
    g->PopState();
}
