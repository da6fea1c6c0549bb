#include "game/play/GameScreenEffects.h"

#include "framework/resources/ResourceHelpers.h"
#include "game/effects/GfxBoardAppear.h"
#include "game/effects/GfxBrickGameSwitching.h"
#include "game/effects/GfxBricksAppear.h"
#include "game/effects/GfxFastFlare.h"
#include "game/effects/GfxManager.h"
#include "game/effects/GfxPyroSystem.h"
#include "game/effects/GfxSwirlText.h"
#include "game/match/LevelMap.h"

void AddEmitter(GfxManager& effects, const char* name, float x, float y)
{
    effects.addEffect(new GfxPyroSystem(name, static_cast<int>(x), static_cast<int>(y)));
}

gfxBase* NewBoardAppear(baseCallback* done) { return new GfxBoardAppear(done); }

gfxBase* NewBricksAppear(const LevelMap& map, baseCallback* done) { return new GfxBricksAppear(map, done); }

gfxBase* NewSwirlText(const std::string& text, int x, int y)
{
    auto* title = new GfxSwirlText(GetFontById("FONT_EFFECTS_BIG"), x, y, text);
    title->mColor = Kivo::Color(255, 255, 255);
    title->mTextScale = 0.8f;
    title->mShadow = 1;
    return title;
}

gfxBase* NewFlare(float fromX, float fromY, float toX, float toY, baseCallback* done)
{
    return new GfxFastFlareTarger(fromX, fromY, toX, toY, done);
}

gfxBase* NewModeSwitch(const LevelMap& oldMap, const LevelMap& newMap, baseCallback* done)
{
    auto* effect = new GfxBrickGameSwitching(done);
    for (int y = oldMap.GetHeight() - 1; y >= 0; --y)
        for (int x = oldMap.GetWidth() - 1; x >= 0; --x) {
            LevelMapCell from, to;
            if (oldMap.GetCell(x, y, &from.code, nullptr, &from.brickFlags, nullptr) &&
                newMap.GetCell(x, y, &to.code, nullptr, &to.brickFlags, nullptr))
                effect->addBrick(x, y, to.code, to.brickFlags, x, y, from.code, from.brickFlags);
        }
    return effect;
}
