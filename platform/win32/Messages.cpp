#include "platform/win32/WindowState.h"

#include "platform/gdi/Cp1252.h"
#include "platform/win32/Time.h"

#include <cmath>

namespace platform {
namespace {

MSG MakeMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowState& s = Windows();
    int x = 0, y = 0;
    Backing().MousePosition(x, y);
    return MSG { s.backedWindow, message, wParam, lParam, GetTickCount(), { x, y } };
}

void Post(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Windows().backedWindow)
        Windows().queue.push_back(MakeMessage(message, wParam, lParam));
}

WPARAM MouseKeys()
{
    WindowState& s = Windows();
    WPARAM w = s.buttons;
    if (s.keys[VK_SHIFT])
        w |= MK_SHIFT;
    if (s.keys[VK_CONTROL])
        w |= MK_CONTROL;
    return w;
}

} // namespace

void Activate(bool on)
{
    WindowState& s = Windows();
    if (s.active == on)
        return;
    s.active = on;
    Post(WM_ACTIVATEAPP, on, 0);
    Post(WM_NCACTIVATE, on, 0);
    Post(WM_ACTIVATE, on, 0);
}

void TranslateEvent(const WindowEvent& e)
{
    WindowState& s = Windows();
    switch (e.kind) {
    case WindowEvent::MouseMove:
        s.lastMouseX = e.x, s.lastMouseY = e.y;
        s.mouseInside = true;
        Post(WM_MOUSEMOVE, MouseKeys(), MAKELPARAM(e.x, e.y));
        break;
    case WindowEvent::MouseButton: {
        // Left, middle, right as SDL numbers them; others are ignored.
        static const UINT kDown[4] = { 0, WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN };
        static const WPARAM kBit[4] = { 0, MK_LBUTTON, MK_MBUTTON, MK_RBUTTON };
        if (e.button < 1 || e.button > 3)
            break;
        s.lastMouseX = e.x, s.lastMouseY = e.y;
        UINT message = kDown[e.button];
        if (e.down) {
            s.buttons |= kBit[e.button];
            // Windows reports every second click of a pair as a double click.
            if (e.clicks >= 2 && e.clicks % 2 == 0)
                message += 2;
        } else {
            s.buttons &= ~kBit[e.button];
            message += 1;
        }
        Post(message, MouseKeys(), MAKELPARAM(e.x, e.y));
        break;
    }
    case WindowEvent::MouseWheel: {
        // Windows counts in whole notches of 120; fractions of a notch wait
        // until they add up to one.
        s.wheelCarry += e.wheel;
        const int notches = int(std::trunc(s.wheelCarry));
        if (notches == 0)
            break;
        s.wheelCarry -= float(notches);
        POINT pt { s.lastMouseX, s.lastMouseY };
        ClientToScreen(s.backedWindow, &pt);
        const WPARAM w = (WPARAM(WORD(int16_t(notches * WHEEL_DELTA))) << 16) | MouseKeys();
        Post(WM_MOUSEWHEEL, w, MAKELPARAM(pt.x, pt.y));
        break;
    }
    case WindowEvent::MouseEnter:
        s.mouseInside = true;
        break;
    case WindowEvent::MouseLeave:
        s.mouseInside = false;
        break;
    case WindowEvent::Key: {
        if (e.key <= 0 || e.key > 255)
            break;
        const bool altDown = s.keys[VK_MENU] != 0 || (e.key == VK_MENU && e.down);
        const bool sys = (altDown && !s.keys[VK_CONTROL]) || e.key == 0x79 /* F10 */;
        const bool wasDown = s.keys[e.key] != 0;
        s.keys[e.key] = e.down ? 1 : 0;
        LPARAM l = 1;
        if (sys && altDown)
            l |= LPARAM(1) << 29;
        if (e.down) {
            if (wasDown)
                l |= LPARAM(1) << 30;
            Post(sys ? WM_SYSKEYDOWN : WM_KEYDOWN, WPARAM(e.key), l);
        } else {
            l |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
            Post(sys ? WM_SYSKEYUP : WM_KEYUP, WPARAM(e.key), l);
        }
        break;
    }
    case WindowEvent::Text: {
        // Ctrl with a letter is a control character, made from the key
        // (TranslateMessage); AltGr (Ctrl+Alt) still types.
        if (s.keys[VK_CONTROL] && !s.keys[VK_MENU])
            break;
        for (char c : Utf8ToCp1252(e.text))
            if (uint8_t(c) >= 32)
                Post(WM_CHAR, WPARAM(uint8_t(c)), 1);
        break;
    }
    case WindowEvent::FocusGained:
    case WindowEvent::FocusLost:
        Activate(e.kind == WindowEvent::FocusGained);
        break;
    case WindowEvent::Minimized:
    case WindowEvent::Maximized:
    case WindowEvent::Restored: {
        WindowRecord* rec = FindWindowRecord(s.backedWindow);
        if (!rec)
            break;
        rec->minimized = e.kind == WindowEvent::Minimized;
        const WPARAM how = e.kind == WindowEvent::Minimized ? SIZE_MINIMIZED
            : e.kind == WindowEvent::Maximized              ? SIZE_MAXIMIZED
                                                            : SIZE_RESTORED;
        Post(WM_SIZE, how, how == SIZE_MINIMIZED ? 0 : MAKELPARAM(rec->width, rec->height));
        break;
    }
    case WindowEvent::Moved: {
        WindowRecord* rec = FindWindowRecord(s.backedWindow);
        if (!rec)
            break;
        rec->x = e.x, rec->y = e.y;
        Post(WM_MOVE, 0, MAKELPARAM(e.x, e.y));
        break;
    }
    case WindowEvent::Close:
        Post(WM_CLOSE, 0, 0);
        break;
    }
}

void PumpBackend()
{
    WindowEvent event;
    while (Backing().Poll(event))
        TranslateEvent(event);
}

} // namespace platform

using namespace platform;

BOOL PeekMessageA(MSG* msg, HWND window, UINT, UINT, UINT remove)
{
    WindowState& s = Windows();
    PumpBackend();
    for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
        if (window && it->hwnd != window)
            continue;
        *msg = *it;
        if (remove & PM_REMOVE) {
            s.queue.erase(it);
            if (msg->message >= WM_KEYDOWN && msg->message <= WM_SYSKEYUP && msg->message != WM_CHAR &&
                msg->message != WM_SYSCHAR && msg->wParam < 256)
                s.messageKeys[msg->wParam] = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
        }
        return TRUE;
    }
    // Timer messages come only when nothing else waits, and a late timer
    // gives one message, not one per period missed.
    const DWORD now = GetTickCount();
    for (Timer& t : s.timers) {
        if ((window && t.window != window) || int32_t(now - t.next) < 0)
            continue;
        *msg = MSG { t.window, WM_TIMER, t.id, 0, now, { 0, 0 } };
        if (remove & PM_REMOVE)
            t.next = now + t.period;
        return TRUE;
    }
    return FALSE;
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return FALSE;
    WindowState& s = Windows();
    const int key = int(msg->wParam);
    int ch = 0;
    switch (key) {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
        ch = key == VK_ESCAPE ? 27 : key;
        break;
    default:
        // Ctrl+A to Ctrl+Z give the control characters 1 to 26 (Ctrl+C 3,
        // Ctrl+V 22, Ctrl+X 24, Ctrl+Z 26 for the edit boxes).
        if (key >= 'A' && key <= 'Z' && s.messageKeys[VK_CONTROL] && !s.messageKeys[VK_MENU])
            ch = key - 'A' + 1;
        break;
    }
    if (ch == 0)
        return FALSE;
    const UINT message = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    // The character is the next message read, as on Windows.
    s.queue.push_front(MSG { msg->hwnd, message, WPARAM(ch), msg->lParam, msg->time, msg->pt });
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (!msg)
        return 0;
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowRecord* rec = FindWindowRecord(window);
    if (!rec)
        return 0;
    if (!rec->proc)
        return DefWindowProcA(window, message, wParam, lParam);
    return rec->proc(window, message, wParam, lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowState& s = Windows();
    const DWORD now = GetTickCount();
    if (window == HWND_BROADCAST) {
        for (auto& [handle, rec] : s.windows)
            s.queue.push_back(MSG { handle, message, wParam, lParam, now, { 0, 0 } });
        return TRUE;
    }
    if (!FindWindowRecord(window))
        return FALSE;
    s.queue.push_back(MSG { window, message, wParam, lParam, now, { 0, 0 } });
    return TRUE;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == WPARAM(VK_F4))
            PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            return SendMessageA(window, WM_CLOSE, 0, 0);
        if ((wParam & 0xFFF0) == SC_MINIMIZE)
            ShowWindow(window, SW_MINIMIZE);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_QUERYOPEN:
        return 1;
    default:
        return 0;
    }
}

UINT RegisterWindowMessageA(LPCSTR name)
{
    if (!name || !*name)
        return 0;
    auto& names = Windows().registeredMessages;
    auto it = names.find(name);
    if (it != names.end())
        return it->second;
    UINT id = 0xC000 + UINT(names.size());
    names[name] = id;
    return id;
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT periodMs, void*)
{
    if (!FindWindowRecord(window))
        return 0;
    WindowState& s = Windows();
    KillTimer(window, id);
    const DWORD period = periodMs < 10 ? 10 : periodMs; // Windows' smallest timer period
    s.timers.push_back(Timer { window, id, period, GetTickCount() + period });
    return id;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    return std::erase_if(Windows().timers, [&](const Timer& t) { return t.window == window && t.id == id; }) ? TRUE
                                                                                                          : FALSE;
}

int16_t GetKeyState(int key)
{
    if (key < 0 || key > 255)
        return 0;
    return Windows().messageKeys[key] ? int16_t(0x8000) : 0;
}
