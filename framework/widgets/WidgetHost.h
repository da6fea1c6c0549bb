#pragma once
// What the widget toolkit and the screens need of the application object.
// The application implements it and installs itself with SetWidgetHost;
// tests install a double.
#include <string>

namespace Kivo {

class Dialog;
class DialogListener;
class Image;
class Widget;
class WidgetManager;

enum Cursor { CURSOR_POINTER = 0, CURSOR_HAND = 1, CURSOR_DRAGGING = 2, CURSOR_TEXT = 3 };

class WidgetHost {
public:
    virtual ~WidgetHost() = default;

    // Stores the wanted cursor (a Cursor) and applies it at once.
    virtual void SetCursor(int cursorNum) = 0;
    virtual bool Is3DAccelerated() = 0;
    // Takes a widget that a running pass may still use and deletes it after
    // that pass (see SafeDeleteList).
    virtual void SafeDeleteWidget(Widget* widget) = 0;
    // True while the application quits.
    virtual bool IsShuttingDown() = 0;
    // The game area (800 x 600).
    virtual int GetWidth() = 0;
    virtual int GetHeight() = 0;
    virtual WidgetManager* GetWidgetManager() = 0;
    // Locks the screen image for a whole draw when it is a display surface;
    // false when it is not one or the lock failed. Unlock only after a
    // successful lock.
    virtual bool LockScreenImage(Image* image) = 0;
    virtual void UnlockScreenImage(Image* image) = 0;

    // The listener every dialog reports to unless given another.
    virtual DialogListener* GetDialogListener() { return nullptr; }
    // One step of the main loop (messages, input, updates, drawing); false
    // once the application no longer runs. Modal waits call it in a loop.
    virtual bool UpdateAppStep(bool* updated)
    {
        if (updated)
            *updated = false;
        return false;
    }
    // Removes the dialog of that id from the tree and deletes it after the
    // pass; false when no dialog has the id.
    virtual bool KillDialog(int id)
    {
        (void)id;
        return false;
    }
    virtual void CopyToClipboard(const std::string& text) { (void)text; }
    // The clipboard's text; empty when it holds none.
    virtual std::string GetClipboard() { return std::string(); }
    // Characters 128 to 255 may be typed.
    virtual bool AllowHighCharacters() { return false; }
    // Sizes a dialog without a width, records it under its id and adds it
    // to the tree, as the base-modal widget when it is modal.
    virtual void AddDialog(Dialog* dialog) { (void)dialog; }
    virtual bool IsWindowed() { return true; }
    // The pointer is inside the application's window.
    virtual bool IsMouseInWindow() { return false; }
    // The Windows cursor is hidden and the game draws its own.
    virtual bool CustomCursorsOn() { return false; }
    // The display mode used in full screen; false when there is none.
    virtual bool GetFullScreenSize(int* width, int* height)
    {
        (void)width, (void)height;
        return false;
    }
};

// The application; null until one is installed.
WidgetHost* GetWidgetHost();
void SetWidgetHost(WidgetHost* host);

} // namespace Kivo
