#pragma once
// The window backend interface: one top-level window at a time, its events
// in the backend's own terms, the desktop, cursors and the clipboard.
// Backends only translate; platform/win32/Messages turns these events into
// Windows messages with Windows' order and rules.
#include <cstdint>
#include <deque>
#include <string>

namespace platform {

struct WindowEvent {
    enum Kind {
        MouseMove,    // x, y in client pixels
        MouseButton,  // button 1 left, 2 middle, 3 right; down; clicks (2 = second click of a double click)
        MouseWheel,   // wheel: notches up positive, fractional where the device reports precise steps
        MouseEnter,
        MouseLeave,
        Key,          // key: Windows virtual-key code; down; repeat
        Text,         // text: UTF-8
        FocusGained,
        FocusLost,
        Minimized,
        Maximized,
        Restored,
        Moved,        // x, y: the window's new position on the desktop
        Close,
    };
    Kind kind = MouseMove;
    int x = 0;
    int y = 0;
    int button = 0;
    int clicks = 1;
    bool down = false;
    bool repeat = false;
    int key = 0;
    float wheel = 0;
    std::string text;
};

struct DesktopRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // False when no window can be made (no video driver).
    virtual bool Available() { return true; }
    // Opens the window; `fullscreen` covers the desktop. A second call
    // replaces the window.
    virtual bool Open(const std::string& title, int x, int y, int width, int height, bool fullscreen, bool visible) = 0;
    virtual void Close() = 0;
    virtual void Show(bool show) = 0;
    virtual void Move(int x, int y, int width, int height) = 0;
    virtual void Raise() = 0;
    virtual void Restore() = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // The open window's icon, 32-bit ARGB rows top down.
    virtual void SetIcon(const uint32_t* argb, int width, int height) { (void)argb, (void)width, (void)height; }
    // The next event, false when none waits. Never blocks.
    virtual bool Poll(WindowEvent& event) = 0;
    virtual DesktopRect Screen() = 0;
    virtual DesktopRect WorkArea() = 0;
    // Cursor images: 32 x 32, one bit per pixel, rows of 4 bytes, in the
    // SDL sense (data 1 mask 1 black, data 0 mask 1 white, mask 0 clear).
    virtual void* CreateCursor(const uint8_t* data, const uint8_t* mask, int hotX, int hotY) = 0;
    // A system cursor by Windows IDC_* number; null when there is none.
    virtual void* SystemCursor(int idc) = 0;
    // Null hides the cursor.
    virtual void SetCursor(void* cursor) = 0;
    virtual void DestroyCursor(void* cursor) = 0;
    virtual void WarpMouse(int x, int y) = 0;
    virtual void SetCapture(bool on) = 0;
    // Desktop coordinates of the pointer and of the window's client origin.
    virtual void MousePosition(int& x, int& y) = 0;
    virtual void ClientOrigin(int& x, int& y) = 0;
    virtual bool HasInputFocus() = 0;
    // UTF-8 text.
    virtual void SetClipboard(const std::string& text) = 0;
    virtual std::string GetClipboard() = 0;
    // The display's refresh rate in Hz, 0 when unknown.
    virtual int RefreshRate() { return 0; }
    // The backend's own handle of the open window (for its presenter); null
    // when none is open.
    virtual void* NativeWindow() { return nullptr; }
    // Takes the window off the screen from inside a crash's signal handler:
    // only calls that are safe there, no locks, whatever the crashed thread
    // was doing. Nothing of the window system is used in this process after.
    virtual void HideAfterCrash() {}
};

// Windows for tests and tools: nothing is shown; events come from a script,
// the desktop is 1024 x 768 with a 40-pixel task bar at the bottom, and the
// clipboard is a string.
class ScriptedWindows final : public WindowSystem {
public:
    bool Open(const std::string& title, int x, int y, int width, int height, bool fullscreen, bool visible) override;
    void Close() override { open = false; }
    void Show(bool show) override { visible = show; }
    void Move(int x, int y, int width, int height) override;
    void Raise() override { focused = true; }
    void Restore() override { minimized = false; }
    void SetTitle(const std::string& t) override { title = t; }
    void SetIcon(const uint32_t*, int width, int height) override { iconWidth = width, iconHeight = height; }
    bool Poll(WindowEvent& event) override;
    DesktopRect Screen() override { return screen; }
    DesktopRect WorkArea() override { return workArea; }
    void* CreateCursor(const uint8_t* data, const uint8_t* mask, int hotX, int hotY) override;
    void* SystemCursor(int idc) override;
    void SetCursor(void* cursor) override { currentCursor = cursor; }
    void DestroyCursor(void* cursor) override;
    void WarpMouse(int x, int y) override { mouseX = windowX + x, mouseY = windowY + y; }
    void SetCapture(bool on) override { captured = on; }
    void MousePosition(int& x, int& y) override { x = mouseX, y = mouseY; }
    void ClientOrigin(int& x, int& y) override { x = windowX, y = windowY; }
    bool HasInputFocus() override { return focused; }
    void SetClipboard(const std::string& text) override { clipboard = text; }
    std::string GetClipboard() override { return clipboard; }
    int RefreshRate() override { return refreshRate; }
    void HideAfterCrash() override { visible = false; }

    void Push(const WindowEvent& event) { events.push_back(event); }

    std::deque<WindowEvent> events;
    DesktopRect screen { 0, 0, 1024, 768 };
    DesktopRect workArea { 0, 0, 1024, 728 };
    std::string title;
    int iconWidth = 0;
    int iconHeight = 0;
    bool open = false;
    bool visible = false;
    bool fullscreen = false;
    bool focused = true;
    bool minimized = false;
    bool captured = false;
    int windowX = 0, windowY = 0, windowWidth = 0, windowHeight = 0;
    int mouseX = 0, mouseY = 0;
    int refreshRate = 60;
    int opens = 0;
    void* currentCursor = nullptr;
    int liveCursors = 0;
    std::string clipboard;
};

} // namespace platform
