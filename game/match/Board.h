#pragma once
// The widget over the field: turns mouse input into cell events for its
// listener and animates the field as a whole: showing and hiding, quarter
// turns (after a short lead-in) and a blackboard cover. Cells are always
// found from the manager's last mouse position.
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"

class BoardListener;

class Board : public Kivo::Widget {
public:
    Board();

    void Show(bool show, bool animate);
    void ShowBlackboard(bool on, bool animate);
    void ResetRotation();
    void RotateTo(int quarters, bool animate);
    int GetQuarterTurns() const;
    bool IsRotating() const;
    bool IsIdle() const;
    virtual void DrawBoard(Kivo::Graphics* g);
    virtual void DrawField(Kivo::Graphics* g);

    void Update() override;
    void UpdateF(float dt) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(int x, int y) override;
    void MouseDrag(int x, int y) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void MouseUpButton(int x, int y, int button, int clickCount) override;

    BoardListener* mListener = nullptr;
    float mAngle = 0;
    float mScale = 1;
    Kivo::LiveValue mShown{ 0, 0.04f };
    Kivo::LiveValue mBlackboard{ 0, 0.02f };
    Kivo::LiveValue mRotation{ 0, 0.03f };
    Kivo::LiveValue mLeadIn{ 0, 0.01f };
    int mHoverX = -1;
    int mHoverY = -1;

protected:
    // The manager's last mouse position on the screen; false without one.
    virtual bool GetMousePos(int& x, int& y) const;

private:
    bool InputBlocked() const;
    bool MouseCell(int& x, int& y) const;
    void LeaveHover();
    void Leave();
};
