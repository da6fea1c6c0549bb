#include "game/play/GamePlayBase.h"

#include "framework/app/DebugOutput.h"
#include "framework/app/KivoAppBase.h"
#include "framework/core/Random.h"
#include "framework/core/Strings.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/sound/VoiceHelper.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"
#include "game/match/BrickBase.h"
#include "game/match/BrickFactory.h"
#include "game/match/BrickHelper.h"
#include "game/match/CellBase.h"
#include "game/match/Grid.h"
#include "game/match/ISolver.h"
#include "game/match/LevelMap.h"
#include "game/meta/HintsHelper.h"
#include "game/play/BonusPanel.h"
#include "game/play/ExtraPanel.h"
#include "game/play/GamePanelsPtr.h"
#include "game/play/GamePlayChain.h"
#include "game/play/GamePlayGroup.h"
#include "game/play/GamePlaySwap.h"
#include "game/play/GamePlayTips.h"
#include "game/play/TimerPanel.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/Callback.h"

#include <algorithm>

namespace {

// Shared by every game-play object, as the colour memory must outlive one
// level: the last colour index drawn and the game type it was drawn for,
// and the tick the landing sound last played.
struct SharedState {
    int colourIndex = 0;
    int colourType = 0;
    int lastLanding = -1000;
    // Landings are reported from the per-frame update: their pitch comes
    // from a generator of its own, so that frame pacing never moves the
    // game's random sequence.
    Kivo::MTRand landingPitch { 3 };
};
SharedState gShared;

// The game screen's panels; every panel may be missing.
class ScreenPanels : public GamePlayPanels {
public:
    float GetSlotProgress(int slot) override { return Bonus() ? Bonus()->GetSlotProgress(slot) : 0.0f; }
    void SetSlotProgress(int slot, float progress, bool animate) override
    {
        if (Bonus())
            Bonus()->SetSlotProgress(slot, progress, animate);
    }
    void AddSlotProgress(int slot, float delta) override
    {
        if (Bonus())
            Bonus()->AddSlotProgress(slot, delta);
    }
    bool GetSlotCentre(int slot, int& x, int& y) override { return Bonus() && Bonus()->GetSlotCentre(slot, &x, &y); }
    void OnMatch(int colour) override
    {
        if (GamePanelsPtr* panels = GamePanelsPtr::Existing(); panels && panels->mExtraPanel)
            panels->mExtraPanel->OnMatch(colour);
    }
    bool HasTimeLeft() override
    {
        GamePanelsPtr* panels = GamePanelsPtr::Existing();
        return !panels || !panels->mTimerPanel || panels->mTimerPanel->HasTimeLeft();
    }

private:
    static BonusPanel* Bonus()
    {
        GamePanelsPtr* panels = GamePanelsPtr::Existing();
        return panels ? panels->mBonusPanel : nullptr;
    }
};
ScreenPanels gScreenPanels;

// The tips of the hints helper, while it exists.
class HelperTips : public GamePlayTips {
public:
    bool HasUnshownHints() override { return HintsHelper::Instance()->HasUnshownHints(); }
    bool CanShowHint() override { return HintsHelper::Instance()->CanShowHint(); }
    bool IsHintShown(const std::string& id) override { return HintsHelper::Instance()->IsHintShown(id); }
    void SetHintShown(const std::string& id) override { HintsHelper::Instance()->SetHintShown(id); }
    void ShowHint(const std::string& id, int x, int y, int flags) override
    {
        HintsHelper::Instance()->ShowHint(id, x, y, flags);
    }
};
HelperTips gHelperTips;

void PlayVoice(const char* name, int minimum, int maximum, float chance)
{
    VoiceHelper::Instance()->PlayRandomVoice(name, minimum, maximum, chance);
}

bool VoicePlaying()
{
    return VoiceHelper::Instance()->IsVoicePlaying();
}

} // namespace

GamePlayBase* CreateGamePlay(int gameType)
{
    switch (gameType) {
    case 2: return new GamePlayGroup();
    case 3: return new GamePlayChain();
    default: return new GamePlaySwap();
    }
}

void GamePlayBase::ResetSharedState()
{
    gShared = SharedState();
}

GamePlayBase::GamePlayBase()
{
    mCombos.AddType(3, 1.0f, 12);
    mCombos.AddType(4, 1.4f, 3);
    mCombos.AddType(1, 3.0f, 2);
    mCombos.AddType(2, 3.0f, 2);
}

GamePlayBase::~GamePlayBase()
{
    CancelArmedBonus();
    delete mLevelDone;
    // Effects may hold stored calls into the object: they go first.
    mOverlayEffects.clearEffects();
    mBoardEffects.clearEffects();
}

bool GamePlayBase::IsLeftButtonHeld()
{
    Kivo::WidgetHost* host = Kivo::GetWidgetHost();
    Kivo::WidgetManager* manager = host ? host->GetWidgetManager() : nullptr;
    return manager && manager->IsLeftButtonDown();
}

void GamePlayBase::SetColors(const std::vector<int>& colors)
{
    mColors = colors;
}

void GamePlayBase::GetColors(std::vector<int>& colors) const
{
    colors = mColors;
}

void GamePlayBase::PrepareLevelMap(LevelMap& map)
{
    for (int y = 0; y < map.GetHeight(); ++y)
        for (int x = 0; x < map.GetWidth(); ++x) {
            uint8_t code = 0, kind = 0;
            uint32_t brickFlags = 0, cellFlags = 0;
            map.GetCell(x, y, &code, &kind, &brickFlags, &cellFlags);
            if (code < 128 || code == 255)
                continue;
            size_t index = static_cast<size_t>(254 - code);
            uint8_t resolved = index < mColors.size() ? static_cast<uint8_t>(mColors[index]) : 0;
            map.SetCell(x, y, resolved, kind, brickFlags, cellFlags);
        }
}

void GamePlayBase::LoadLevelMap(const LevelMap& map)
{
    mTick = 0;
    mHitsLeft = 0;
    mBoxes = GetProfileInt("game_current_level") > 8;
    bool keyNoted = false;
    int startX = -1, startY = -1;
    // The field's own cells are walked: a map larger than the board is
    // clipped, a smaller one padded with gaps.
    for (int y = 0; y < mWidth; ++y)
        for (int x = 0; x < mWidth; ++x) {
            uint8_t code = 0, kind = 0;
            uint32_t brickFlags = 0, cellFlags = 0;
            if (!map.GetCell(x, y, &code, &kind, &brickFlags, &cellFlags))
                kind = 0;
            SetCell(x, y, kind);
            if (GetCell(x, y)->GetKind() == 0) {
                PutBrick(kBrickEmpty, x, y);
                continue;
            }
            GetCell(x, y)->mFlags = cellFlags;
            BrickBase* brick;
            if (code == 0 || code == 255) {
                int n = static_cast<int>(mColors.size());
                brick = PutBrick(n > 0 ? mColors[static_cast<size_t>(Kivo::RandomIndex(n))] : 0, x, y);
            } else {
                brick = PutBrick(code, x, y);
            }
            brick->SetFlag(brickFlags);
            // A second hit counts only on a breakable cell, the only kind a
            // hit ever reaches.
            if (cellFlags & kCellBreakable)
                mHitsLeft += (cellFlags & kCellSecondHit) ? 2 : 1;
            if (code == kBrickKey)
                keyNoted = true;
            if (cellFlags & kCellKeyStart) {
                startX = x;
                startY = y;
            }
        }
    if (mHitsLeft == 0 && keyNoted)
        mHitsLeft = kKeyInPlay;
    mWay.Build(*this, keyNoted);
    mWaySteps.clear();
    if (startX >= 0) {
        bool reached = false;
        std::vector<int> steps(static_cast<size_t>(mSlotCount), -1);
        std::vector<std::pair<int, int>> stack { { Index(startX, startY), 0 } };
        while (!stack.empty()) {
            auto [cell, count] = stack.back();
            stack.pop_back();
            int& known = steps[static_cast<size_t>(cell)];
            if (known >= 0 && known <= count)
                continue;
            known = count;
            int x = cell % mWidth, y = cell / mWidth;
            if (GetCellFlags(x, y) & kCellHole)
                reached = true;
            static const int kNeighbours[4][2] = { { 0, -1 }, { 1, 0 }, { 0, 1 }, { -1, 0 } };
            for (const auto& d : kNeighbours) {
                int nx = x + d[0], ny = y + d[1];
                if (IsCell(nx, ny) && (GetCellFlags(nx, ny) & kCellKeyPath))
                    stack.push_back({ static_cast<int>(Index(nx, ny)), count + 1 });
            }
        }
        for (int n = 0; n < mSlotCount; ++n)
            if (steps[static_cast<size_t>(n)] >= 0)
                mWaySteps[static_cast<int>(mSlots[static_cast<size_t>(n)].index)] = steps[static_cast<size_t>(n)];
        if (!reached) {
            if (mHitsLeft > 0)
                Kivo::OutputDebug("level: the key's start has no way to a hole; the level ends at once\n");
            mHitsLeft = kNoKey;
        }
    }
    if (mHitsLeft == kKeyInPlay)
        ShowWay(true);
    mFieldChanged = true;
}

void GamePlayBase::StoreLevelMap(LevelMap& map)
{
    map = LevelMap(mWidth, mWidth);
    for (int y = 0; y < mWidth; ++y)
        for (int x = 0; x < mWidth; ++x)
            map.SetCell(x, y, static_cast<uint8_t>(GetBrickCode(x, y)), static_cast<uint8_t>(GetCellKind(x, y)),
                        GetBrickFlags(x, y), GetCellFlags(x, y));
}

void GamePlayBase::ResetInput(int, int, int flag)
{
    ClearSelection();
    if (flag == 1)
        CancelArmedBonus();
}

void GamePlayBase::ClearSelection()
{
    mSelX = -1;
    mSelY = -1;
}

void GamePlayBase::SetLocked(bool locked)
{
    if (locked)
        CancelArmedBonus();
    mLocked = locked;
}

void GamePlayBase::SetActive(bool active)
{
    if (!active)
        CancelArmedBonus();
    mActive = active;
}

int GamePlayBase::GetMoveCount() const
{
    return mSolver ? mSolver->GetMoveCount() : 0;
}

void GamePlayBase::DoEvent(int kind, float value)
{
    GamePlayGfx::DoEvent(kind, value);
    GamePlayDraw::DoEvent(kind, value);
    if (kind != 11 && kind != 12)
        return;
    LevelMap map(0, 0);
    DoEvent(0, 0.0f);
    StoreLevelMap(map);
    if (kind == 11) {
        OnLevelCompleted(map, nullptr);
        return;
    }
    int tx = 0, ty = 0;
    if (mWay.GetTargetCell(tx, ty) && IsInside(tx, ty) && GetBrickCode(tx, ty) == kBrickKey) {
        OnBonusLevelCompleted(map, tx, ty, nullptr);
        OnKeyDone(tx, ty);
        mWay.StartFade(1.8f);
    } else {
        OnBonusLevelCompleted(map, 4, 4, nullptr);
    }
}

void GamePlayBase::SetLevelDoneCallback(baseCallback* callback)
{
    delete mLevelDone;
    mLevelDone = callback;
}

void GamePlayBase::NotifyLevelDone()
{
    baseCallback* callback = mLevelDone;
    if (!callback)
        return;
    ShowWay(false);
    mLevelDone = nullptr;
    callback->Invoke();
    delete callback;
}

void GamePlayBase::KeyDown(int key)
{
    if (!Kivo::gKivoApp || !Kivo::gKivoApp->GetBoolean("cheat_keys", false))
        return;
    if (key == 13) {
        if (mTick > 300)
            NotifyLevelDone();
        return;
    }
    if (key == 'W') {
        HighlightWay();
        return;
    }
    if (IsInside(mHoverX, mHoverY)) {
        BrickBase* brick = GetBrick(mHoverX, mHoverY);
        switch (key) {
        case 'C': brick->SetFlag(brick->HasFlag(kBrickChain) ? kBrickChain | kBrickChain2 : kBrickChain); break;
        case 'B': brick->SetFlag(kBrickBox); break;
        case 'E': brick->SetFlag(kBrickEnergized); break;
        case 'S': HighlightBrick(mHoverX, mHoverY); break;
        default: break;
        }
        if (mSolver)
            mSolver->Solve();
    } else if (key == 'C') {
        ChainPenalty(0.0f);
    } else if (key == 'S') {
        StartWave(-1);
    }
}

bool GamePlayBase::IsFieldFull() const
{
    for (int y = 0; y < mWidth; ++y)
        for (int x = 0; x < mWidth; ++x)
            if (IsEmptyCell(x, y))
                return false;
    return true;
}

void GamePlayBase::PlaceKey()
{
    mHitsLeft = kKeyInPlay;
    int startX = -1, startY = -1, holeX = -1, holeY = -1;
    for (int n = 0; n < mSlotCount && (startX < 0 || holeX < 0); ++n) {
        int x = n % mWidth, y = n / mWidth;
        uint32_t flags = GetCellFlags(x, y);
        if (flags & kCellKeyStart) {
            startX = x;
            startY = y;
        }
        if (flags & kCellHole) {
            holeX = x;
            holeY = y;
        }
    }
    if (startX < 0 || holeX < 0) {
        mHitsLeft = kNoKey;
        return;
    }
    PutBrick(kBrickKey, startX, startY)->SetState(6);
    AddHold(startX, startY, 0.5f);
    mWay.ShowTarget(true);
    OnKeyAppear(startX, startY);
    OnHoleAppear(holeX, holeY);
}

void GamePlayBase::Update()
{
    ++mTick;
    Settle();
    UpdateShake();
    bool busy = IsBusy() || IsRotating();
    if (mSolver) {
        if (IsLeftButtonHeld() || busy) {
            mSolver->ResetIdle();
            if (busy)
                mFieldChanged = true;
        } else if (!mLocked) {
            mSolver->Tick();
        }
        if (mFieldChanged && !busy && !mLocked) {
            mSolver->Solve();
            mFieldChanged = false;
        }
    }
    bool quiet = !busy && !mLocked;
    bool keyOnHole = false, timeUp = false;
    if (mHitsLeft == 0 && quiet && mActive) {
        if (!mWaySteps.empty() && GetProfileInt("score_level_bonusgame") == 0) {
            ClearSelection();
            NotifyLevelDone();
        }
        if (mHitsLeft == 0 && !mLocked && mActive) {
            PlaceKey();
            if (mHitsLeft == kKeyInPlay)
                ShowWay(true);
        }
    }
    if (mHitsLeft == kKeyInPlay && quiet && mActive) {
        int tx = 0, ty = 0;
        if (mWay.GetTargetCell(tx, ty) && IsInside(tx, ty) && GetBrickCode(tx, ty) == kBrickKey &&
            (GetCellFlags(tx, ty) & kCellHole)) {
            ClearSelection();
            keyOnHole = true;
            if (IsFieldFull())
                NotifyLevelDone();
        }
    } else if (mHitsLeft == kNoKey && quiet) {
        ClearSelection();
        NotifyLevelDone();
    }
    if (!Panels().HasTimeLeft()) {
        ClearSelection();
        timeUp = true;
    }
    if (quiet && GetMoveCount() == 0 && !HasBoardEffects())
        NoMoves();
    if (!mLocked && mActive && mHitsLeft < 0 && !keyOnHole && !timeUp) {
        int period = (static_cast<int>(mWaySteps.size()) + 30) * 10;
        if (mTick % period == 0)
            HighlightWay();
    }
    mCombos.Update();
    ShowTips(busy);
    mWay.Tick();
}

GamePlayPanels& GamePlayBase::Panels()
{
    if (mPanels)
        return *mPanels;
    GamePanelsPtr* panels = GamePanelsPtr::Existing();
    return panels && panels->mBonusPanel ? static_cast<GamePlayPanels&>(gScreenPanels) : mLocalPanels;
}

void GamePlayBase::ShowTips(bool busy)
{
    GamePlayTips* tips = mTips ? mTips : HintsHelper::Existing() ? &gHelperTips : nullptr;
    if (!tips || mLocked || !mActive || HasSelection() || IsRotating() || mTick < 1000 || mTick % 10 != 0)
        return;
    if (!tips->HasUnshownHints() || !tips->CanShowHint())
        return;
    int level = GetProfileInt("game_current_level");
    if (level >= 1 && mTick > 2000)
        tips->ShowHint("gamemodes", 398, 492, 0);
    if (level == 0) {
        if (!tips->IsHintShown("break_cells")) {
            for (int tries = 0; tries < 100; ++tries) {
                int x = Kivo::RandomInt(0, mWidth - 1), y = Kivo::RandomInt(0, mWidth - 1);
                if (IsCell(x, y) && (GetCellFlags(x, y) & kCellBreakable)) {
                    tips->ShowHint("break_cells", CentreX(x), CentreY(y), 0);
                    break;
                }
            }
        }
    } else {
        tips->SetHintShown("break_cells");
    }
    if (mHitsLeft != kKeyInPlay || GetProfileInt("score_level_bonusgame") == 0)
        return;
    int keyX = -1, keyY = -1;
    for (int n = 0; n < mSlotCount && keyX < 0; ++n)
        if (GetBrickCode(n % mWidth, n / mWidth) == kBrickKey) {
            keyX = n % mWidth;
            keyY = n / mWidth;
        }
    if (!busy && keyX >= 0)
        tips->ShowHint("key_appear", CentreX(keyX), CentreY(keyY), 15);
    int tx = 0, ty = 0;
    if (tips->IsHintShown("key_appear") && mWay.GetTargetCell(tx, ty))
        tips->ShowHint("hole_appear", CentreX(tx), CentreY(ty), 15);
    bool rotateTipsLeft = !tips->IsHintShown("board_rotate") || !tips->IsHintShown("board_rotate2");
    if (!rotateTipsLeft || busy || !tips->IsHintShown("hole_appear") || keyX < 0)
        return;
    auto onWay = [this](int x, int y) { return IsCell(x, y) && (GetCellFlags(x, y) & kCellKeyPath); };
    if (onWay(keyX, keyY + 1))
        return;
    int px = onWay(keyX + 1, keyY) ? 625 : 173;
    tips->ShowHint("board_rotate", px, 22, 0);
    tips->ShowHint("board_rotate2", px, 22, 0);
}

void GamePlayBase::UpdateF(float dt)
{
    FieldBase::Update(dt);
    mWay.Update(dt);
}

BrickBase* GamePlayBase::CreateBrick(int code)
{
    BrickBase* brick = ::CreateBrick(code);
    brick->mListener = this;
    return brick;
}

BrickBase* GamePlayBase::CreateRandomBrick()
{
    int n = static_cast<int>(mColors.size());
    if (n == 0) {
        Kivo::OutputDebug("game play: a random brick without level colours\n");
        return CreateBrick(kBrickEmpty);
    }
    int type = GetGameType();
    if (type != gShared.colourType) {
        gShared.colourIndex = 0;
        gShared.colourType = type;
    }
    int index;
    if (n == 1) {
        index = 0;
    } else if (type == 1) {
        do
            index = Kivo::RandomIndex(n);
        while (index == gShared.colourIndex);
    } else {
        index = Kivo::RandomIndex(3) < 2 ? Kivo::RandomIndex(n) : gShared.colourIndex;
        // The memory may come from a level with more colours.
        while (index >= n)
            index = Kivo::RandomIndex(n);
    }
    gShared.colourIndex = index;
    BrickBase* brick = CreateBrick(mColors[static_cast<size_t>(index)]);
    if (mBoxes && Kivo::RandomInt(0, 99) < 3 && GetMoveCount() >= 3)
        brick->SetFlag(kBrickBox);
    return brick;
}

void GamePlayBase::AddProfileInt(const char* key, int amount)
{
    SetProfileInt(key, GetProfileInt(key) + amount);
}

void GamePlayBase::AddScore(int category, int amount)
{
    switch (category) {
    case 1: AddProfileInt("score_level_bricks", amount); break;
    case 2:
        AddProfileInt("score_level_bonus", amount);
        ShowScore(amount, "info_panel_score_bonus");
        break;
    case 3:
        AddProfileInt("score_level_combo", amount);
        ShowScore(amount, "info_panel_score_combo");
        break;
    default: break;
    }
}

void GamePlayBase::BricksMatched(int x, int y, int code, int chainLevel, bool box, int cellHits, int kind)
{
    if (code > 0) {
        if (kind == kDestroyEnergy) {
            mCombos.Hit(3, x, y);
            OnEnergizedDestroyed(x, y, code);
        } else {
            OnBrickDestroyed(x, y, code);
        }
        AddProfileInt("score_level_bricks", 1);
    }
    if (cellHits > 0) {
        if (IsInside(x, y) && !(GetCellFlags(x, y) & kCellBreakable))
            mWay.SetBorderShown(static_cast<int>(GetSlot(x, y).index), false);
        OnCellBroken(x, y, cellHits);
        // The count never runs into the key's states.
        if (mHitsLeft > 0)
            --mHitsLeft;
    }
    if (chainLevel == 1 || chainLevel == 2)
        OnChainBroken(x, y, chainLevel);
    if (box)
        OnBoxBroken(x, y);
}

void GamePlayBase::BricksRemoved(int x, int y, int colour, int count)
{
    int slot = ColourToBonusSlot(colour);
    BonusSlotProgress(slot, x, y);
    int type = GetGameType();
    bool big = type == 2 ? count >= 7 : type == 3 ? count >= 6 : count >= 5;
    if (big) {
        ShakeField(1.0f);
        bool bigger = (type == 2 && count >= 9) || (type == 3 && count >= 8);
        if (bigger) {
            mCombos.Hit(2, x, y);
            BiggerMatchBlast(x, y);
            for (int s = 0; s < 5; ++s)
                if (s != slot)
                    BonusSlotProgress(s, x, y);
            AddProfileInt("score_level_bonus", 20);
            ShowScore(20, "info_panel_score_bonus");
            float chance = count >= 10 ? 0.7f : 0.4f;
            if (Kivo::RandomInt(0, 3) == 0)
                PlayVoice("VOICE_YEAH", 2, 4, chance);
            else
                PlayVoice("VOICE_BIG_MATCH", 1, 3, chance);
        } else {
            mCombos.Hit(1, x, y);
            BigMatchBlast(x, y);
            if (mHitsLeft != 0)
                OnEnergizer(CentreX(x), CentreY(y), 0.5f);
            AddProfileInt("score_level_bonus", 10);
            ShowScore(10, "info_panel_score_bonus");
            PlayVoice("VOICE_GREAT", 1, 2, 0.2f);
        }
    }
    mCombos.Hit(0, x, y);
    Panels().OnMatch(colour);
}

void GamePlayBase::BonusSlotProgress(int slot, int x, int y)
{
    int tx = 0, ty = 0;
    if (mHitsLeft == 0 || slot < 0 || slot > 4 || !Panels().GetSlotCentre(slot, tx, ty))
        return;
    ShowFlare(x, y, tx, ty, new CB_Callback_P1<GamePlayBase, int, void>(this, slot, &GamePlayBase::FlareArrived));
}

void GamePlayBase::FlareArrived(int slot)
{
    GamePlayPanels& panels = Panels();
    int tx = 0, ty = 0;
    panels.GetSlotCentre(slot, tx, ty);
    float p0 = panels.GetSlotProgress(slot);
    panels.AddSlotProgress(slot, 0.1f);
    float p1 = panels.GetSlotProgress(slot);
    if (p0 < 1.0f && p1 >= 1.0f)
        OnBonusActivated(tx, ty);
    OnFlyDone(tx, ty);
    if (p1 >= 1.5f) {
        panels.SetSlotProgress(slot, 1.0f, false);
        OnEnergizer(tx, ty, 0.5f);
    }
}

void GamePlayBase::ComboReached(int id, int count, int x, int y)
{
    switch (id) {
    case 1:
    case 2: {
        ShowText(Kivo::StrFormat("%s %d", GetStringById(id == 1 ? "game_big_combo" : "game_super_big_combo").c_str(),
                                 count),
                 x, y);
        AddScore(3, 5 * count);
        if (id == 1 && count < 3)
            PlayVoice("VOICE_AMAZING", 1, 2, 0.3f);
        else
            PlayVoice("VOICE_INCREDIBLE", 1, 2, 0.4f);
        break;
    }
    case 6:
        if (GetMoveCount() > 1)
            ChainPenalty(0.0f);
        break;
    case 3:
    case 4:
        if (count == (id == 3 ? 18 : 6)) {
            ShakeField(1.0f);
            PlaySound("SOUND_FIELD_SHAKE");
        }
        break;
    case 0: PlaySoundPitched("SOUND_COMBO", count - 3, 0); break;
    default: break;
    }
}

void GamePlayBase::ComboEnded(int id, int count, int x, int y)
{
    auto master = [&](const char* text, const char* voice, int maxVoice, float chance, bool unlessPlaying) {
        AddScore(2, 4 * count);
        ShowText(Kivo::StrFormat("%s %d", GetStringById(text).c_str(), count), x, y);
        PlaySoundPitched("SOUND_COMBO_FINAL", 0, 0);
        if (!unlessPlaying || !VoicePlaying())
            PlayVoice(voice, 1, maxVoice, chance);
    };
    switch (id) {
    case 0: {
        AddScore(3, 4 * count);
        ShowText(Kivo::StrFormat("%s %d", GetStringById("game_combo").c_str(), count), x, y);
        PlaySoundPitched("SOUND_COMBO_FINAL", 0, 0);
        if (!VoicePlaying()) {
            float chance = count >= 10 ? 0.3f : 0.4f;
            if (Kivo::RandomInt(0, 1) == 0)
                PlayVoice("VOICE_YEAH", 1, 5, chance);
            else
                PlayVoice("VOICE_COMBO", 1, 3, chance);
        }
        break;
    }
    case 3: master("game_explode_master", "VOICE_EXPLODE_MASTER", 2, 0.3f, true); break;
    case 4: master("game_energy_master", "VOICE_ENERGY_MASTER", 3, 0.2f, true); break;
    case 5: master("game_swap_master", "VOICE_SWAP_MASTER", 3, 0.08f, false); break;
    default: break;
    }
}

void GamePlayBase::ShowHint(int count, const int* cells)
{
    for (int i = 0; i < count; ++i) {
        int n = cells[i];
        if (n < 0 || n >= mSlotCount)
            continue;
        int x = n % mWidth, y = n / mWidth;
        GetBrick(x, y)->SetState(4);
        OnHint(x, y);
    }
}

void GamePlayBase::BrickLanded(int, int)
{
    if (gShared.lastLanding > mTick)
        gShared.lastLanding = mTick - 5;
    if (mTick - gShared.lastLanding < 5)
        return;
    gShared.lastLanding = mTick;
    PlaySoundPitched("SOUND_BRICK_LANDED", 3 * static_cast<int>(gShared.landingPitch.Next() % 4), 0);
}

void GamePlayBase::NoMoves()
{
    bool full = true, anyPlain = false;
    int freeCount = 0;
    for (int x = 0; x < mWidth; ++x)
        for (int y = 0; y < mWidth; ++y) {
            if (!IsCell(x, y))
                continue;
            if (GetBrickCode(x, y) == kBrickEmpty) {
                full = false;
                continue;
            }
            if (!IsBoxed(x, y)) {
                anyPlain = true;
                if (!IsChained(x, y))
                    ++freeCount;
            }
        }
    if (!full)
        return;
    auto shuffle = [this] {
        UseBonus(kBonusMixer, -400, -265);
        PlaySound("SOUND_NO_MOVES");
        PlayVoice("VOICE_NO_MOVES", 1, 3, 1.0f);
        ShowNoMoves();
    };
    if (anyPlain && freeCount > 7) {
        shuffle();
        return;
    }
    // Up to five random boxes, or else chains, are broken so that the board
    // moves again; a board with neither is shuffled anyway.
    auto pick = [this](auto test, auto act) {
        int found = 0;
        for (int k = 0; k < 5; ++k)
            for (int tries = 0; tries < 21; ++tries) {
                int x = Kivo::RandomInt(0, mWidth - 1), y = Kivo::RandomInt(0, mWidth - 1);
                if (test(x, y)) {
                    act(x, y);
                    ++found;
                    break;
                }
            }
        return found;
    };
    std::vector<char> queued(static_cast<size_t>(mSlotCount), 0);
    int boxes = pick([&](int x, int y) { return IsBoxed(x, y) && !queued[Index(x, y)]; },
                     [&](int x, int y) {
                         queued[Index(x, y)] = 1;
                         mHitCells.emplace_back(x, y);
                     });
    if (boxes > 0)
        return;
    int chains = pick([&](int x, int y) { return IsChained(x, y) && !IsBoxed(x, y); },
                      [&](int x, int y) {
                          GetBrick(x, y)->ClearFlag(kBrickChain | kBrickChain2);
                          OnChainBroken(x, y, 1);
                      });
    if (chains > 0)
        mFieldChanged = true;
    else if (anyPlain)
        shuffle();
}
