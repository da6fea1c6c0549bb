#pragma once
// What the effect system supplies to the modules below it: effect lists and
// emitters for the animated labels, and the energy outline of energised
// bricks. InstallEffectHooks installs both once, at start-up.
#include "game/ui/UiEffects.h"

class PyroUiEffectsFactory : public UiEffectsFactory {
public:
    UiEffectList* NewEffectList() override;
    UiEmitter* NewEmitter(const std::string& name) override;
};

// Installs the label factory where none is installed, and the outline maker.
void InstallEffectHooks();
