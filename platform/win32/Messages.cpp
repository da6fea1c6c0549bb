#include "platform/win32/WindowState.h"

#include "platform/gdi/Cp1252.h"
#include "platform/win32/Time.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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

// Broadcasts of registered messages between the user's processes, as
// Windows posts HWND_BROADCAST to every top-level window of the desktop:
// while a process shows a window it listens on a datagram socket named
// after its process id in a folder of the user's own. A notice carries the
// message's registered name (ids are this process's own), then wParam and
// lParam.
namespace {

constexpr size_t kMaxNotice = 512;
int gInbox = -1;
std::string gInboxPath;

// "$XDG_RUNTIME_DIR/kivo-windows", else "/tmp/kivo-windows-<uid>"; made
// when missing. Empty unless it is a folder of this user's that nobody else
// may enter (so that only the user's own programs can post).
std::string NoticeFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = runtime && *runtime == '/' ? std::string(runtime) + "/kivo-windows"
                                                         : "/tmp/kivo-windows-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 077))
        return {};
    return folder;
}

bool SocketAddress(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool IsProcessId(const char* name)
{
    if (!*name)
        return false;
    for (const char* p = name; *p; ++p)
        if (*p < '0' || *p > '9')
            return false;
    return true;
}

void SendNotice(const std::string& name, WPARAM wParam, LPARAM lParam)
{
    const std::string folder = NoticeFolder();
    if (folder.empty() || name.size() + 1 + 2 * sizeof(uint64_t) > kMaxNotice)
        return;
    char notice[kMaxNotice];
    const uint64_t words[2] = { uint64_t(wParam), uint64_t(lParam) };
    std::memcpy(notice, name.c_str(), name.size() + 1);
    std::memcpy(notice + name.size() + 1, words, sizeof words);
    const size_t length = name.size() + 1 + sizeof words;
    const int out = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    DIR* dir = out >= 0 ? opendir(folder.c_str()) : nullptr;
    if (!dir) {
        if (out >= 0)
            close(out);
        return;
    }
    const std::string self = std::to_string(getpid());
    while (const dirent* entry = readdir(dir)) {
        if (!IsProcessId(entry->d_name) || self == entry->d_name)
            continue;
        const std::string path = folder + "/" + entry->d_name;
        sockaddr_un address;
        if (!SocketAddress(path, address))
            continue;
        // A process that ended without taking its socket away leaves it
        // refusing: it goes.
        if (sendto(out, notice, length, MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&address),
                   sizeof address) < 0 && errno == ECONNREFUSED)
            unlink(path.c_str());
    }
    closedir(dir);
    close(out);
}

void ReceiveNotices()
{
    WindowState& s = Windows();
    char notice[kMaxNotice + 1];
    ssize_t n;
    while (gInbox >= 0 && (n = recv(gInbox, notice, kMaxNotice, MSG_DONTWAIT)) > 0) {
        notice[n] = 0;
        const size_t nameLength = std::strlen(notice);
        uint64_t words[2];
        if (nameLength + 1 + sizeof words != size_t(n))
            continue;
        std::memcpy(words, notice + nameLength + 1, sizeof words);
        // A message this process never registered means nothing here.
        const auto it = s.registeredMessages.find(notice);
        if (it == s.registeredMessages.end())
            continue;
        const DWORD now = GetTickCount();
        for (auto& [handle, rec] : s.windows)
            s.queue.push_back(MSG { handle, it->second, WPARAM(words[0]), LPARAM(words[1]), now, { 0, 0 } });
    }
}

} // namespace

void OpenNoticeInbox()
{
    if (gInbox >= 0)
        return;
    const std::string folder = NoticeFolder();
    sockaddr_un address;
    const std::string path = folder + "/" + std::to_string(getpid());
    if (folder.empty() || !SocketAddress(path, address))
        return;
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return;
    }
    gInbox = fd;
    gInboxPath = path;
}

void CloseNoticeInbox()
{
    if (gInbox < 0)
        return;
    close(gInbox);
    // A process made by fork shares the socket but does not own its name.
    if (gInboxPath.substr(gInboxPath.rfind('/') + 1) == std::to_string(getpid()))
        unlink(gInboxPath.c_str());
    gInbox = -1;
    gInboxPath.clear();
}

void PumpBackend()
{
    WindowEvent event;
    while (Backing().Poll(event))
        TranslateEvent(event);
    ReceiveNotices();
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
        for (const auto& [name, id] : s.registeredMessages)
            if (id == message)
                SendNotice(name, wParam, lParam);
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
