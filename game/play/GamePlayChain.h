#pragma once
// Chain mode: the player draws a chain through bricks of one colour, by
// dragging with the button held or by clicking brick after brick; a chain of
// three or more is removed.
#include "game/match/PathStorage.h"
#include "game/play/GamePlayBase.h"

class GamePlayChain : public GamePlayBase {
public:
    GamePlayChain();

    void CellEnter(int x, int y) override;
    void CellLeave(int x, int y) override;
    void CellDown(int x, int y, int button) override;
    void CellDrag(int x1, int y1, int x2, int y2) override;
    void BoardMouseUp() override;
    void ClearSelection() override;
    bool HasSelection() const override { return mPath.Size() > 0; }
    void Update() override;
    void UpdateF(float dt) override;
    void DrawField(Kivo::Graphics* g) override;
    int GetGameType() const override { return 3; }

    void Extend(int x, int y);
    void RemoveChain();
    // False when a brick of the chain no longer stands where it was taken
    // (destroyed, fallen or turned away): the chain is then dropped.
    bool ChainStillStands();

    PathStorage mPath { this };
    bool mClickStyle = false;
};
