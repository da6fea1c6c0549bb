#pragma once
// Window events as a window system reports them, for tests that push them
// through the scripted windows.
#include "platform/WindowSystem.h"

#include <string>

namespace testsupport {

inline platform::WindowEvent MouseMoveEvent(int x, int y)
{
    platform::WindowEvent e;
    e.kind = platform::WindowEvent::MouseMove;
    e.x = x, e.y = y;
    return e;
}

// Button 1 left, 2 middle, 3 right; clicks 2 for the second click of a
// double click.
inline platform::WindowEvent ButtonEvent(int button, bool down, int x, int y, int clicks = 1)
{
    platform::WindowEvent e = MouseMoveEvent(x, y);
    e.kind = platform::WindowEvent::MouseButton;
    e.button = button, e.down = down, e.clicks = clicks;
    return e;
}

inline platform::WindowEvent KeyEvent(int key, bool down)
{
    platform::WindowEvent e;
    e.kind = platform::WindowEvent::Key;
    e.key = key, e.down = down;
    return e;
}

inline platform::WindowEvent WheelEvent(float notches)
{
    platform::WindowEvent e;
    e.kind = platform::WindowEvent::MouseWheel;
    e.wheel = notches;
    return e;
}

inline platform::WindowEvent TextEvent(const std::string& utf8)
{
    platform::WindowEvent e;
    e.kind = platform::WindowEvent::Text;
    e.text = utf8;
    return e;
}

inline platform::WindowEvent KindEvent(platform::WindowEvent::Kind kind)
{
    platform::WindowEvent e;
    e.kind = kind;
    return e;
}

} // namespace testsupport
