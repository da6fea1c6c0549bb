#include "game/play/GamePlayGfx.h"

#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/effects/GfxAnimatedImage.h"
#include "game/effects/GfxDelay.h"
#include "game/effects/GfxPlaySample.h"
#include "game/match/BrickBase.h"
#include "game/match/BrickHelper.h"
#include "game/match/CellBase.h"
#include "game/match/Grid.h"
#include "game/match/LevelMap.h"
#include "game/ui/Callback.h"

#include <algorithm>
#include <cmath>

GamePlayGfx::~GamePlayGfx()
{
    // Effects may hold stored calls into this object: they go before it.
    mOverlayEffects.clearEffects();
    mBoardEffects.clearEffects();
}

int GamePlayGfx::GetEffectCount() const
{
    return static_cast<int>(mBoardEffects.size() + mOverlayEffects.size());
}

bool GamePlayGfx::HasBoardEffects() const
{
    return !mBoardEffects.empty();
}

void GamePlayGfx::DrawEffects(Kivo::Graphics* g)
{
    mBoardEffects.drawEffects(g);
    mOverlayEffects.drawEffects(g);
}

void GamePlayGfx::UpdateGfx()
{
    mBoardEffects.processEffects();
    mOverlayEffects.processEffects();
    GamePlaySound::Update();
}

void GamePlayGfx::UpdateGfxF(float dt)
{
    mBoardEffects.updateEffects(dt);
    mOverlayEffects.updateEffects(dt);
}

void GamePlayGfx::PlaySoundPitched(const std::string& id, int pitch, int pan)
{
    if (playedThisTick.insert(id).second)
        PlaySoundPitchedByName(id, pitch, pan);
}

void GamePlayGfx::DoEvent(int kind, float value)
{
    auto bricks = [this](auto&& f) {
        for (FieldSlot& slot : mSlots)
            f(*slot.brick);
    };
    auto cells = [this](int state) {
        for (FieldSlot& slot : mSlots)
            slot.cell->SetState(state);
    };
    switch (kind) {
    case 0: bricks([](BrickBase& b) { b.SetState(9); }); break;
    case 1: bricks([](BrickBase& b) { b.StopState(9); }); break;
    case 2: cells(1); break;
    case 3: cells(2); break;
    case 4: cells(3); break;
    case 5: bricks([](BrickBase& b) { b.SetState(7); }); break;
    case 6: bricks([](BrickBase& b) { b.SetState(8); }); break;
    case 7: StartWave(-1); break;
    case 10: AddDelay(value); break;
    default: break;
    }
}

int GamePlayGfx::CentreX(int x)
{
    return static_cast<int>(Grid::Instance()->CellToScreenX(x));
}

int GamePlayGfx::CentreY(int y)
{
    return static_cast<int>(Grid::Instance()->CellToScreenY(y));
}

void GamePlayGfx::AddEffect(gfxBase* effect)
{
    if (effect)
        mBoardEffects.addEffect(effect);
}

void GamePlayGfx::AddOverlay(gfxBase* effect, bool atFront)
{
    if (effect)
        mOverlayEffects.addEffect(effect, atFront);
}

void GamePlayGfx::AddDelay(float seconds)
{
    mBoardEffects.addEffect(new GfxDelay(seconds, true));
}

void GamePlayGfx::Emit(const char* name, int px, int py, bool board)
{
    // Particle bursts come from the particle library's emitters; until that
    // adapter is part of this build a burst is silent and starts nothing.
    (void)name, (void)px, (void)py, (void)board;
}

void GamePlayGfx::ExplodeImage(const char* imageId, int x, int y, bool atFront)
{
    if (Kivo::Image* image = GetImageById(imageId))
        AddOverlay(new GfxAnimatedImage(image, CentreX(x), CentreY(y), true), atFront);
}

void GamePlayGfx::Deliver(GfxManager& list, float seconds, baseCallback* callback)
{
    if (callback)
        list.addEffect(new GfxDelay(seconds, callback));
}

// The flights below carry a stored call that must arrive whatever is drawn:
// each is a timed delivery of the flight's length.
void GamePlayGfx::ShowFluids(int, int, int, int, baseCallback* callback)
{
    Deliver(mBoardEffects, Kivo::RandomFloat(0.0f, 0.8f) + 0.3f, callback);
}

void GamePlayGfx::ShowFlare(int, int, int, int, baseCallback* callback)
{
    Deliver(mOverlayEffects, 0.5f, callback);
}

void GamePlayGfx::ShowExchange(int x1, int y1, int x2, int y2, baseCallback* callback)
{
    // The bricks already stand in each other's slots: they glide home.
    if (OnBoard(x1, y1) && OnBoard(x2, y2)) {
        GetBrick(x1, y1)->MoveTo(x1, y1);
        GetBrick(x2, y2)->MoveTo(x2, y2);
    }
    Deliver(mBoardEffects, 1.0f, callback);
}

void GamePlayGfx::ShowFlyChain(int, int, bool, float delay, baseCallback* callback)
{
    Deliver(mBoardEffects, std::max(delay, 0.0f) + 0.5f, callback);
}

void GamePlayGfx::ShowScore(int, const char*) {}

void GamePlayGfx::ShowText(const std::string&, int, int) {}

void GamePlayGfx::ShowNoMoves() {}

void GamePlayGfx::OnCellBroken(int x, int y, int level)
{
    if (Kivo::Image* image = GetImageById("BRICK_MOD_CELL_EXPLODE")) {
        auto* effect = new GfxAnimatedImage(image, CentreX(x), CentreY(y), true);
        if (level == 2)
            effect->mColor = Kivo::Color(100, 200, 250);
        AddOverlay(effect, true);
    }
    Emit("cell_clouds_explode", CentreX(x), CentreY(y));
    PlaySound("SOUND_BREAK_CELL");
}

void GamePlayGfx::OnBrickDestroyed(int x, int y, int)
{
    switch (GetGameType()) {
    case 3:
        PlaySound("SOUND_EXPLODE_SIMPLE_CHAIN");
        break;
    case 2:
        Emit("brick_explode", CentreX(x), CentreY(y));
        PlaySound("SOUND_EXPLODE_SIMPLE_GROUP");
        break;
    default:
        Emit("brick_explode", CentreX(x), CentreY(y));
        PlaySound("SOUND_EXPLODE_SIMPLE_SWAP");
        break;
    }
}

void GamePlayGfx::OnEnergizedDestroyed(int x, int y, int)
{
    Emit("energized_exploded", CentreX(x), CentreY(y));
    PlaySound("SOUND_EXPLODE_ENERGIZED");
}

void GamePlayGfx::OnEnergyHit(int x, int y)
{
    Emit("brick_energy_explode", CentreX(x), CentreY(y));
}

void GamePlayGfx::OnBoxBroken(int x, int y)
{
    ExplodeImage("BRICK_MOD_BOX_EXPLODE", x, y, false);
    Emit("cell_clouds_explode", CentreX(x), CentreY(y));
    PlaySoundPitched("SOUND_BREAK_BOX", 2 * Kivo::RandomInt(-1, 1), 0);
}

void GamePlayGfx::OnChainBroken(int x, int y, int level)
{
    if (level == 1) {
        ExplodeImage("BRICK_MOD_FRAME", x, y, false);
        ExplodeImage("BRICK_MOD_CHAIN1", x, y, false);
    } else {
        ExplodeImage("BRICK_MOD_CHAIN2", x, y, false);
    }
    PlaySoundPitched("SOUND_BREAK_CHAIN", Kivo::RandomInt(-1, 1), 0);
}

void GamePlayGfx::OnFlyDone(int, int)
{
    PlaySoundPitched("SOUND_FAST_FLY_DONE", Kivo::RandomInt(-1, 1), 0);
}

void GamePlayGfx::OnBonusActivated(int px, int py)
{
    Emit("bonus_ball_light", px, py);
    PlaySoundPitched("SOUND_BONUS_ACTIVATED", Kivo::RandomInt(-1, 1), 0);
}

void GamePlayGfx::OnBomb(int x, int y)
{
    Emit("bomb_explode", CentreX(x), CentreY(y));
    PlaySound("SOUND_BONUS_BOMB");
}

void GamePlayGfx::OnHint(int x, int y)
{
    Emit("brick_hint", CentreX(x), CentreY(y));
}

void GamePlayGfx::OnBigMatch(int x, int y)
{
    Emit("explode_match", CentreX(x), CentreY(y));
    PlaySound("SOUND_EXPLODE_BIGMATCH");
}

void GamePlayGfx::OnBiggerMatch(int x, int y)
{
    Emit("explode_match_big", CentreX(x), CentreY(y));
    PlaySound("SOUND_EXPLODE_BIGMATCH2");
}

void GamePlayGfx::OnShuffle(int px, int py)
{
    Emit("shuffle_field", 400, 295);
    Emit("bonus_mix_explode", px, py);
    PlaySound("SOUND_BONUS_SHUFFLE");
}

void GamePlayGfx::OnLightning(int px, int py)
{
    Emit("bonus_fluid_explode", px, py);
    PlaySound("SOUND_BONUS_LIGHTNING");
    PlaySoundDelayed("SOUND_BONUS_LIGHTNING_START", 50);
}

void GamePlayGfx::OnLightningHit(int x, int y)
{
    Emit("fluid_explode", CentreX(x), CentreY(y));
    PlaySound("SOUND_BONUS_LIGHTNING_EXPLODE");
}

bool GamePlayGfx::EnergizeRandomBrick()
{
    for (int tries = mWidth / 2; tries > 0; --tries) {
        int x = Kivo::RandomInt(0, mWidth - 1);
        int y = Kivo::RandomInt(0, mWidth - 1);
        const FieldSlot& slot = mSlots[Index(x, y)];
        int code = slot.brick->GetCode();
        if (slot.cell->GetKind() == 0 || code == 0 || code == kBrickKey || slot.brick->IsBusy() ||
            slot.holdBack > 0 || (slot.brick->GetFlags() & (kBrickBox | kBrickChain | kBrickChain2 | kBrickEnergized)))
            continue;
        slot.brick->SetFlag(kBrickEnergized);
        PlaySound("SOUND_ENERGIZER_FLY_DONE");
        return true;
    }
    return false;
}

void GamePlayGfx::OnEnergizer(int px, int py, float delay)
{
    Emit("energizer_start", px, py);
    // The energizer's flight lasts about a second before it lands.
    auto* land = new CB_Callback<GamePlayGfx, bool>(this, &GamePlayGfx::EnergizeRandomBrick);
    Deliver(mOverlayEffects, std::max(delay, 0.0f) + 1.0f, land);
}

void GamePlayGfx::OnRow(int x, int y)
{
    Emit("row_explode", CentreX(x), CentreY(y));
    PlaySound("SOUND_BONUS_ROW");
}

void GamePlayGfx::OnMagnet(int x, int y)
{
    Emit("magnet_explode", CentreX(x), CentreY(y));
    PlaySound("SOUND_BONUS_MAGNET");
}

void GamePlayGfx::OnMagnetEnd(int x, int y, float delay)
{
    Emit("magnet_explode", CentreX(x), CentreY(y));
    AddOverlay(new GfxDelay(delay, true));
    PlaySoundDelayed("SOUND_BONUS_MAGNET_END", static_cast<int>(delay * 100));
}

void GamePlayGfx::OnMagnetItem(Kivo::Image*, float px, float py, float delay)
{
    Emit("magnet_item_explode", static_cast<int>(px), static_cast<int>(py));
    auto* sample = new GfxPlaySample("SOUND_BONUS_MAGNET_ITEM_EXPLODE", static_cast<int>(delay * 100));
    sample->mPitch = Kivo::RandomInt(-5, 5);
    AddOverlay(sample);
}

void GamePlayGfx::OnMagnetLine(float, float, float, float, float delay)
{
    auto* sample = new GfxPlaySample("SOUND_BONUS_MAGNET_LINE", static_cast<int>(delay * 100));
    sample->mPitch = Kivo::RandomInt(-5, 5);
    AddOverlay(sample);
}

void GamePlayGfx::OnKeyAppear(int x, int y)
{
    Emit("key_appear", CentreX(x), CentreY(y), true);
    PlaySound("SOUND_KEY_APPEAR");
}

void GamePlayGfx::OnHoleAppear(int x, int y)
{
    Emit("hole_appear", CentreX(x), CentreY(y), true);
}

void GamePlayGfx::OnKeyDone(int x, int y)
{
    Emit("key_done", CentreX(x), CentreY(y), true);
    PlaySound("SOUND_KEY_DONE");
}

void GamePlayGfx::OnBonusLevelCompleted(const LevelMap&, int, int, baseCallback* callback)
{
    // The bricks fly to the key for about two seconds.
    Deliver(mBoardEffects, 2.0f, callback);
    mBoardEffects.addEffect(new GfxDelay(2.0f, true));
    PlaySoundDelayed("SOUND_LEVEL_COMPLETED_TEXT", 80);
    PlaySoundDelayed("SOUND_BRICKS_FLYOUT2", 160);
}

void GamePlayGfx::OnLevelCompleted(const LevelMap&, baseCallback* callback)
{
    Deliver(mBoardEffects, 2.0f, callback);
    mBoardEffects.addEffect(new GfxDelay(2.0f, true));
    PlaySoundDelayed("SOUND_LEVEL_COMPLETED_TEXT", 80);
    PlaySound("SOUND_BRICKS_FLYOUT1");
}

void GamePlayGfx::SelectBrick(int x, int y)
{
    if (OnBoard(x, y))
        GetBrick(x, y)->SetState(1);
}

void GamePlayGfx::UnselectBrick(int x, int y)
{
    if (OnBoard(x, y))
        GetBrick(x, y)->StopState(1);
}

void GamePlayGfx::HighlightBrick(int x, int y)
{
    if (OnBoard(x, y))
        GetBrick(x, y)->SetState(2);
}

void GamePlayGfx::GlowBrick(int x, int y, int n)
{
    if (OnBoard(x, y))
        GetBrick(x, y)->StartState(3, std::min(static_cast<float>(n) * 0.125f, 1.0f));
}

void GamePlayGfx::UnglowBrick(int x, int y)
{
    if (OnBoard(x, y))
        GetBrick(x, y)->StopState(3);
}

void GamePlayGfx::ShowWrongSwap(int x1, int y1, int x2, int y2)
{
    if (!OnBoard(x1, y1) || !OnBoard(x2, y2))
        return;
    AddHold(x1, y1, 0.4f);
    AddHold(x2, y2, 0.4f);
    BrickBase* first = GetBrick(x1, y1);
    BrickBase* second = GetBrick(x2, y2);
    first->MoveTo(x2, y2);
    first->StartState(5, -30.0f);
    first->MoveTo(x1, y1);
    second->MoveTo(x1, y1);
    second->StartState(5, -30.0f);
    second->MoveTo(x2, y2);
}

float GamePlayGfx::WaveTime(int pattern, int x, int y, int w)
{
    float fx = static_cast<float>(x), fy = static_cast<float>(y);
    switch (pattern) {
    case 0: return (fx + fy) * 0.5f;
    case 1: return std::fabs(fx - 4.5f) + std::fabs(fy - 4.5f);
    case 2: return fy;
    default: break;
    }
    // The spiral: ring r starts at its top-left corner and runs clockwise.
    int r = std::min(std::min(x, y), std::min(w - 1 - x, w - 1 - y));
    int k = 0;
    for (int i = 0; i < r; ++i)
        k += 4 * (w - 1 - 2 * i);
    int side = w - 1 - 2 * r;
    if (side == 0)
        k += 0;
    else if (y == r)
        k += x - r;
    else if (x == w - 1 - r)
        k += side + (y - r);
    else if (y == w - 1 - r)
        k += 2 * side + (w - 1 - r - x);
    else
        k += 3 * side + (w - 1 - r - y);
    return 0.1f * static_cast<float>(k + 1);
}

void GamePlayGfx::StartWave(int pattern)
{
    if (pattern < 0 || pattern > 3)
        pattern = Kivo::RandomInt(0, 3);
    for (int y = 0; y < mWidth; ++y)
        for (int x = 0; x < mWidth; ++x)
            GetBrick(x, y)->StartState(2, WaveTime(pattern, x, y, mWidth));
}
