#include "game/match/BrickOutline.h"

namespace {
BrickOutlineFactory* gFactory = nullptr;
}

BrickOutlineFactory* GetBrickOutlines() { return gFactory; }

void SetBrickOutlines(BrickOutlineFactory* factory) { gFactory = factory; }
