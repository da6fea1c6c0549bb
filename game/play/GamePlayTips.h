#pragma once
// The tutorial tips the game-play object may show during play: each tip is
// shown once per player. The game screen installs the tips it has; without
// them no tip shows.
#include <string>

class GamePlayTips {
public:
    virtual ~GamePlayTips() = default;
    // A tip other than the first has not been shown yet.
    virtual bool HasUnshownHints() = 0;
    // Enough time has passed since the last tip and none is up.
    virtual bool CanShowHint() = 0;
    virtual bool IsHintShown(const std::string& id) = 0;
    virtual void SetHintShown(const std::string& id) = 0;
    virtual void ShowHint(const std::string& id, int x, int y, int flags) = 0;
};
