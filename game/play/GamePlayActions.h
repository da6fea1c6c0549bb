#pragma once
// How bricks are destroyed and what the bonuses do. Every removal goes
// through DestroyAt, which also breaks chains, hits breakable cells, queues
// energized bricks for a delayed energy blast and collects the hit cells
// whose neighbouring boxes then break. Bomb, row and magnet are armed with a
// cursor and act on the next click; lightning and the shuffle act at once.
#include "game/match/GamePlayMovement.h"
#include "game/play/GamePlayGfx.h"

#include <utility>
#include <vector>

class GamePlayPanels;

// Destroy kinds.
enum DestroyKind { kDestroyGroup = 0, kDestroyBonus = 1, kDestroyBigMatch = 2, kDestroyEnergy = 3, kDestroyBox = 4 };
// Bonus kinds.
enum BonusKind {
    kBonusMixer = 0,
    kBonusLightning = 1,
    kBonusEnergy = 2,
    kBonusNone = 3,
    kBonusBomb = 4,
    kBonusRow = 5,
    kBonusMagnet = 6,
};

class GamePlayActions : public GamePlayMovement, public GamePlayGfx {
public:
    struct TimedAction {
        int code;
        int countdown;
        int x, y;
    };

    // 0 nothing (outside, empty, moving or the key), 1 a box was hit, 9 a
    // chain level broke, 3 the brick was destroyed, 7 destroyed and its cell
    // hit.
    int DestroyAt(int x, int y, int kind);
    // A negative x or y means no cell (then -x, -y is the screen point the
    // bonus comes from). True when the bonus acted now.
    bool UseBonus(int kind, int x, int y) override;

    // The bonus of the cursor: 0 none, 1 bomb, 2 row, 3 magnet.
    int GetArmedCursor() const { return mCursor; }
    void CancelArmedBonus();
    void BonusPreview(int x, int y, bool on);
    void ApplyArmedBonus(int x, int y);

    void BombBlast(int x, int y);
    void BigMatchBlast(int x, int y);
    void BiggerMatchBlast(int x, int y);
    void EnergyBlast(int x, int y);
    void RowBlast(int x, int y);
    void Lightning(int x, int y);
    void Shuffle(int x, int y);
    // False, changing nothing, on an empty cell, the key or a box.
    bool Magnet(int x, int y);
    // Flies a chain onto a random free brick after `delay` seconds.
    void ChainPenalty(float delay);

    // Once per tick: boxes beside the hit cells break, then the timed
    // actions count down and the due energy blasts go off.
    void ProcessHitCells();
    void ProcessTimedActions();

    std::vector<std::pair<int, int>> mHitCells;
    std::vector<TimedAction> mTimedActions;

protected:
    // What the rules above need of the object as a whole.
    virtual void BricksMatched(int x, int y, int code, int chainLevel, bool box, int cellHits, int kind) = 0;
    virtual void ComboHit(int id, int x, int y) = 0;
    virtual void Shake(float amount) = 0;
    virtual GamePlayPanels& Panels() = 0;

    void SetCursor(int kind);
    void LightningStrikeArrived(int x, int y);
    void ChainLanded(int x, int y);
    // A brick lightning may strike: a cell with a colour or joker that is not
    // busy, held or boxed.
    bool IsPlainBrick(int x, int y) const;
    // Up to `draws` random cells of up to half the board's cells in tries
    // each; the first that passes the test and is not excluded.
    template <class Test>
    bool DrawCell(int draws, Test test, int& outX, int& outY);

    int mCursor = 0;
    // Set when a box broke: the moves are counted again.
    bool mFieldChanged = false;
};
