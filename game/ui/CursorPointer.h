#pragma once
#include "game/ui/BaseCursor.h"
#include "framework/core/Singleton.h"

// The ordinary pointer.
class CursorPointer : public BaseCursor, public Singleton<CursorPointer> {
public:
    CursorPointer();
    // Only while the game draws its own cursors.
    void Draw(Kivo::Graphics* g) override;
};
