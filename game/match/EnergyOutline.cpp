#include "game/match/EnergyOutline.h"

namespace {

EnergyOutlineMaker gMaker = nullptr;

} // namespace

void SetEnergyOutlineMaker(EnergyOutlineMaker maker) { gMaker = maker; }

EnergyOutline* MakeEnergyOutline(Kivo::Image* mask) { return gMaker ? gMaker(mask) : nullptr; }
