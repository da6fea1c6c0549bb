#include "platform/win32/WindowState.h"

#include "platform/Backend.h"

#include <atomic>
#include <map>
#include <string>
#include <vector>

namespace platform {

WindowState& Windows()
{
    static WindowState state;
    return state;
}

WindowRecord* FindWindowRecord(HWND window)
{
    auto& windows = Windows().windows;
    auto it = windows.find(window);
    return it == windows.end() ? nullptr : &it->second;
}

WindowSystem& Backing()
{
    return CurrentBackend().GetWindows();
}

namespace {
// The window system showing the backed window, for the crash handler, which
// may not look up the backend (that takes a lock).
std::atomic<WindowSystem*> gShowing { nullptr };
} // namespace

void HideWindowAfterCrash()
{
    if (WindowSystem* shown = gShowing.load())
        shown->HideAfterCrash();
}

void ResetWindows()
{
    WindowState& s = Windows();
    if (s.backedWindow)
        Backing().Close();
    gShowing = nullptr;
    CloseNoticeInbox();
    s = WindowState();
}

} // namespace platform

using namespace platform;

namespace {

struct Icon {
    std::vector<uint32_t> argb;
    int width = 0;
    int height = 0;
};

std::map<std::string, Icon>& Icons()
{
    static std::map<std::string, Icon> icons;
    return icons;
}

} // namespace

void platform::RegisterIcon(const std::string& name, const uint32_t* argb, int width, int height)
{
    if (!argb || width <= 0 || height <= 0)
        return;
    Icons()[name] = Icon { std::vector<uint32_t>(argb, argb + size_t(width) * height), width, height };
}

HICON LoadIconA(HINSTANCE, LPCSTR name)
{
    auto it = Icons().find(name ? name : "");
    return it == Icons().end() ? nullptr : &it->second;
}

ATOM RegisterClassA(const WNDCLASSA* windowClass)
{
    if (!windowClass || !windowClass->lpszClassName)
        return 0;
    Windows().classes[windowClass->lpszClassName] = *windowClass;
    return ATOM(Windows().classes.size());
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND, HMENU, HINSTANCE, LPVOID)
{
    WindowState& s = Windows();
    auto cls = s.classes.find(className ? className : "");
    if (cls == s.classes.end())
        return nullptr;
    WindowRecord rec;
    rec.proc = cls->second.lpfnWndProc;
    rec.style = style;
    rec.exStyle = exStyle;
    rec.x = x, rec.y = y, rec.width = width, rec.height = height;
    rec.visible = (style & WS_VISIBLE) != 0;
    // Only windows with a look of their own reach the backend; the backend
    // keeps one, so a newer one takes its place.
    rec.backed = (style & (WS_POPUP | WS_CAPTION)) != 0;
    if (rec.backed) {
        if (s.backedWindow)
            DestroyWindow(s.backedWindow);
        const bool fullscreen = (exStyle & WS_EX_TOPMOST) != 0;
        if (!Backing().Open(windowName ? windowName : "", x, y, width, height, fullscreen, rec.visible))
            return nullptr;
        if (const auto* icon = static_cast<const Icon*>(cls->second.hIcon))
            Backing().SetIcon(icon->argb.data(), icon->width, icon->height);
        if (fullscreen) {
            DesktopRect screen = Backing().Screen();
            rec.x = screen.x, rec.y = screen.y, rec.width = screen.width, rec.height = screen.height;
        }
        s.active = rec.visible && Backing().HasInputFocus();
        gShowing = &Backing();
        OpenNoticeInbox();
    }
    HWND window = reinterpret_cast<HWND>(s.nextHandle++);
    s.windows[window] = rec;
    if (rec.backed)
        s.backedWindow = window;
    if (rec.proc)
        rec.proc(window, WM_CREATE, 0, 0);
    return window;
}

BOOL SetWindowTextA(HWND window, LPCSTR text)
{
    WindowRecord* rec = FindWindowRecord(window);
    if (!rec)
        return FALSE;
    if (rec->backed && window == Windows().backedWindow)
        Backing().SetTitle(text ? text : "");
    return TRUE;
}

BOOL DestroyWindow(HWND window)
{
    WindowState& s = Windows();
    WindowRecord* rec = FindWindowRecord(window);
    if (!rec)
        return FALSE;
    if (rec->proc)
        rec->proc(window, WM_DESTROY, 0, 0);
    rec = FindWindowRecord(window);
    if (!rec)
        return TRUE;
    if (rec->backed && s.backedWindow == window) {
        Backing().Close();
        gShowing = nullptr;
        CloseNoticeInbox();
        s.backedWindow = nullptr;
        s.active = false;
        s.mouseInside = false;
    }
    std::erase_if(s.timers, [&](const Timer& t) { return t.window == window; });
    std::erase_if(s.queue, [&](const MSG& m) { return m.hwnd == window; });
    if (s.capture == window)
        ReleaseCapture();
    s.windows.erase(window);
    return TRUE;
}

BOOL IsWindow(HWND window)
{
    return FindWindowRecord(window) != nullptr;
}

BOOL ShowWindow(HWND window, int command)
{
    WindowRecord* rec = FindWindowRecord(window);
    if (!rec)
        return FALSE;
    const bool wasVisible = rec->visible;
    rec->visible = command != SW_HIDE;
    if (command == SW_RESTORE || command == SW_SHOWNORMAL)
        rec->minimized = false;
    if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED)
        rec->minimized = true;
    if (rec->backed) {
        Backing().Show(rec->visible);
        if (command == SW_RESTORE)
            Backing().Restore();
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL)
{
    WindowRecord* rec = FindWindowRecord(window);
    if (!rec)
        return FALSE;
    rec->x = x, rec->y = y, rec->width = width, rec->height = height;
    if (rec->backed)
        Backing().Move(x, y, width, height);
    return TRUE;
}

BOOL SetForegroundWindow(HWND window)
{
    WindowRecord* rec = FindWindowRecord(window);
    if (!rec)
        return FALSE;
    if (rec->backed) {
        Backing().Raise();
        // As on Windows, the program's own window comes to the front and is
        // activated at once; the backend's focus event that follows changes
        // nothing more.
        if (rec->visible && !rec->minimized)
            Activate(true);
    }
    return TRUE;
}

HWND GetActiveWindow()
{
    WindowState& s = Windows();
    return s.active ? s.backedWindow : nullptr;
}

BOOL IsIconic(HWND window)
{
    WindowRecord* rec = FindWindowRecord(window);
    return rec && rec->minimized ? TRUE : FALSE;
}

BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement)
{
    WindowRecord* rec = FindWindowRecord(window);
    if (!rec || !placement)
        return FALSE;
    placement->flags = 0;
    placement->showCmd = rec->minimized ? SW_SHOWMINIMIZED : rec->visible ? SW_SHOWNORMAL : SW_HIDE;
    placement->ptMinPosition = { -1, -1 };
    placement->ptMaxPosition = { -1, -1 };
    placement->rcNormalPosition = { rec->x, rec->y, rec->x + rec->width, rec->y + rec->height };
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    WindowRecord* rec = FindWindowRecord(window);
    if (!rec || !rect)
        return FALSE;
    *rect = { 0, 0, rec->width, rec->height };
    return TRUE;
}

BOOL AdjustWindowRect(RECT* rect, DWORD, BOOL)
{
    // The window manager draws the frame outside the client area and places
    // windows by their client area, so the frame adds nothing here.
    return rect ? TRUE : FALSE;
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value)
{
    WindowRecord* rec = FindWindowRecord(window);
    if (!rec || index != GWL_USERDATA)
        return 0;
    LONG_PTR old = rec->userData;
    rec->userData = value;
    return old;
}

LONG_PTR GetWindowLongPtrA(HWND window, int index)
{
    WindowRecord* rec = FindWindowRecord(window);
    return rec && index == GWL_USERDATA ? rec->userData : 0;
}

static POINT ClientOrigin(HWND window, const WindowRecord& rec)
{
    POINT origin { rec.x, rec.y };
    if (rec.backed && window == Windows().backedWindow) {
        int x = 0, y = 0;
        Backing().ClientOrigin(x, y);
        origin = { x, y };
    }
    return origin;
}

BOOL ClientToScreen(HWND window, POINT* point)
{
    WindowRecord* rec = FindWindowRecord(window);
    if (!rec || !point)
        return FALSE;
    POINT o = ClientOrigin(window, *rec);
    point->x += o.x, point->y += o.y;
    return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point)
{
    WindowRecord* rec = FindWindowRecord(window);
    if (!rec || !point)
        return FALSE;
    POINT o = ClientOrigin(window, *rec);
    point->x -= o.x, point->y -= o.y;
    return TRUE;
}

HWND WindowFromPoint(POINT point)
{
    WindowState& s = Windows();
    WindowRecord* rec = FindWindowRecord(s.backedWindow);
    if (!rec || !rec->visible || rec->minimized || !s.mouseInside)
        return nullptr;
    POINT o = ClientOrigin(s.backedWindow, *rec);
    const int x = point.x - o.x, y = point.y - o.y;
    return x >= 0 && y >= 0 && x < rec->width && y < rec->height ? s.backedWindow : nullptr;
}

HWND SetCapture(HWND window)
{
    WindowState& s = Windows();
    HWND old = s.capture;
    s.capture = window;
    Backing().SetCapture(window != nullptr);
    return old;
}

BOOL ReleaseCapture()
{
    Windows().capture = nullptr;
    Backing().SetCapture(false);
    return TRUE;
}

HWND GetCapture()
{
    return Windows().capture;
}

BOOL SetCursorPos(int x, int y)
{
    WindowState& s = Windows();
    WindowRecord* rec = FindWindowRecord(s.backedWindow);
    if (!rec)
        return FALSE;
    POINT o = ClientOrigin(s.backedWindow, *rec);
    Backing().WarpMouse(x - o.x, y - o.y);
    return TRUE;
}

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return FALSE;
    int x = 0, y = 0;
    Backing().MousePosition(x, y);
    *point = { x, y };
    return TRUE;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
        return Backing().Screen().width;
    case SM_CYSCREEN:
        return Backing().Screen().height;
    case SM_CXFULLSCREEN:
        return Backing().WorkArea().width;
    case SM_CYFULLSCREEN:
        return Backing().WorkArea().height;
    default:
        return 0; // SM_TABLETPC among others: not a tablet
    }
}

BOOL SystemParametersInfoA(UINT action, UINT, LPVOID out, UINT)
{
    if (!out)
        return FALSE;
    switch (action) {
    case SPI_GETWORKAREA: {
        DesktopRect area = Backing().WorkArea();
        *static_cast<RECT*>(out) = { area.x, area.y, area.x + area.width, area.y + area.height };
        return TRUE;
    }
    case SPI_GETSCREENSAVEACTIVE:
    case SPI_GETSCREENSAVERRUNNING:
        *static_cast<BOOL*>(out) = FALSE;
        return TRUE;
    case SPI_GETSCREENSAVETIMEOUT:
        *static_cast<UINT*>(out) = 0;
        return TRUE;
    default:
        return FALSE;
    }
}

HMODULE GetModuleHandleA(LPCSTR name)
{
    static char programModule;
    return name ? nullptr : reinterpret_cast<HMODULE>(&programModule);
}

