#pragma once
// A game-play object with only its movement part: the rest of the game-play
// interface does nothing. Tests and benchmarks of falling, refill and the
// solvers derive from it.
#include "game/match/BrickFactory.h"
#include "game/match/GamePlayMovement.h"

#include <functional>

class MovementPlay : public GamePlayMovement {
public:
    using FieldBase::Update;

    void SetColors(const std::vector<int>&) override {}
    void GetColors(std::vector<int>&) const override {}
    void PrepareLevelMap(LevelMap&) override {}
    void LoadLevelMap(const LevelMap&) override {}
    void StoreLevelMap(LevelMap&) override {}
    bool HasSelection() const override { return false; }
    void SetLocked(bool) override {}
    bool IsLocked() const override { return false; }
    void SetActive(bool) override {}
    bool IsActive() const override { return true; }
    int GetMoveCount() const override { return 0; }
    int GetEffectCount() const override { return 0; }
    bool HasBoardEffects() const override { return false; }
    bool UseBonus(int, int, int) override { return false; }
    void DoEvent(int, float) override {}
    void KeyDown(int) override {}
    void Update() override {}
    void UpdateF(float) override {}
    void SetFieldAlpha(float) override {}
    void SetFieldOffset(float, float) override {}
    void DrawOverlay(Kivo::Graphics*) override {}
    void DrawField(Kivo::Graphics*) override {}
    void DrawEffects(Kivo::Graphics*) override {}
    int GetGameType() const override { return 1; }
};

// Every cell playable and holding the colour of its place (0: no brick),
// bricks made by the factory and refills of colour `refill`.
class PatternPlay : public MovementPlay {
public:
    PatternPlay(int refill, const std::function<int(int x, int y)>& colour) : mRefill(refill)
    {
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                SetCell(x, y, 1);
                PutBrick(colour(x, y), x, y);
            }
    }
    BrickBase* CreateBrick(int code) override { return ::CreateBrick(code); }
    BrickBase* CreateRandomBrick() override { return ::CreateBrick(mRefill); }

private:
    int mRefill;
};
