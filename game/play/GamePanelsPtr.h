#pragma once
// The game screen's bonus, timer and extra panels for the rules of play,
// which fill the bonus slots, read the timer and report matches through it.
// The game screen fills the three pointers when it builds its panels and
// nulls them before it deletes them; every operation checks for null.
#include "framework/core/Singleton.h"
#include "game/play/GamePlayPanels.h"

class BonusPanel;
class TimerPanel;
class ExtraPanel;

class GamePanelsPtr : public Singleton<GamePanelsPtr>, public GamePlayPanels {
public:
    GamePanelsPtr() = default;

    float GetSlotProgress(int slot) override;
    void SetSlotProgress(int slot, float progress, bool animate) override;
    void AddSlotProgress(int slot, float delta) override;
    bool GetSlotCentre(int slot, int& x, int& y) override;
    void OnMatch(int colour) override;
    // Without a timer there is always time left.
    bool HasTimeLeft() override;

    BonusPanel* mBonusPanel = nullptr;
    TimerPanel* mTimerPanel = nullptr;
    ExtraPanel* mExtraPanel = nullptr;
};
