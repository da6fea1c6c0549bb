#pragma once
// What the effect system supplies to the modules below it: effect lists and
// emitters for the animated labels, and the energy outline of energized
// bricks. InstallEffectHooks installs both once, at start-up.
#include "game/match/BrickOutline.h"
#include "game/ui/UiEffects.h"

class PyroUiEffectsFactory : public UiEffectsFactory {
public:
    UiEffectList* NewEffectList() override;
    UiEmitter* NewEmitter(const std::string& name) override;
};

// Outlines of crawling lightning round the brick's mask.
class LightningOutlineFactory : public BrickOutlineFactory {
public:
    BrickOutline* NewOutline(Kivo::Image* mask) override;
};

// Installs one program-wide factory of each kind where none is installed.
void InstallEffectHooks();
