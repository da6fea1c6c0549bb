#include "platform/sdl/SdlWindows.h"
#include "platform/sdl/SdlPresenter.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <sys/socket.h>

namespace platform {
namespace {

// SDL key codes to Windows virtual-key codes; 0 where Windows has none.
int VirtualKey(SDL_Keycode k)
{
    if (k >= SDLK_a && k <= SDLK_z)
        return 'A' + (k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9)
        return '0' + (k - SDLK_0);
    if (k >= SDLK_F1 && k <= SDLK_F12)
        return 0x70 + (k - SDLK_F1);
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9)
        return 0x61 + (k - SDLK_KP_1);
    switch (k) {
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_RETURN: case SDLK_KP_ENTER: return 0x0D;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 0x10;
    case SDLK_LCTRL: case SDLK_RCTRL: return 0x11;
    case SDLK_LALT: case SDLK_RALT: return 0x12;
    case SDLK_PAUSE: return 0x13;
    case SDLK_CAPSLOCK: return 0x14;
    case SDLK_ESCAPE: return 0x1B;
    case SDLK_SPACE: return 0x20;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    case SDLK_KP_0: return 0x60;
    case SDLK_KP_MULTIPLY: return 0x6A;
    case SDLK_KP_PLUS: return 0x6B;
    case SDLK_KP_MINUS: return 0x6D;
    case SDLK_KP_PERIOD: return 0x6E;
    case SDLK_KP_DIVIDE: return 0x6F;
    case SDLK_SEMICOLON: return 0xBA;
    case SDLK_EQUALS: return 0xBB;
    case SDLK_COMMA: return 0xBC;
    case SDLK_MINUS: return 0xBD;
    case SDLK_PERIOD: return 0xBE;
    case SDLK_SLASH: return 0xBF;
    case SDLK_BACKQUOTE: return 0xC0;
    case SDLK_LEFTBRACKET: return 0xDB;
    case SDLK_BACKSLASH: return 0xDC;
    case SDLK_RIGHTBRACKET: return 0xDD;
    case SDLK_QUOTE: return 0xDE;
    default: return 0;
    }
}

// The socket of the window's connection to the display server, -1 when it
// cannot be told.
int ConnectionSocket(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info))
        return -1;
#if defined(SDL_VIDEO_DRIVER_X11)
    if (info.subsystem == SDL_SYSWM_X11)
        return ConnectionNumber(info.info.x11.display);
#endif
#if defined(SDL_VIDEO_DRIVER_WAYLAND)
    if (info.subsystem == SDL_SYSWM_WAYLAND) {
        // SDL loaded the Wayland library itself; it is asked, not loaded.
        if (void* library = dlopen("libwayland-client.so.0", RTLD_LAZY | RTLD_NOLOAD)) {
            using GetFd = int (*)(wl_display*);
            const auto getFd = reinterpret_cast<GetFd>(dlsym(library, "wl_display_get_fd"));
            const int fd = getFd ? getFd(info.info.wl.display) : -1;
            dlclose(library);
            return fd;
        }
    }
#endif
    return -1;
}

SDL_SystemCursor SdlSystemCursor(int idc)
{
    switch (idc) {
    case 32513: return SDL_SYSTEM_CURSOR_IBEAM;
    case 32514: return SDL_SYSTEM_CURSOR_WAIT;
    case 32642: return SDL_SYSTEM_CURSOR_SIZENWSE;
    case 32643: return SDL_SYSTEM_CURSOR_SIZENESW;
    case 32644: return SDL_SYSTEM_CURSOR_SIZEWE;
    case 32645: return SDL_SYSTEM_CURSOR_SIZENS;
    case 32646: return SDL_SYSTEM_CURSOR_SIZEALL;
    case 32648: return SDL_SYSTEM_CURSOR_NO;
    case 32649: return SDL_SYSTEM_CURSOR_HAND;
    default: return SDL_SYSTEM_CURSOR_ARROW;
    }
}

class SdlWindows final : public WindowSystem {
public:
    ~SdlWindows() override
    {
        Close();
        if (started_) {
            std::lock_guard lock(SdlSubsystemLock());
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
    }

    bool Available() override { return Start(); }
    void* NativeWindow() override { return gone_ ? nullptr : window_; }

    // Ends the connection to the display server under the library's feet:
    // the server takes every window of a client that goes at once. Events
    // and frames stop here, so that a thread still running never finds the
    // connection gone.
    void HideAfterCrash() override
    {
        gone_ = true;
        if (const int fd = connection_.load(); fd >= 0)
            shutdown(fd, SHUT_RDWR);
    }

    bool Open(const std::string& title, int x, int y, int width, int height, bool fullscreen, bool visible) override
    {
        if (!Start())
            return false;
        Close();
        // Made hidden: the renderer comes first, then the window is shown, so
        // the window the user sees is the one that stays.
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if (fullscreen) {
            // Full screen is a borderless window over the whole desktop; the
            // presenter scales the frame into it with its aspect kept. The
            // desktop's own mode is never changed, and it works alike with
            // or without a window manager (Xvfb has none).
            SDL_Rect desktop;
            if (SDL_GetDisplayBounds(DisplayIndex(), &desktop) == 0) {
                flags |= SDL_WINDOW_BORDERLESS;
                x = desktop.x, y = desktop.y, width = desktop.w, height = desktop.h;
            } else {
                flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
            }
        }
        window_ = SDL_CreateWindow(title.c_str(), x, y, width, height, flags);
        if (!window_) {
            std::fprintf(stderr, "sdl: no window: %s\n", SDL_GetError());
            return false;
        }
        connection_ = ConnectionSocket(window_);
        SdlWindowRenderer(window_);
        if (visible)
            SDL_ShowWindow(window_);
        SDL_StartTextInput();
        return true;
    }

    void Close() override
    {
        if (window_) {
            // The renderer takes the presenter's texture with it.
            if (SDL_Renderer* renderer = SDL_GetRenderer(window_))
                SDL_DestroyRenderer(renderer);
            SDL_DestroyWindow(window_);
            window_ = nullptr;
        }
    }

    void Show(bool show) override
    {
        if (window_)
            show ? SDL_ShowWindow(window_) : SDL_HideWindow(window_);
    }

    void Move(int x, int y, int width, int height) override
    {
        if (!window_)
            return;
        SDL_SetWindowSize(window_, width, height);
        SDL_SetWindowPosition(window_, x, y);
    }

    void Raise() override
    {
        if (window_)
            SDL_RaiseWindow(window_);
    }

    void Restore() override
    {
        if (window_)
            SDL_RestoreWindow(window_);
    }

    void SetTitle(const std::string& title) override
    {
        if (window_)
            SDL_SetWindowTitle(window_, title.c_str());
    }

    void SetIcon(const uint32_t* argb, int width, int height) override
    {
        if (!window_)
            return;
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb), width, height, 32,
                                                                  width * 4, SDL_PIXELFORMAT_ARGB8888);
        if (!surface)
            return;
        SDL_SetWindowIcon(window_, surface);
        SDL_FreeSurface(surface);
    }

    bool Poll(WindowEvent& e) override
    {
        if (!started_ || gone_)
            return false;
        SDL_Event ev;
        while (SDL_PollEvent(&ev)) {
            if (Translate(ev, e))
                return true;
        }
        return false;
    }

    DesktopRect Screen() override
    {
        SDL_Rect r { 0, 0, 800, 600 };
        if (Start())
            SDL_GetDisplayBounds(DisplayIndex(), &r);
        return { r.x, r.y, r.w, r.h };
    }

    DesktopRect WorkArea() override
    {
        SDL_Rect r { 0, 0, 800, 600 };
        if (Start() && SDL_GetDisplayUsableBounds(DisplayIndex(), &r) != 0)
            SDL_GetDisplayBounds(DisplayIndex(), &r);
        return { r.x, r.y, r.w, r.h };
    }

    void* CreateCursor(const uint8_t* data, const uint8_t* mask, int hotX, int hotY) override
    {
        return Start() ? SDL_CreateCursor(data, mask, 32, 32, hotX, hotY) : nullptr;
    }

    void* SystemCursor(int idc) override
    {
        if (!Start())
            return nullptr;
        SDL_SystemCursor id = SdlSystemCursor(idc);
        if (!system_[id])
            system_[id] = SDL_CreateSystemCursor(id);
        return system_[id];
    }

    void SetCursor(void* cursor) override
    {
        if (!started_)
            return;
        if (cursor) {
            SDL_SetCursor(static_cast<SDL_Cursor*>(cursor));
            SDL_ShowCursor(SDL_ENABLE);
        } else {
            SDL_ShowCursor(SDL_DISABLE);
        }
    }

    void DestroyCursor(void* cursor) override
    {
        if (cursor)
            SDL_FreeCursor(static_cast<SDL_Cursor*>(cursor));
    }

    void WarpMouse(int x, int y) override
    {
        if (window_)
            SDL_WarpMouseInWindow(window_, x, y);
    }

    void SetCapture(bool on) override
    {
        if (started_)
            SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE);
    }

    void MousePosition(int& x, int& y) override
    {
        x = y = 0;
        if (started_)
            SDL_GetGlobalMouseState(&x, &y);
    }

    void ClientOrigin(int& x, int& y) override
    {
        x = y = 0;
        if (window_)
            SDL_GetWindowPosition(window_, &x, &y);
    }

    bool HasInputFocus() override
    {
        return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0;
    }

    void SetClipboard(const std::string& text) override
    {
        if (Start())
            SDL_SetClipboardText(text.c_str());
    }

    std::string GetClipboard() override
    {
        if (!Start() || !SDL_HasClipboardText())
            return {};
        char* text = SDL_GetClipboardText();
        std::string out = text ? text : "";
        SDL_free(text);
        return out;
    }

    int RefreshRate() override
    {
        SDL_DisplayMode mode;
        if (!Start() || SDL_GetCurrentDisplayMode(DisplayIndex(), &mode) != 0)
            return 0;
        return mode.refresh_rate;
    }

private:
    bool Start()
    {
        if (started_)
            return true;
        if (failed_)
            return false;
        std::lock_guard lock(SdlSubsystemLock());
        if (!InitVideo()) {
            std::fprintf(stderr, "No display could be opened (%s). Is DISPLAY or WAYLAND_DISPLAY set?\n",
                         SDL_GetError());
            failed_ = true;
            return false;
        }
        if (!ShowsSomething(SDL_GetCurrentVideoDriver())) {
            std::fprintf(stderr,
                         "No display could be opened: SDL fell back to its '%s' driver, which shows nothing. "
                         "Is DISPLAY or WAYLAND_DISPLAY set? (SDL_VIDEODRIVER=%s runs without a display.)\n",
                         SDL_GetCurrentVideoDriver(), SDL_GetCurrentVideoDriver());
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            failed_ = true;
            return false;
        }
        started_ = true;
        return true;
    }

    // SDL tries its drivers in turn, and the Wayland one has libwayland print
    // an error of its own when there is no compositor to talk to. Unless the
    // user names a driver, Wayland is tried only where WAYLAND_DISPLAY says a
    // compositor runs; the drivers that draw nowhere are not tried either, as
    // Start would turn them down.
    static bool InitVideo()
    {
        if (SDL_GetHint(SDL_HINT_VIDEODRIVER) || std::getenv("WAYLAND_DISPLAY"))
            return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        bool tried = false;
        for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
            const char* name = SDL_GetVideoDriver(i);
            if (!name || std::strcmp(name, "wayland") == 0 || !ShowsSomething(name))
                continue;
            tried = true;
            SDL_SetHint(SDL_HINT_VIDEODRIVER, name);
            const bool opened = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
            SDL_ResetHint(SDL_HINT_VIDEODRIVER);
            if (opened)
                return true;
        }
        if (!tried)
            SDL_SetError("No available video device");
        return false;
    }

    // Drivers that draw nowhere serve only runs that ask for them by name
    // (tests, headless tools); found by SDL's fallback they would leave a
    // game running with no window and no way to end it.
    static bool ShowsSomething(const char* driver)
    {
        if (!driver)
            return false;
        const std::string name = driver;
        if (name != "offscreen" && name != "dummy" && name != "evdev")
            return true;
        const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
        return asked && name == asked;
    }

    int DisplayIndex() const
    {
        int index = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
        return index < 0 ? 0 : index;
    }

    bool Translate(const SDL_Event& ev, WindowEvent& e)
    {
        e = WindowEvent();
        switch (ev.type) {
        case SDL_MOUSEMOTION:
            e.kind = WindowEvent::MouseMove;
            e.x = ev.motion.x, e.y = ev.motion.y;
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            e.kind = WindowEvent::MouseButton;
            e.down = ev.type == SDL_MOUSEBUTTONDOWN;
            e.button = ev.button.button;
            e.clicks = ev.button.clicks;
            e.x = ev.button.x, e.y = ev.button.y;
            return true;
        case SDL_MOUSEWHEEL:
            e.kind = WindowEvent::MouseWheel;
#if SDL_VERSION_ATLEAST(2, 0, 18)
            e.wheel = ev.wheel.preciseY;
#else
            e.wheel = float(ev.wheel.y);
#endif
            if (ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
                e.wheel = -e.wheel;
            return true;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            e.kind = WindowEvent::Key;
            e.down = ev.type == SDL_KEYDOWN;
            e.repeat = ev.key.repeat != 0;
            e.key = VirtualKey(ev.key.keysym.sym);
            return e.key != 0;
        case SDL_TEXTINPUT:
            e.kind = WindowEvent::Text;
            e.text = ev.text.text;
            return true;
        case SDL_QUIT:
            e.kind = WindowEvent::Close;
            return true;
        case SDL_WINDOWEVENT:
            switch (ev.window.event) {
            case SDL_WINDOWEVENT_CLOSE: e.kind = WindowEvent::Close; return true;
            case SDL_WINDOWEVENT_FOCUS_GAINED: e.kind = WindowEvent::FocusGained; return true;
            case SDL_WINDOWEVENT_FOCUS_LOST: e.kind = WindowEvent::FocusLost; return true;
            case SDL_WINDOWEVENT_MINIMIZED: e.kind = WindowEvent::Minimized; return true;
            case SDL_WINDOWEVENT_MAXIMIZED: e.kind = WindowEvent::Maximized; return true;
            case SDL_WINDOWEVENT_RESTORED: e.kind = WindowEvent::Restored; return true;
            case SDL_WINDOWEVENT_ENTER: e.kind = WindowEvent::MouseEnter; return true;
            case SDL_WINDOWEVENT_LEAVE: e.kind = WindowEvent::MouseLeave; return true;
            case SDL_WINDOWEVENT_MOVED:
                e.kind = WindowEvent::Moved;
                e.x = ev.window.data1, e.y = ev.window.data2;
                return true;
            default: return false;
            }
        default:
            return false;
        }
    }

    SDL_Window* window_ = nullptr;
    std::atomic<int> connection_ { -1 };
    std::atomic<bool> gone_ { false };
    SDL_Cursor* system_[SDL_NUM_SYSTEM_CURSORS] {};
    bool started_ = false;
    bool failed_ = false;
};

} // namespace

std::mutex& SdlSubsystemLock()
{
    static std::mutex lock;
    return lock;
}

std::unique_ptr<WindowSystem> MakeSdlWindows()
{
    return std::make_unique<SdlWindows>();
}

} // namespace platform
