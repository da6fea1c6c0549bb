#include "game/ui/CursorBonusBomb.h"

CursorBonusBomb::CursorBonusBomb() : BaseCursor("BRICK_BONUS_BOMB", -18, -26) {}
