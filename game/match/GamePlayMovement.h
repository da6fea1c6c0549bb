#pragma once
// The part of a game-play object that lets bricks fall into emptied cells,
// refills the board from the top and turns the board by quarter turns, with
// the cell and brick predicates the rules ask before they act. Predicates
// are false for cells outside the board.
#include "game/match/FieldBase.h"
#include "game/match/IGamePlay.h"

class GamePlayMovement : public virtual IGamePlay, public virtual FieldBase {
public:
    bool IsInside(int x, int y) const { return x >= 0 && y >= 0 && x < mWidth && y < mWidth; }
    bool IsCell(int x, int y) const;
    bool IsBreakableCell(int x, int y) const;
    bool IsBoxed(int x, int y) const;
    bool IsChained(int x, int y) const;
    // A brick that may fall.
    bool IsFreeBrick(int x, int y) const;
    // The brick moves or animates, or the place holds back.
    bool IsBrickBusyAt(int x, int y) const;
    bool IsSelectableBrick(int x, int y) const;
    bool IsEmptyCell(int x, int y) const;

    void BeginRotate(int quarters) override;
    void Rotate(int quarters) override;
    bool IsRotating() const override { return mRotating; }
    int GetRotation() const override;
    float GetRotationAngle() const { return mAngle; }

    // Moves the brick at `from` to `to`; true when it moved.
    bool TryFall(int toX, int toY, int fromX, int fromY);
    // Fills the empty cell (x, y) from above.
    bool TryFallInto(int x, int y);
    // Whether a new brick may appear in (x, y): nothing above can fill it.
    bool CanSpawnAt(int x, int y) const;
    // One step of gravity over the board, with `spawn` one step of refill;
    // true when any brick fell.
    bool FallAndRefill(bool spawn);

protected:
    bool mRotating = false;
    int mOrientation = 0;
    float mAngle = 0;
};
