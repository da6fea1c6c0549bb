#include "game/match/Board.h"

#include "framework/widgets/WidgetManager.h"
#include "game/match/BoardListener.h"
#include "game/match/Grid.h"

#include <cmath>

namespace {

constexpr float kPi = 3.1415925f;
constexpr float kQuarter = 1.5707963f;
constexpr float kFullTurn = 6.2831850f;

void Jump(Kivo::LiveValue& value)
{
    value.mPrevious = value.mCurrent = value.mTarget;
}

} // namespace

Board::Board()
{
    const Grid* grid = Grid::Instance();
    Resize(grid->GetOriginX(), grid->GetOriginY(), grid->mBoardSize, grid->mBoardSize);
}

void Board::Show(bool show, bool animate)
{
    mShown.SetTarget(show ? 1.0f : 0.0f);
    if (!animate) {
        SetVisible(show);
        Jump(mShown);
    } else if (show) {
        // An animated show must become visible to be seen at all.
        SetVisible(true);
    }
    if (mListener)
        mListener->SetFieldAlpha(mShown.mCurrent);
}

void Board::ShowBlackboard(bool on, bool animate)
{
    mBlackboard.SetTarget(on ? 1.0f : 0.0f);
    if (!animate)
        Jump(mBlackboard);
}

void Board::ResetRotation()
{
    mAngle = 0;
    mScale = 1;
    mRotation.mTarget = 0;
    Jump(mRotation);
    mLeadIn.mTarget = 0;
    Jump(mLeadIn);
}

void Board::RotateTo(int quarters, bool animate)
{
    float target = static_cast<float>(quarters) * kQuarter;
    if (mRotation.IsMoving() && std::fabs(target - mRotation.mCurrent) > kFullTurn)
        return;
    if (!animate) {
        if (mListener)
            mListener->RotateStart(false);
        mRotation.SetTarget(target);
        Jump(mRotation);
        mAngle = target;
        mScale = 1;
        if (mListener) {
            mListener->SetFieldOffset(target, 1);
            mListener->RotateDone(false);
        }
        return;
    }
    bool running = mLeadIn.IsMoving() || mRotation.IsMoving();
    mRotation.SetTarget(target);
    if (!running) {
        mLeadIn.mPrevious = mLeadIn.mCurrent = 0;
        mLeadIn.SetTarget(0.12f);
    }
}

int Board::GetQuarterTurns() const
{
    bool leadInQuiet = !mLeadIn.IsMoving() && !mLeadIn.JustStopped();
    float value = leadInQuiet ? mRotation.mTarget : mRotation.mCurrent;
    return static_cast<int>(value * 2 / kPi);
}

bool Board::IsRotating() const
{
    return mRotation.IsMoving() || mLeadIn.IsMoving();
}

bool Board::IsIdle() const
{
    return mVisible && !mShown.IsMoving() && !mLeadIn.IsMoving();
}

void Board::DrawBoard(Kivo::Graphics*) {}

void Board::DrawField(Kivo::Graphics*) {}

void Board::Update()
{
    Widget::Update();
    mMouseVisible = mVisible && mShown.mCurrent > 0;
    const Grid* grid = Grid::Instance();
    Move(grid->GetOriginX() + grid->mShakeX, grid->GetOriginY() + grid->mShakeY);
}

void Board::UpdateF(float dt)
{
    Widget::UpdateF(dt);
    mShown.Update(dt);
    mLeadIn.Update(dt);
    mBlackboard.Update(dt);
    if (mLeadIn.JustStopped()) {
        Leave();
        if (mListener)
            mListener->RotateStart(true);
    }
    if (!mLeadIn.IsMoving()) {
        mRotation.Update(dt);
        if (mRotation.IsMoving()) {
            mAngle = mRotation.mCurrent;
            mScale = 1 - std::fabs(std::sin(2 * mAngle) * 0.4f);
            if (mListener)
                mListener->SetFieldOffset(mAngle, mScale);
        } else if (mRotation.JustStopped()) {
            int q = GetQuarterTurns() % 4;
            if (q < 0)
                q += 4;
            mRotation.mTarget = static_cast<float>(q) * kQuarter;
            Jump(mRotation);
            mAngle = mRotation.mCurrent;
            mScale = 1;
            if (mListener) {
                mListener->SetFieldOffset(mAngle, 1);
                mListener->RotateDone(true);
            }
            MouseEnter();
            int mx = 0, my = 0;
            if (GetMousePos(mx, my))
                MouseMove(mx - mX, my - mY);
        }
    }
    if (mShown.IsMoving() && mListener)
        mListener->SetFieldAlpha(mShown.mCurrent);
}

bool Board::GetMousePos(int& x, int& y) const
{
    if (!mManager)
        return false;
    x = mManager->mLastX;
    y = mManager->mLastY;
    return true;
}

bool Board::InputBlocked() const
{
    return mRotation.IsMoving() || mLeadIn.IsMoving() || mShown.IsMoving() || mShown.mCurrent == 0;
}

bool Board::MouseCell(int& x, int& y) const
{
    int mx = 0, my = 0;
    return GetMousePos(mx, my) && Grid::Instance()->ScreenToCell(mx, my, x, y);
}

void Board::LeaveHover()
{
    if (mHoverX >= 0 && mListener)
        mListener->CellLeave(mHoverX, mHoverY);
    mHoverX = mHoverY = -1;
}

// Forgets the hover cell so that the next move over the board enters a cell
// afresh.
void Board::Leave()
{
    LeaveHover();
    if (mListener)
        mListener->BoardLeave();
}

void Board::MouseEnter()
{
    Widget::MouseEnter();
    if (!InputBlocked() && mListener)
        mListener->BoardEnter();
}

void Board::MouseLeave()
{
    Widget::MouseLeave();
    if (!InputBlocked())
        Leave();
}

void Board::MouseMove(int x, int y)
{
    Widget::MouseMove(x, y);
    if (InputBlocked())
        return;
    int cx = 0, cy = 0;
    if (!MouseCell(cx, cy)) {
        LeaveHover();
        return;
    }
    if (cx == mHoverX && cy == mHoverY)
        return;
    LeaveHover();
    mHoverX = cx;
    mHoverY = cy;
    if (mListener)
        mListener->CellEnter(cx, cy);
}

void Board::MouseDrag(int x, int y)
{
    Widget::MouseDrag(x, y);
    int cx = 0, cy = 0;
    if (InputBlocked() || !MouseCell(cx, cy) || (cx == mHoverX && cy == mHoverY))
        return;
    if (mListener)
        mListener->CellDrag(mHoverX, mHoverY, cx, cy);
    mHoverX = cx;
    mHoverY = cy;
}

void Board::MouseDownButton(int x, int y, int button, int clickCount)
{
    Widget::MouseDownButton(x, y, button, clickCount);
    int cx = 0, cy = 0;
    if (!InputBlocked() && MouseCell(cx, cy) && mListener)
        mListener->CellDown(cx, cy, button);
}

void Board::MouseUpButton(int x, int y, int button, int clickCount)
{
    Widget::MouseUpButton(x, y, button, clickCount);
    if (InputBlocked() || !mListener)
        return;
    int cx = 0, cy = 0;
    if (MouseCell(cx, cy))
        mListener->BoardMouseUp(cx, cy);
    else
        mListener->BoardMouseUp(-x, -y);
}
