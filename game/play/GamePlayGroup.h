#pragma once
// Group mode: pointing at a brick shows the bricks of its colour connected
// to it through 4-neighbours; a click removes the group when it holds at
// least three.
#include "game/play/GamePlayBase.h"

class GamePlayGroup : public GamePlayBase {
public:
    GamePlayGroup();

    void CellEnter(int x, int y) override;
    void CellLeave(int x, int y) override;
    void CellDown(int x, int y, int button) override;
    void CellDrag(int x1, int y1, int x2, int y2) override;
    void ClearSelection() override;
    bool HasSelection() const override { return false; }
    void Update() override;
    void UpdateF(float dt) override;
    void DrawField(Kivo::Graphics* g) override;
    int GetGameType() const override { return 2; }

    // Marks the group of (x, y) with the group cell flag; its size.
    int FloodMark(int x, int y);
    void ClearMarks();

    int mGroupX = -1;
    int mGroupY = -1;
    bool mFieldWasBusy = false;

private:
    void ShowGroupAgain();
};
