#include "game/match/ISolver.h"

#include "framework/core/Random.h"
#include "game/match/FieldBase.h"
#include "game/match/SolverListener.h"

ISolver::ISolver(FieldBase* field, SolverListener* listener)
    : mField(field), mMarks(static_cast<size_t>(field->GetSlotCount()), 0), mListener(listener)
{
}

void ISolver::Tick()
{
    if (++mIdle <= 600)
        return;
    Solve();
    ShowHint();
    mIdle = -600;
}

void ISolver::ShowHint()
{
    if (mMoveCount == 0)
        return;
    int k = Kivo::RandomInt(1, static_cast<int>(mMoveCount));
    std::vector<int> cells;
    for (size_t n = 0; n < mMarks.size(); ++n)
        if (mMarks[n] == k)
            cells.push_back(static_cast<int>(n));
    if (mListener)
        mListener->ShowHint(static_cast<int>(cells.size()), cells.data());
}

uint8_t ISolver::GetMark(int x, int y) const
{
    return mMarks[static_cast<size_t>(y * mField->GetWidth() + x)];
}

uint8_t& ISolver::Mark(int x, int y)
{
    return mMarks[static_cast<size_t>(y * mField->GetWidth() + x)];
}

bool ISolver::InBoard(int x, int y) const
{
    int w = mField->GetWidth();
    return x >= 0 && y >= 0 && x < w && y < w;
}

bool ISolver::IsPlayable(int x, int y) const
{
    return mField->GetCellKind(x, y) == 1;
}
