#pragma once
#include "game/ui/BaseCursor.h"
#include "framework/core/Singleton.h"

// Armed with the bomb bonus.
class CursorBonusBomb : public BaseCursor, public Singleton<CursorBonusBomb> {
public:
    CursorBonusBomb();
};
