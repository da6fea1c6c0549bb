#pragma once
// Everything the three modes share: selection, locking, activity, the
// level's goal and the key, the tick of play, no-moves handling, scoring,
// combos, bonus-slot progress and level set-up. The modes add their input
// rules, their solver and their combo types.
#include "game/match/BrickListener.h"
#include "game/match/FieldListener.h"
#include "game/match/SolverListener.h"
#include "game/play/ComboManager.h"
#include "game/play/ComboManagerListener.h"
#include "game/play/GamePlayActions.h"
#include "game/play/GamePlayDraw.h"
#include "game/play/GamePlayPanels.h"

#include <memory>
#include <vector>

class baseCallback;
class GamePlayTips;
class ISolver;

// The cell hits left and the key's state share one number: above 0 the hits
// the breakable cells still need; 0 all broken, the key not yet placed;
// these below.
constexpr int kKeyInPlay = -1;
constexpr int kNoKey = -2;

class GamePlayBase : public GamePlayActions,
                     public GamePlayDraw,
                     public FieldListener,
                     public SolverListener,
                     public BrickListener,
                     public ComboManagerListener {
public:
    GamePlayBase();
    ~GamePlayBase() override;

    void SetColors(const std::vector<int>& colors) override;
    void GetColors(std::vector<int>& colors) const override;
    void PrepareLevelMap(LevelMap& map) override;
    void LoadLevelMap(const LevelMap& map) override;
    void StoreLevelMap(LevelMap& map) override;
    void ResetInput(int x, int y, int flag) override;
    void ClearSelection() override;
    void SetLocked(bool locked) override;
    bool IsLocked() const override { return mLocked; }
    void SetActive(bool active) override;
    bool IsActive() const override { return mActive; }
    int GetMoveCount() const override;
    void DoEvent(int kind, float value) override;
    void KeyDown(int key) override;
    void Update() override;
    void UpdateF(float dt) override;

    BrickBase* CreateBrick(int code) override;
    BrickBase* CreateRandomBrick() override;

    void BricksMatched(int x, int y, int code, int chainLevel, bool box, int cellHits, int kind) override;
    void BricksRemoved(int x, int y, int colour, int count) override;
    void ShowHint(int count, const int* cells) override;
    void BrickLanded(int x, int y) override;
    void ComboReached(int id, int count, int x, int y) override;
    void ComboEnded(int id, int count, int x, int y) override;

    // Owned; invoked once when the level ends, then dropped.
    void SetLevelDoneCallback(baseCallback* callback);
    void NotifyLevelDone();
    // 1 bricks, 2 bonus, 3 combo.
    void AddScore(int category, int amount);
    // A flare from the cell to the slot adds progress when it arrives.
    void BonusSlotProgress(int slot, int x, int y);
    void FlareArrived(int slot);
    void NoMoves();

    // Not owned; null gives the game screen's panels while they exist, else
    // the object's own slots, and the hints helper's tips while it exists.
    void SetPanels(GamePlayPanels* panels) { mPanels = panels; }
    void SetTips(GamePlayTips* tips) { mTips = tips; }
    int GetKeyState() const { return mHitsLeft; }
    // Nothing moves or waits and the moves have been counted.
    bool IsSettled() const { return !IsBusy() && !IsRotating() && !mFieldChanged; }
    int GetTick() const { return mTick; }
    ISolver* GetSolver() const { return mSolver.get(); }
    ComboManager& GetCombos() { return mCombos; }
    bool HasLevelDoneCallback() const { return mLevelDone != nullptr; }
    // The random-colour memory and the landing sound's last tick are shared
    // by every object; a fresh run starts them again.
    static void ResetSharedState();

protected:
    void ComboHit(int id, int x, int y) override { mCombos.Hit(id, x, y); }
    void Shake(float amount) override { ShakeField(amount); }
    GamePlayPanels& Panels() override;
    void NoteHover(int x, int y)
    {
        mHoverX = x;
        mHoverY = y;
    }
    // The physical left button, whoever has the mouse.
    static bool IsLeftButtonHeld();
    // The place of the key: its start gets the key brick, the way lights up.
    void PlaceKey();
    void ShowTips(bool busy);
    bool IsFieldFull() const;
    void AddProfileInt(const char* key, int amount);

    int mTick = 0;
    bool mLocked = false;
    bool mActive = true;
    int mHitsLeft = 0;
    int mSelX = -1;
    int mSelY = -1;
    int mHoverX = -1;
    int mHoverY = -1;
    bool mBoxes = false;
    std::unique_ptr<ISolver> mSolver;
    baseCallback* mLevelDone = nullptr;
    ComboManager mCombos { this };
    std::vector<int> mColors;
    LocalPlayPanels mLocalPanels;
    GamePlayPanels* mPanels = nullptr;
    GamePlayTips* mTips = nullptr;
};

// The object for a game type: 2 group, 3 chain, anything else swap.
GamePlayBase* CreateGamePlay(int gameType);
