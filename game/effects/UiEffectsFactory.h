#pragma once
// The effect system's answer to the animated labels: effect lists that run
// particle bursts by emitter name, and single emitters.
#include "game/ui/UiEffects.h"

class PyroUiEffectsFactory : public UiEffectsFactory {
public:
    UiEffectList* NewEffectList() override;
    UiEmitter* NewEmitter(const std::string& name) override;
};

// Installs one program-wide PyroUiEffectsFactory (SetUiEffects); repeated
// calls keep the first.
void InstallUiEffects();
