#pragma once
#include "game/ui/BaseCursor.h"
#include "framework/core/Singleton.h"

// Armed with the magnet bonus.
class CursorBonusMagnet : public BaseCursor, public Singleton<CursorBonusMagnet> {
public:
    CursorBonusMagnet();
};
