#pragma once
// State shared by the window, message and cursor calls of this layer.
// Main thread only, as on Windows where windows belong to their thread.
#include "platform/WindowSystem.h"
#include "platform/win32/Messages.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace platform {

struct WindowRecord {
    WNDPROC proc = nullptr;
    LONG_PTR userData = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    bool visible = false;
    bool minimized = false;
    // Shown through the backend (the main window); others live only here.
    bool backed = false;
};

struct Timer {
    HWND window;
    UINT_PTR id;
    DWORD period;
    DWORD next;
};

struct WindowState {
    std::map<std::string, WNDCLASSA> classes;
    std::map<HWND, WindowRecord> windows;
    uintptr_t nextHandle = 0x100;
    HWND backedWindow = nullptr;
    std::deque<MSG> queue;
    std::vector<Timer> timers;
    std::map<std::string, UINT> registeredMessages;
    HWND capture = nullptr;
    bool active = false;
    bool mouseInside = false;
    int lastMouseX = 0, lastMouseY = 0;
    WPARAM buttons = 0; // MK_LBUTTON, MK_RBUTTON, MK_MBUTTON
    float wheelCarry = 0;
    // Key state as the backend's events left it, and as the messages taken
    // from the queue so far left it (what TranslateMessage and GetKeyState
    // see, as on Windows).
    uint8_t keys[256] = {};
    uint8_t messageKeys[256] = {};
};

WindowState& Windows();
WindowRecord* FindWindowRecord(HWND window);
WindowSystem& Backing();
// The main window becomes the active one or stops being it; the activation
// messages are queued only for a change.
void Activate(bool on);
// Turns one backend event into messages at the end of the queue.
void TranslateEvent(const WindowEvent& event);
// Takes every waiting backend event, and every registered message other
// processes broadcast, into the queue.
void PumpBackend();
// While the process shows a window, other processes' broadcasts of
// registered messages reach it (PostMessageA to HWND_BROADCAST).
void OpenNoticeInbox();
void CloseNoticeInbox();

} // namespace platform
