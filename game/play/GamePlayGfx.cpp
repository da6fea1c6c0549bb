#include "game/play/GamePlayGfx.h"

#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/graphics/Image.h"
#include "game/effects/GfxAnimatedImage.h"
#include "game/effects/GfxBrickBlowup.h"
#include "game/effects/GfxBricksDisappear.h"
#include "game/effects/GfxBricksExchange.h"
#include "game/effects/GfxBricksFlyaway.h"
#include "game/effects/GfxDelay.h"
#include "game/effects/GfxEnergizerFly.h"
#include "game/effects/GfxExplodeBrickMesh.h"
#include "game/effects/GfxExplodeRowFly.h"
#include "game/effects/GfxFastFlare.h"
#include "game/effects/GfxFluids.h"
#include "game/effects/GfxFlyChain.h"
#include "game/effects/GfxFlyText.h"
#include "game/effects/GfxImageExpand.h"
#include "game/effects/GfxLiveLightningLine.h"
#include "game/effects/GfxParticledText.h"
#include "game/effects/GfxPlaySample.h"
#include "game/effects/GfxPyroSystem.h"
#include "game/effects/GfxShowScore.h"
#include "game/effects/GfxSwirlText.h"
#include "game/match/BrickBase.h"
#include "game/match/BrickHelper.h"
#include "game/match/CellBase.h"
#include "game/match/Grid.h"
#include "game/match/LevelMap.h"
#include "game/ui/Callback.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// A stored call of a small piece of code, then of an owned stored call.
class CallCode : public baseCallback {
public:
    CallCode(std::function<void()> code, baseCallback* then) : mCode(std::move(code)), mThen(then) {}
    ~CallCode() override { delete mThen; }
    CallCode(const CallCode&) = delete;
    CallCode& operator=(const CallCode&) = delete;
    void Invoke() override
    {
        mCode();
        if (baseCallback* then = mThen) {
            mThen = nullptr;
            then->Invoke();
            delete then;
        }
    }
    baseCallback* Clone() override { return new CallCode(mCode, mThen ? mThen->Clone() : nullptr); }

private:
    std::function<void()> mCode;
    baseCallback* mThen;
};

Kivo::Image* BrickImage(int code)
{
    return BrickHelper::Instance()->GetBrickImage(code);
}

// A brick picture breaking apart, centred on a point.
GfxExplodeBrickMesh* BrickMesh(Kivo::Image* image, int cellSize, float cx, float cy)
{
    auto* mesh = new GfxExplodeBrickMesh(image, cellSize);
    mesh->mX = cx - static_cast<float>(image->GetCelWidth() / 2);
    mesh->mY = cy - static_cast<float>(image->GetCelHeight() / 2);
    mesh->mSpeedFactor = 0.8f;
    return mesh;
}

// An effect that starts after a wait, or at once without one.
gfxBase* After(float delay, gfxBase* effect)
{
    return delay > 0 ? new GfxDelay(delay, effect) : effect;
}

} // namespace

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
    (board ? mBoardEffects : mOverlayEffects).addEffect(new GfxPyroSystem(name, px, py));
}

void GamePlayGfx::ExplodeImage(const char* imageId, int x, int y, bool atFront)
{
    if (Kivo::Image* image = GetImageById(imageId))
        AddOverlay(new GfxAnimatedImage(image, CentreX(x), CentreY(y), true), atFront);
}

void GamePlayGfx::ShowFluids(int x1, int y1, int x2, int y2, baseCallback* callback)
{
    auto* stream = new GfxFluids(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                                 static_cast<float>(y2), callback);
    // The streams of one bonus set off one after another.
    stream->addPause(Kivo::RandomFloat(0.0f, 0.8f));
    AddEffect(stream);
}

void GamePlayGfx::ShowFlare(int x, int y, int targetX, int targetY, baseCallback* callback)
{
    AddOverlay(new GfxFastFlareTarger(static_cast<float>(CentreX(x)), static_cast<float>(CentreY(y)),
                                      static_cast<float>(targetX), static_cast<float>(targetY), callback));
}

void GamePlayGfx::ShowExchange(int x1, int y1, int x2, int y2, baseCallback* callback)
{
    if (!OnBoard(x1, y1) || !OnBoard(x2, y2)) {
        delete callback;
        return;
    }
    // The bricks already stand in each other's slots: they wait hidden at
    // their new places while their pictures travel.
    BrickBase* first = GetBrick(x1, y1);
    BrickBase* second = GetBrick(x2, y2);
    auto* exchange = new GfxBricksExchange(
        static_cast<float>(CentreX(x1)), static_cast<float>(CentreY(y1)), BrickImage(second->GetCode()),
        static_cast<float>(CentreX(x2)), static_cast<float>(CentreY(y2)), BrickImage(first->GetCode()),
        new CallCode(
            [this, a = GetSlot(x1, y1).index, b = GetSlot(x2, y2).index] {
                // By the slots' index words, which travel with a turn of the board.
                for (FieldSlot& slot : mSlots)
                    if (slot.index == a || slot.index == b)
                        slot.brick->StopState(9);
            },
            callback));
    first->PlaceAt(x1, y1);
    second->PlaceAt(x2, y2);
    first->SetState(9);
    second->SetState(9);
    AddEffect(exchange);
}

void GamePlayGfx::ShowFlyChain(int x, int y, bool secondChain, float delay, baseCallback* callback)
{
    AddEffect(After(delay, new GfxFlyChain(CentreX(x), CentreY(y), secondChain, callback)));
}

void GamePlayGfx::ShowScore(int value, const char* textId)
{
    AddOverlay(new GfxShowScore(58, 145, value, GetStringById(textId)));
}

void GamePlayGfx::ShowText(const std::string& text, int x, int y)
{
    AddOverlay(new GfxFlyText(text, static_cast<float>(CentreX(x)), static_cast<float>(CentreY(y)),
                              GetFontById("FONT_BOARD")));
}

void GamePlayGfx::ShowNoMoves()
{
    auto* text = new GfxSwirlText(GetFontById("FONT_EFFECTS_BIG"), 400, 300, GetStringById("message_game_no_moves"));
    text->mColor = Kivo::Color(255, 255, 0);
    text->mHoldTime = 150.0f;
    text->mShadow = 1;
    AddOverlay(text);
}

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

void GamePlayGfx::OnBrickDestroyed(int x, int y, int code)
{
    switch (GetGameType()) {
    case 3:
        AddOverlay(new GfxBrickFlyaway(CentreX(x), CentreY(y), code));
        PlaySound("SOUND_EXPLODE_SIMPLE_CHAIN");
        break;
    case 2:
        AddOverlay(new GfxBrickExplode(CentreX(x), CentreY(y), code));
        Emit("brick_explode", CentreX(x), CentreY(y));
        PlaySound("SOUND_EXPLODE_SIMPLE_GROUP");
        break;
    default:
        AddOverlay(new GfxBrickBlowup(CentreX(x), CentreY(y), code));
        Emit("brick_explode", CentreX(x), CentreY(y));
        PlaySound("SOUND_EXPLODE_SIMPLE_SWAP");
        break;
    }
}

void GamePlayGfx::OnEnergizedDestroyed(int x, int y, int code)
{
    if (Kivo::Image* image = BrickImage(code))
        AddOverlay(BrickMesh(image, 10, static_cast<float>(CentreX(x)), static_cast<float>(CentreY(y))));
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

void GamePlayGfx::OnEnergizer(int px, int py, float delay)
{
    Emit("energizer_start", px, py);
    AddOverlay(After(delay, new GfxEnergizerFly(px, py, static_cast<FieldBase*>(this))));
}

void GamePlayGfx::OnRow(int x, int y)
{
    AddEffect(new GfxExplodeRowFly(x, y));
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
    AddOverlay(new GfxDelay(delay, static_cast<gfxBase*>(new GfxPyroSystem("magnet_explode", CentreX(x), CentreY(y)))));
    PlaySoundDelayed("SOUND_BONUS_MAGNET_END", static_cast<int>(delay * 100));
}

void GamePlayGfx::OnMagnetItem(Kivo::Image* image, float px, float py, float delay)
{
    if (image) {
        GfxExplodeBrickMesh* mesh = BrickMesh(image, 5, px, py);
        mesh->mPieceLife = 1.0f;
        mesh->mWait = delay;
        AddOverlay(mesh);
    }
    AddOverlay(new GfxDelay(delay, static_cast<gfxBase*>(new GfxPyroSystem("magnet_item_explode", static_cast<int>(px),
                                                                           static_cast<int>(py)))));
    auto* sample = new GfxPlaySample("SOUND_BONUS_MAGNET_ITEM_EXPLODE", static_cast<int>(delay * 100));
    sample->mPitch = Kivo::RandomInt(-5, 5);
    AddOverlay(sample);
}

void GamePlayGfx::OnMagnetLine(float x1, float y1, float x2, float y2, float delay)
{
    auto* line = new GfxLiveLightningLine(x1, y1, x2, y2);
    line->mGrowthSpeedFactor = 15.0f;
    line->mHoldTime = 0.2f;
    AddEffect(new GfxDelay(delay, static_cast<gfxBase*>(line)));
    auto* sample = new GfxPlaySample("SOUND_BONUS_MAGNET_LINE", static_cast<int>(delay * 100));
    sample->mPitch = Kivo::RandomInt(-5, 5);
    AddOverlay(sample);
}

void GamePlayGfx::OnKeyAppear(int x, int y)
{
    if (Kivo::Image* key = BrickImage(kBrickKey)) {
        auto* expand = new GfxImageExpand(CentreX(x), CentreY(y), key);
        expand->mStartScale = 1.0f;
        expand->mEndScale = 2.0f;
        expand->mSpeed = 1.0f;
        AddEffect(expand);
    }
    Emit("key_appear", CentreX(x), CentreY(y), true);
    PlaySound("SOUND_KEY_APPEAR");
}

void GamePlayGfx::OnHoleAppear(int x, int y)
{
    Emit("hole_appear", CentreX(x), CentreY(y), true);
}

void GamePlayGfx::OnKeyDone(int x, int y)
{
    Kivo::Image* key = BrickImage(kBrickKey);
    if (key)
        AddEffect(new GfxRotateFade(CentreX(x), CentreY(y), key));
    Emit("key_done", CentreX(x), CentreY(y), true);
    if (key) {
        auto* expand = new GfxImageExpand(CentreX(x), CentreY(y), key);
        expand->mStartScale = 1.0f;
        expand->mEndScale = 2.0f;
        expand->mSpeed = 1.0f;
        AddEffect(expand);
    }
    PlaySound("SOUND_KEY_DONE");
}

void GamePlayGfx::ShowLevelEndText(const char* textId)
{
    auto* text = new GfxParticledText(GetFontById("FONT_EFFECTS"), 400, 300, GetStringById(textId));
    text->mHoldTime = 80.0f;
    AddEffect(new GfxDelay(1.2f, static_cast<gfxBase*>(text)));
}

void GamePlayGfx::OnBonusLevelCompleted(const LevelMap& map, int targetX, int targetY, baseCallback* callback)
{
    AddEffect(new GfxBricksDisappear(map, targetX, targetY, callback));
    ShowLevelEndText("game_bonuslevel_completed");
    PlaySoundDelayed("SOUND_LEVEL_COMPLETED_TEXT", 80);
    PlaySoundDelayed("SOUND_BRICKS_FLYOUT2", 160);
}

void GamePlayGfx::OnLevelCompleted(const LevelMap& map, baseCallback* callback)
{
    AddEffect(new GfxBricksFlyaway(map, callback));
    ShowLevelEndText("game_level_completed");
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
