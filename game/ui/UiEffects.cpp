#include "game/ui/UiEffects.h"

namespace {
UiEffectsFactory* gFactory = nullptr;
}

UiEffectsFactory* GetUiEffects() { return gFactory; }

void SetUiEffects(UiEffectsFactory* factory) { gFactory = factory; }
