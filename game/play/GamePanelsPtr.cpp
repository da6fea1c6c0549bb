#include "game/play/GamePanelsPtr.h"

#include "game/play/BonusPanel.h"
#include "game/play/ExtraPanel.h"
#include "game/play/TimerPanel.h"

float GamePanelsPtr::GetSlotProgress(int slot) { return mBonusPanel ? mBonusPanel->GetSlotProgress(slot) : 0.0f; }

void GamePanelsPtr::SetSlotProgress(int slot, float progress, bool animate)
{
    if (mBonusPanel)
        mBonusPanel->SetSlotProgress(slot, progress, animate);
}

void GamePanelsPtr::AddSlotProgress(int slot, float delta)
{
    if (mBonusPanel)
        mBonusPanel->AddSlotProgress(slot, delta);
}

bool GamePanelsPtr::GetSlotCentre(int slot, int& x, int& y)
{
    return mBonusPanel && mBonusPanel->GetSlotCentre(slot, &x, &y);
}

void GamePanelsPtr::OnMatch(int colour)
{
    if (mExtraPanel)
        mExtraPanel->OnMatch(colour);
}

bool GamePanelsPtr::HasTimeLeft() { return !mTimerPanel || mTimerPanel->HasTimeLeft(); }
