#include "platform/WindowSystem.h"

#include <map>

namespace platform {

namespace {
struct ScriptedCursor {
    int idc;
};
// System cursors live for the whole run, one per IDC_* number.
std::map<int, ScriptedCursor>& SystemCursors()
{
    static std::map<int, ScriptedCursor> cursors;
    return cursors;
}
}

bool ScriptedWindows::Open(const std::string& t, int x, int y, int width, int height, bool full, bool show)
{
    title = t;
    open = true;
    visible = show;
    fullscreen = full;
    ++opens;
    if (full)
        x = 0, y = 0, width = screen.width, height = screen.height;
    Move(x, y, width, height);
    return true;
}

void ScriptedWindows::Move(int x, int y, int width, int height)
{
    windowX = x, windowY = y, windowWidth = width, windowHeight = height;
}

bool ScriptedWindows::Poll(WindowEvent& event)
{
    if (events.empty())
        return false;
    event = events.front();
    events.pop_front();
    if (event.kind == WindowEvent::MouseMove)
        mouseX = windowX + event.x, mouseY = windowY + event.y;
    return true;
}

void* ScriptedWindows::CreateCursor(const uint8_t*, const uint8_t*, int, int)
{
    ++liveCursors;
    return new ScriptedCursor { 0 };
}

void* ScriptedWindows::SystemCursor(int idc)
{
    ScriptedCursor& c = SystemCursors()[idc];
    c.idc = idc;
    return &c;
}

void ScriptedWindows::DestroyCursor(void* cursor)
{
    auto* c = static_cast<ScriptedCursor*>(cursor);
    if (!c || c->idc != 0)
        return; // system cursors are never destroyed
    --liveCursors;
    delete c;
}

} // namespace platform
