#pragma once
#include "game/effects/BaseAction.h"

#include <string>

// Gives the object the image that the script's texture table names.
class mutatorSetTexture : public BaseAction {
public:
    explicit mutatorSetTexture(const std::string& name) : mName(name) {}
    BaseAction* Clone() const override { return new mutatorSetTexture(mName); }
    bool Start() override;

    std::string mName;
};
