#include "game/ui/CursorBonusRow.h"

CursorBonusRow::CursorBonusRow() : BaseCursor("BRICK_BONUS_ROW", -25, -25) {}
