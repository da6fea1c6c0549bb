#pragma once
// Swap mode: the player picks a brick and exchanges it with a 4-neighbour;
// the exchange stands only when it puts three or more bricks of one colour
// in a row or column. A pass every 20 ticks removes every line on the
// board, the ones that form by falling bricks too.
#include "game/play/GamePlayBase.h"

class GamePlaySwap : public GamePlayBase {
public:
    GamePlaySwap();

    void PrepareLevelMap(LevelMap& map) override;
    void CellEnter(int x, int y) override;
    void CellLeave(int x, int y) override;
    void CellDown(int x, int y, int button) override;
    void CellDrag(int x1, int y1, int x2, int y2) override;
    void ClearSelection() override;
    bool HasSelection() const override { return mSelX >= 0; }
    void Update() override;
    void UpdateF(float dt) override;
    void DrawField(Kivo::Graphics* g) override;
    int GetGameType() const override { return 1; }

    // Bricks of `code` in a run from `start` in a direction (1 right, 2 down,
    // 3 left, 4 up), `start` not counted; `excludeX/Y` stops the run. With
    // `busyCheck`, moving or held bricks neither start nor continue a run.
    int RunLength(int code, int startX, int startY, int excludeX, int excludeY, int direction, bool busyCheck) const;
    // Whether exchanging A and B puts one of them in a line.
    bool MakesLine(int ax, int ay, int bx, int by) const;
    // Removes every line; crossing lines form one group.
    void MatchPass();
    // Whether colour `c` at (x, y) of the map stands beside two of its kind
    // within two cells along the row or along the column.
    static bool RefusesColour(const LevelMap& map, int x, int y, int c);

    int mTargetIndex = -1;
    int mSourceIndex = -1;

private:
    void ClickRule(int x, int y);
};
