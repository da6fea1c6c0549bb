#pragma once
#include "game/ui/BaseCursor.h"
#include "framework/core/Singleton.h"

// Armed with the row bonus.
class CursorBonusRow : public BaseCursor, public Singleton<CursorBonusRow> {
public:
    CursorBonusRow();
};
