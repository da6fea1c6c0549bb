#pragma once
// The key (code 12): always animates, never shines, never takes modifiers.
#include "game/match/BrickColored.h"

class BrickKey : public BrickColored {
public:
    BrickKey();

    void SetFlag(uint32_t) override {}
    void ToggleFlag(uint32_t) override {}
    void SetState(int id) override;
    void StopState(int id) override;
    void StopAllStates() override;
};
