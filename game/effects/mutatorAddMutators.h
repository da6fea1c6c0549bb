#pragma once
#include "game/effects/BaseAction.h"

#include <string>

// Puts clones of a named list of the script before itself and removes itself,
// so the inserted steps run in the same update.
class mutatorAddMutators : public BaseAction {
public:
    explicit mutatorAddMutators(const std::string& listName) : mListName(listName) {}
    BaseAction* Clone() const override { return new mutatorAddMutators(mListName); }
    bool Start() override;
    int Update(float) override { return Replaced; }

    std::string mListName;
};
