#pragma once
#include "game/ui/BaseCursor.h"
#include "game/ui/Singleton.h"

// Armed with the magnet bonus.
class CursorBonusMagnet : public BaseCursor, public Singleton<CursorBonusMagnet> {
public:
    CursorBonusMagnet();
};
