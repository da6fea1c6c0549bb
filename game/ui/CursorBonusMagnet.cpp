#include "game/ui/CursorBonusMagnet.h"

CursorBonusMagnet::CursorBonusMagnet() : BaseCursor("BRICK_BONUS_MAGNIT", -17, -28) {}
