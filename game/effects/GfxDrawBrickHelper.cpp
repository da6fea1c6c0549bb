#include "game/effects/GfxDrawBrickHelper.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/match/BrickHelper.h"
#include "game/match/Grid.h"
#include "game/match/LevelMap.h"

namespace {

struct ModifierImages {
    Kivo::Image* mChain1 = GetImageById("BRICK_MOD_CHAIN1");
    Kivo::Image* mChain2 = GetImageById("BRICK_MOD_CHAIN2");
    Kivo::Image* mFrame = GetImageById("BRICK_MOD_FRAME");
    Kivo::Image* mBox = GetImageById("BRICK_MOD_BOX");
};

ModifierImages Modifiers()
{
    return ModifierImages();
}

} // namespace

void GfxDrawBrickHelper::DrawCel(Kivo::Graphics* g, Kivo::Image* image, int cel, const Kivo::Transform& t, float x,
                                 float y)
{
    if (image)
        g->DrawImageTransformSrcF(image, t, image->GetCelRect(cel), x, y);
}

int GfxDrawBrickHelper::NextCel(Kivo::Image* image, int cel)
{
    const int count = image ? image->mNumCels : 1;
    return count > 0 ? (cel + 1) % count : 0;
}

void GfxDrawBrickHelper::DrawBrick(Kivo::Graphics* g, Kivo::Image* image, int cel, uint32_t flags,
                                   const Kivo::Transform& t)
{
    const ModifierImages mods = Modifiers();
    if (flags & 4) {
        DrawCel(g, mods.mBox, 0, t, -2, -3);
        return;
    }
    if (!image)
        return;
    if (image->mNumCels > 0 && cel >= image->mNumCels)
        cel %= image->mNumCels;
    DrawCel(g, image, cel, t);
    if (flags & 1) {
        DrawCel(g, mods.mFrame, 0, t, -0.5f, -0.5f);
        if (flags & 2)
            DrawCel(g, mods.mChain2, 0, t, -0.5f, -0.5f);
        DrawCel(g, mods.mChain1, 0, t, -0.5f, -0.5f);
    }
}

void GfxDrawBrickHelper::DrawFlyingBricks(Kivo::Graphics* g, const std::vector<FlyingBrick>& bricks, bool fadeIn)
{
    g->PushState();
    g->SetColorizeImages(true);
    for (const FlyingBrick& b : bricks) {
        g->SetColorRGBA(255, 255, 255, static_cast<int>((fadeIn ? b.mT : 1 - b.mT) * 255));
        Kivo::Transform t;
        t.Translate(b.mX, b.mY);
        DrawBrick(g, b.mImage, b.mCel, b.mFlags, t);
    }
    g->PopState();
}

void CollectFlyingBricks(const LevelMap& map, bool withKey, std::vector<FlyingBrick>& out)
{
    const Grid* grid = Grid::Instance();
    for (int y = 0; y < map.GetHeight(); ++y) {
        for (int x = 0; x < map.GetWidth(); ++x) {
            uint8_t code = 0;
            uint32_t flags = 0;
            map.GetCell(x, y, &code, nullptr, &flags, nullptr);
            if (code == 0 || (code == 12 && !withKey))
                continue;
            Kivo::Image* image = BrickHelper::Instance()->GetBrickImage(code);
            if (!image)
                continue;
            FlyingBrick brick;
            brick.mImage = image;
            brick.mFlags = flags;
            brick.mX = brick.mStartX = brick.mEndX = grid->CellToScreenX(x);
            brick.mY = brick.mStartY = brick.mEndY = grid->CellToScreenY(y);
            out.push_back(brick);
        }
    }
}
