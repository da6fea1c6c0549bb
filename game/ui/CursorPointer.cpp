#include "game/ui/CursorPointer.h"

#include "framework/widgets/WidgetHost.h"

CursorPointer::CursorPointer() : BaseCursor("CURSOR_POINTER", 0, 0) {}

void CursorPointer::Draw(Kivo::Graphics* g)
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    if (app && app->CustomCursorsOn())
        BaseCursor::Draw(g);
}
