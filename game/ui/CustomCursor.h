#pragma once
// The widget that draws the game's cursor: the last child of the widget
// manager, redrawn every update, drawing the current cursor as its overlay
// of the highest priority. Cursor kinds: 0 pointer, 1 bomb, 2 row,
// 3 magnet; -1 none.
#include "framework/widgets/Widget.h"
#include "framework/core/Singleton.h"

class BaseCursor;

class CustomCursor : public Kivo::Widget, public Singleton<CustomCursor> {
public:
    CustomCursor();

    void Update() override;
    void Draw(Kivo::Graphics* g) override;
    void DrawOverlay(Kivo::Graphics* g) override;
    // Not owned; its animation starts again.
    void SetCursor(BaseCursor* cursor);

    BaseCursor* mCursor = nullptr;
};

CustomCursor* GetCustomCursor();
// Kinds outside -1..3 change nothing.
void SetCursorKind(int kind);
// 0 also when there is no cursor.
int GetCursorKind();
// Deletes the four cursors; the custom cursor is left with none.
void FreeCursors();
