// Demo recording and playback: the demo file, the input events recorded as
// the main loop hands them on and replayed update by update, and the values
// synchronised through the stream.
#include "framework/app/KivoAppBase.h"

#include "framework/app/AppFiles.h"
#include "framework/app/DemoDialogs.h"
#include "framework/widgets/EditWidget.h"
#include "framework/app/DemoFile.h"
#include "framework/core/PakFile.h"
#include "framework/core/Random.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Paths.h"
#include "platform/ReplaceFile.h"
#include "platform/Windows.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace Kivo {

namespace {

// An event header is at least 6 bits; fewer left are the last byte's padding.
constexpr int kMinEventBits = 6;

// Bytes still unread in the stream.
int RemainingBytes(const Buffer& b)
{
    return (b.bitSize - b.readPos) / 8;
}

// A length read from the stream, held to the bytes that remain.
std::vector<uint8_t> ReadStreamBytes(Buffer& b, int32_t length)
{
    const int n = std::clamp(length, 0, RemainingBytes(b));
    std::vector<uint8_t> bytes(size_t(n), 0);
    if (n > 0)
        b.ReadBytes(bytes.data(), n);
    return bytes;
}

} // namespace

void KivoAppBase::WriteDemoEvent(bool shortForm, int command)
{
    WriteEventHeader();
    demoBuffer.WriteNumBits(shortForm ? 1 : 0, 1);
    demoBuffer.WriteNumBits(uint32_t(command), shortForm ? 1 : 5);
}

bool KivoAppBase::DemoStreamEnded() const
{
    return demoBuffer.bitSize - demoBuffer.readPos < kMinEventBits;
}

void KivoAppBase::WriteDemoFile()
{
    if (!demoRecording)
        return;
    DemoFile demo;
    demo.seed = randomSeed;
    demo.productVersion = productVersion;
    demo.markers = demoMarkers;
    demo.endUpdate = updateCount;
    demo.events.assign(demoBuffer.data.begin(), demoBuffer.data.begin() + demoBuffer.GetDataLen());
    const std::vector<uint8_t> bytes = EncodeDemoFile(demo);
    std::string error;
    if (!platform::ReplaceFile(platform::DiskPath(demoFileName), bytes.data(), bytes.size(), &error))
        std::fprintf(stderr, "Demo not written: %s\n", error.c_str());
}

bool KivoAppBase::ReadDemoFile(std::string& error)
{
    FILE* file = std::fopen(platform::DiskPath(demoFileName).c_str(), "rb");
    if (!file) {
        error = "Demo file not found: " + demoFileName;
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    while (size_t n = std::fread(chunk, 1, sizeof chunk, file)) {
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (bytes.size() > kMaxDemoFileSize)
            break;
    }
    std::fclose(file);
    DemoFile demo;
    if (!DecodeDemoFile(bytes.data(), bytes.size(), productVersion, demo, error))
        return false;
    randomSeed = demo.seed;
    SeedRandom(randomSeed);
    demoMarkers = std::move(demo.markers);
    demoEndUpdate = demo.endUpdate;
    demoBuffer.Clear();
    demoBuffer = demo.events;
    demoBuffer.SeekFront();
    nextEventUpdate = 0;
    needHeader = true;
    return true;
}

void KivoAppBase::RecordDemoMessage(const MSG& msg)
{
    if (!demoRecording || shutdown)
        return;
    const UINT message = msg.message;
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: {
        int x = GET_X_LPARAM(msg.lParam), y = GET_Y_LPARAM(msg.lParam);
        // What the widgets will be handed, so that playback hands the same.
        if (widgetManager)
            widgetManager->MapMousePoint(x, y);
        if (!mouseIn)
            WriteDemoEvent(false, kDemoMouseEnter);
        const int dx = x - lastRecordedX, dy = y - lastRecordedY;
        if (std::abs(dx) >= 32 || std::abs(dy) >= 32) {
            WriteDemoEvent(false, kDemoMousePosition);
            demoBuffer.WriteNumBits(uint32_t(x), 12);
            demoBuffer.WriteNumBits(uint32_t(y), 12);
        } else if (dx != 0 || dy != 0) {
            WriteDemoEvent(true, kDemoShortMouseMove);
            demoBuffer.WriteNumBits(uint32_t(dx), 6);
            demoBuffer.WriteNumBits(uint32_t(dy), 6);
        }
        if (const MouseButtonMessage mouse = MouseButtonOf(message); mouse.button != 0) {
            WriteDemoEvent(true, kDemoShortMouseButton);
            demoBuffer.WriteNumBits(mouse.down ? 1 : 0, 1);
            demoBuffer.WriteNumBits(uint32_t(mouse.button), 3);
        }
        lastRecordedX = x;
        lastRecordedY = y;
        break;
    }
    case WM_MOUSEWHEEL:
        WriteDemoEvent(false, kDemoMouseWheel);
        demoBuffer.WriteNumBits(uint32_t(int16_t(HIWORD(msg.wParam)) / WHEEL_DELTA), 8);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        WriteDemoEvent(false, message == WM_KEYDOWN || message == WM_SYSKEYDOWN ? kDemoKeyDown : kDemoKeyUp);
        demoBuffer.WriteNumBits(uint32_t(msg.wParam), 8);
        break;
    case WM_CHAR:
        WriteDemoEvent(false, kDemoChar);
        demoBuffer.WriteNumBits(0, 1);
        demoBuffer.WriteNumBits(uint32_t(msg.wParam), 8);
        break;
    case WM_SIZE:
        if (msg.hwnd == hwnd) {
            WriteDemoEvent(false, kDemoMinimize);
            demoBuffer.WriteByte(msg.wParam == SIZE_MINIMIZED ? 1 : 0);
        }
        break;
    case WM_ACTIVATEAPP:
        if (msg.hwnd == hwnd) {
            WriteDemoEvent(false, kDemoActivation);
            demoBuffer.WriteNumBits(msg.wParam != 0 ? 1 : 0, 1);
        }
        break;
    case WM_CLOSE:
        if (msg.hwnd == hwnd || msg.hwnd == invisHwnd)
            WriteDemoEvent(false, kDemoClose);
        break;
    default:
        break;
    }
}

void KivoAppBase::RecordDemoCommand(int command)
{
    if (demoRecording && !shutdown)
        WriteDemoEvent(false, command);
}

void KivoAppBase::ProcessDemo()
{
    if (!demoPlaying || demoDialog)
        return;
    while (!shutdown && updateCount == nextEventUpdate && !(needHeader && DemoStreamEnded())) {
        if (!ReadEventHeader())
            break;
        needHeader = true;
        int& x = lastRecordedX;
        int& y = lastRecordedY;
        if (eventIsShort) {
            if (eventCommand == kDemoShortMouseMove) {
                x += int(demoBuffer.ReadNumBits(6, true));
                y += int(demoBuffer.ReadNumBits(6, true));
                if (widgetManager)
                    widgetManager->MouseMove(x, y);
            } else {
                const bool down = demoBuffer.ReadNumBits(1, false) != 0;
                const int code = int(demoBuffer.ReadNumBits(3, true));
                if (widgetManager)
                    down ? widgetManager->MouseDown(x, y, code) : widgetManager->MouseUp(x, y, code);
            }
            continue;
        }
        switch (eventCommand) {
        case kDemoMousePosition:
            x = int(demoBuffer.ReadNumBits(12, false));
            y = int(demoBuffer.ReadNumBits(12, false));
            if (widgetManager)
                widgetManager->MouseMove(x, y);
            break;
        case kDemoActivation:
            active = demoBuffer.ReadNumBits(1, false) != 0;
            UpdateFocusState();
            if (active && !windowed && widgetManager)
                widgetManager->MarkAllDirty();
            if (openURLPending && !active)
                OpenURLSucceeded(pendingURL);
            break;
        case kDemoMinimize: {
            const bool isMin = demoBuffer.ReadByte() != 0;
            if (isMin != minimized && !shutdown) {
                minimized = isMin;
                if (isMin) {
                    Mute(true);
                } else {
                    Unmute(true);
                    if (widgetManager)
                        widgetManager->MarkAllDirty();
                }
            }
            UpdateFocusState();
            break;
        }
        case kDemoKeyDown:
        case kDemoKeyUp: {
            const int key = int(demoBuffer.ReadNumBits(8, false));
            if (widgetManager)
                eventCommand == kDemoKeyDown ? widgetManager->KeyDown(key) : widgetManager->KeyUp(key);
            break;
        }
        case kDemoChar: {
            const bool wide = demoBuffer.ReadNumBits(1, false) != 0;
            const uint32_t c = demoBuffer.ReadNumBits(wide ? 16 : 8, false);
            if (widgetManager)
                widgetManager->KeyChar(char(c));
            break;
        }
        case kDemoClose:
            closeRequested = true;
            Shutdown();
            break;
        case kDemoMouseEnter:
            mouseIn = true;
            EnforceCursor();
            break;
        case kDemoMouseLeave:
            if (widgetManager)
                widgetManager->MouseExit(x, y);
            mouseIn = false;
            EnforceCursor();
            break;
        case kDemoLoadingDone:
            demoLoadingDone = true;
            break;
        case kDemoMouseWheel: {
            const int steps = int(demoBuffer.ReadNumBits(8, true));
            if (widgetManager)
                widgetManager->MouseWheel(steps);
            break;
        }
        case kDemoDisplaySettings:
            windowed = demoBuffer.ReadByte() != 0;
            refreshRate = demoBuffer.ReadByte();
            break;
        default:
            // Fillers; synchronised values are read by their operations.
            break;
        }
    }
}

bool KivoAppBase::DemoInputPending() const
{
    return demoPlaying && !demoDialog && updateCount == nextEventUpdate && !(needHeader && DemoStreamEnded());
}

void KivoAppBase::DemoSyncBuffer(Buffer& buffer)
{
    if (demoPlaying) {
        if (closeRequested)
            return;
        ReadEventHeader();
        needHeader = true;
        buffer.Clear();
        buffer = ReadStreamBytes(demoBuffer, demoBuffer.ReadLong());
    } else if (demoRecording) {
        WriteDemoEvent(false, kDemoSyncData);
        demoBuffer.WriteLong(buffer.GetDataLen());
        demoBuffer.WriteBytes(buffer.GetDataPtr(), buffer.GetDataLen());
    }
}

void KivoAppBase::DemoSyncBool(bool& value)
{
    Buffer b;
    b.WriteByte(value ? 1 : 0);
    DemoSyncBuffer(b);
    b.SeekFront();
    value = b.ReadByte() != 0;
}

void KivoAppBase::DemoSyncString(std::string& text)
{
    Buffer b;
    b.WriteString(text);
    DemoSyncBuffer(b);
    b.SeekFront();
    text = b.ReadString();
}

bool KivoAppBase::DemoReadFile(const std::string& path, Buffer& buffer, bool bypass)
{
    if (demoPlaying && !bypass) {
        if (closeRequested)
            return false;
        ReadEventHeader();
        needHeader = true;
        if (demoBuffer.ReadNumBits(1, false) == 0)
            return false;
        buffer.Clear();
        buffer = ReadStreamBytes(demoBuffer, demoBuffer.ReadLong());
        return true;
    }
    std::string bytes;
    const bool read = ReadWholeFile(path, bytes);
    if (read) {
        buffer.Clear();
        buffer.SetData(bytes.data(), int(std::min<size_t>(bytes.size(), kMaxDemoFileSize)));
    }
    if (demoRecording && !bypass) {
        WriteDemoEvent(false, kDemoFileRead);
        demoBuffer.WriteNumBits(read ? 1 : 0, 1);
        if (read) {
            demoBuffer.WriteLong(buffer.GetDataLen());
            demoBuffer.WriteBytes(buffer.GetDataPtr(), buffer.GetDataLen());
        }
    }
    return read;
}

bool KivoAppBase::DemoFileExists(const std::string& path)
{
    if (demoPlaying) {
        if (closeRequested)
            return true;
        ReadEventHeader();
        needHeader = true;
        return demoBuffer.ReadNumBits(1, false) != 0;
    }
    PakFileHandle* file = PakFileOpen(path.c_str(), "rb");
    const bool exists = file != nullptr;
    if (file)
        PakFileClose(file);
    if (demoRecording) {
        WriteDemoEvent(false, kDemoFileExists);
        demoBuffer.WriteNumBits(exists ? 1 : 0, 1);
    }
    return exists;
}

void KivoAppBase::DemoPlaybackKey(char c)
{
    // Seconds before the end for the keys '4' to '9'.
    static const int kSecondsBeforeEnd[] = { 120, 90, 60, 30, 10, 5 };
    switch (c) {
    case '+': speed *= 1.5; break;
    case '-': speed /= 1.5; break;
    case '=': speed = 1.0; break;
    case 'P':
    case 'p':
        paused = !paused;
        timeAcc = 0;
        lastAccTime = timeGetTime();
        break;
    case 'N':
    case 'n':
        ffTargetUpdate = updateCount + 1;
        ffStep = true;
        break;
    case 'M':
    case 'm':
        // To the next marker, and no further.
        for (const DemoMarker& marker : demoMarkers) {
            if (marker.update > updateCount) {
                ffTargetUpdate = marker.update;
                break;
            }
        }
        break;
    case '0': ffTargetUpdate = demoEndUpdate; break;
    case 'S':
    case 's': ToggleDemoSound(); break;
    case 'L':
    case 'l': ShowMarkerList(); break;
    case 'J':
    case 'j': ShowJumpToTime(); break;
    default:
        if (c >= '4' && c <= '9')
            ffTargetUpdate = demoEndUpdate - kSecondsBeforeEnd[c - '4'] * 1000 / updateStepMs;
        break;
    }
}

void KivoAppBase::ShowMarkerList()
{
    if (demoDialog || !widgetManager)
        return;
    demoDialog = new DemoMarkerDialog(*this);
    AddDialog(demoDialog);
}

void KivoAppBase::ShowJumpToTime()
{
    if (demoDialog || !widgetManager)
        return;
    auto* dialog = new DemoJumpDialog(*this);
    demoDialog = dialog;
    AddDialog(dialog);
    widgetManager->SetFocus(dialog->mEdit);
}

void KivoAppBase::CloseDemoDialog()
{
    if (!demoDialog)
        return;
    KillDialog(demoDialog);
    demoDialog = nullptr;
    // The live pointer moved the widgets' idea of the mouse; the recording's
    // position holds again.
    if (demoPlaying && widgetManager)
        widgetManager->MouseMove(lastRecordedX, lastRecordedY);
}

void KivoAppBase::ToggleDemoSound()
{
    if (GetMusicVolume() == 0) {
        SetMusicVolume(savedMusicVolume);
    } else {
        savedMusicVolume = GetMusicVolume();
        SetMusicVolume(0);
    }
    if (GetSfxVolume() == 0) {
        SetSfxVolume(savedSfxVolume);
    } else {
        savedSfxVolume = GetSfxVolume();
        SetSfxVolume(0);
    }
}

} // namespace Kivo
