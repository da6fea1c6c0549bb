#pragma once
// Receives the board widget's reports: its turns, the field's turn, scale and
// alpha while it animates, and mouse input translated to cells.

class BoardListener {
public:
    virtual ~BoardListener() = default;
    virtual void RotateStart(bool animated) = 0;
    virtual void RotateDone(bool animated) = 0;
    virtual void SetFieldOffset(float angle, float scale) = 0;
    virtual void SetFieldAlpha(float shown) = 0;
    virtual void BoardEnter() = 0;
    virtual void BoardLeave() = 0;
    virtual void CellEnter(int x, int y) = 0;
    virtual void CellLeave(int x, int y) = 0;
    virtual void CellDown(int x, int y, int button) = 0;
    virtual void CellDrag(int fromX, int fromY, int toX, int toY) = 0;
    virtual void BoardMouseUp(int x, int y) = 0;
};
