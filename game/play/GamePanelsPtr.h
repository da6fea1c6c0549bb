#pragma once
// The game screen's bonus, timer and extra panels for the rules of play,
// which fill the bonus slots, read the timer and report matches through
// them. The game screen fills the three pointers when it builds its panels
// and nulls them before it deletes them; every user checks for null.
#include "framework/core/Singleton.h"

class BonusPanel;
class TimerPanel;
class ExtraPanel;

class GamePanelsPtr : public Singleton<GamePanelsPtr> {
public:
    GamePanelsPtr() = default;

    BonusPanel* mBonusPanel = nullptr;
    TimerPanel* mTimerPanel = nullptr;
    ExtraPanel* mExtraPanel = nullptr;
};
