#include "framework/app/KivoAppBase.h"

#include "framework/app/CrashCatcher.h"

#include "framework/core/PakInterface.h"
#include "framework/core/Paths.h"
#include "framework/core/Random.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Paths.h"
#include "platform/Windows.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/Shell.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace Kivo {

namespace {

using SHGetFolderPathFunc = HRESULT (*)(HWND, int, HANDLE, DWORD, LPSTR);

// Looks "SHGetFolderPathA" up in `library`; when it is missing the library
// is freed again and both results are null.
SHGetFolderPathFunc GetSHGetFolderPath(const char* library, HMODULE* module)
{
    *module = LoadLibraryA(library);
    if (!*module)
        return nullptr;
    auto func = reinterpret_cast<SHGetFolderPathFunc>(GetProcAddress(*module, "SHGetFolderPathA"));
    if (!func) {
        FreeLibrary(*module);
        *module = nullptr;
    }
    return func;
}

// Worked out once; asked again while neither version query answers.
bool IsVistaOrLater()
{
    static int known = -1;
    if (known >= 0)
        return known == 1;
    OSVERSIONINFOA info {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return false;
    known = info.dwMajorVersion >= 6 ? 1 : 0;
    return known == 1;
}

// The two built-in cursors, 32 x 32: '#' black outline, '+' white fill,
// anything else clear.
const char* const kHandCursor[32] = {
    "", "", "", "",
    "           ##",
    "          #++#",
    "          #++#",
    "          #++#",
    "          #++#",
    "          #++###",
    "          #++#++###",
    "          #++#++#++##",
    "       ## #++#++#++#+#",
    "      #++##++++++++#+#",
    "      #+++#+++++++++++#",
    "       #++#+++++++++++#",
    "        #++++++++++++#",
    "        #++++++++++++#",
    "         #+++++++++++#",
    "         #++++++++++#",
    "          #+++++++++#",
    "          #++++++++#",
    "           #+++++++#",
    "           #+++++++#",
    "           #+++++++#",
    "           #########",
};

const char* const kDragCursor[32] = {
    "", "", "", "",
    "           ## ##",
    "       ## #++#++# ##",
    "      #++##++#++##++#",
    "      #++##++#++##++#",
    "       #++#++#++#++#",
    "       #++#++#++#++#",
    "    ##  #++++++++++#",
    "   #++# #++++++++++#",
    "   #+++##++++++++++#",
    "    #+++#+++++++++++#",
    "     #++++++++++++++#",
    "      #+++++++++++++#",
    "       #+++++++++++#",
    "       #+++++++++++#",
    "        #+++++++++#",
    "        #+++++++++#",
    "         #+++++++#",
    "         #+++++++#",
    "         #+++++++#",
    "         #+++++++#",
    "         #+++++++#",
    "         #########",
};

HCURSOR MakeCursor(const char* const art[32], int hotX, int hotY)
{
    uint8_t andMask[128], xorMask[128];
    for (int y = 0; y < 32; ++y) {
        const char* row = art[y] ? art[y] : "";
        bool ended = false;
        for (int x = 0; x < 32; ++x) {
            ended = ended || row[x] == 0;
            const char c = ended ? ' ' : row[x];
            const int byte = y * 4 + x / 8, bit = 0x80 >> (x % 8);
            if (x % 8 == 0)
                andMask[byte] = 0, xorMask[byte] = 0;
            if (c == '#') {
                // AND 0, XOR 0: black
            } else if (c == '+') {
                xorMask[byte] |= uint8_t(bit); // AND 0, XOR 1: white
            } else {
                andMask[byte] |= uint8_t(bit); // AND 1, XOR 0: clear
            }
        }
    }
    return CreateCursor(GetModuleHandleA(nullptr), hotX, hotY, 32, 32, andMask, xorMask);
}

} // namespace

bool IsAbsoluteWindowsPath(const std::string& path)
{
    return path.size() >= 2 && (path[1] == ':' || (path.size() >= 3 && path[2] == '\\'));
}

void KivoAppBase::AddDataArchive(const std::string& name, bool required)
{
    if (!gPakInterface || gPakInterface->AddPakFile(name))
        return;
    // A damaged archive always ends start-up; a missing one only where the
    // application reads everything from it (others may read loose files
    // instead).
    std::error_code ec;
    const bool present = std::filesystem::exists(platform::DiskPath(name), ec);
    if (!present && !required)
        return;
    Popup(present ? "The data archive " + name + " in " + programFolder + " is damaged and cannot be read."
                  : "The data archive " + name + " is missing from " + programFolder + ".");
    Exit(1);
}

void KivoAppBase::Init()
{
    mainThreadId = GetCurrentThreadId();
    if (shutdown)
        return;
    CatchStopSignals();

    if (!gDDrawDll || !gDSoundDll) {
        MessageBoxA(nullptr,
                    GetString("APP_REQUIRES_DIRECTX",
                              "This application requires DirectX to run.  You can get DirectX at "
                              "http://www.microsoft.com/directx")
                        .c_str(),
                    GetString("YOU_NEED_DIRECTX", "You need DirectX").c_str(), MB_ICONERROR);
        Exit(0);
    }

    // Start-up's registry changes (the run in progress, the display test's
    // verdict) are written together once the first frame is out.
    startupRegistryWrites.emplace();
    PreRegistryHook();
    ReadFromRegistry();

    if (IsVistaOrLater() || !GetBoolean("use_game_folder", true)) {
        HMODULE module = nullptr;
        SHGetFolderPathFunc getFolderPath = GetSHGetFolderPath("shell32.dll", &module);
        if (!getFolderPath)
            getFolderPath = GetSHGetFolderPath("shfolder.dll", &module);
        if (getFolderPath) {
            char path[MAX_PATH] = {};
            // A failed query leaves the data folder empty (the working folder)
            // rather than taking whatever the buffer holds.
            if (SUCCEEDED(getFolderPath(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, path))) {
                std::string folder = path;
                if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
                    folder.pop_back();
                SetAppDataFolder(folder + "\\" + companyName + "\\" + productName + "\\");
                if (!demoFileName.empty() && !IsAbsoluteWindowsPath(demoFileName) && demoFileName[0] != '/')
                    demoFileName = GetAppDataFolder() + demoFileName;
            }
            FreeLibrary(module);
        }
    }

    if (!cmdLineParsed)
        ParseCmdLine();
    if (screensaverMode)
        singleInstanceSignal = false;

    if (!ChangeDirHook(programFolder))
        _chdir(programFolder.c_str());

    AddDataArchive("main.pak", requireMainPak);

    notifyMessageId = RegisterWindowMessageA(("Notify" + productName).c_str());

    mutex = CreateMutexA(nullptr, TRUE, (productName + "Mutex").c_str());
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        SignalOtherInstanceAndExit();

    randomSeed = GetTickCount();
    SeedRandom(randomSeed);
    if (demoPlaying) {
        std::string error;
        if (!ReadDemoFile(error)) {
            demoPlaying = false;
            Popup(error);
            Exit(0);
        }
    }

    WNDCLASSA wc {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = KivoWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(wc.hInstance, "IDI_MAIN_ICON");
    wc.lpszClassName = "MainWindow";
    RegisterClassA(&wc);
    wc.style = 0;
    wc.hIcon = nullptr;
    wc.lpszClassName = "InvisWindow";
    RegisterClassA(&wc);

    invisHwnd = CreateWindowExA(0, "InvisWindow", title.c_str(), 0, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(invisHwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));

    handCursor = MakeCursor(kHandCursor, 11, 4);
    draggingCursor = MakeCursor(kDragCursor, 15, 10);

    PostWindowClassHook();

    if (widgetManager)
        widgetManager->SetMouseMapping(Rect(0, 0, width, height), Rect(0, 0, width, height));

    if (windowed && !fullscreenWindow &&
        (width >= GetSystemMetrics(SM_CXFULLSCREEN) || height >= GetSystemMetrics(SM_CYFULLSCREEN))) {
        windowed = false;
        forceFullscreen = true;
    }

    MakeWindow();
    if (demoPlaying) {
        // The display as the recording had it.
        ReadEventHeader();
        needHeader = true;
        windowed = demoBuffer.ReadByte() != 0;
        refreshRate = demoBuffer.ReadByte();
    }

    if (!soundManager)
        soundManager = new DSoundManager(musicDisabled ? nullptr : hwnd, useFMod);
    SetSfxVolume(sfxVolume);
    musicInterface = CreateMusicInterface(invisHwnd);
    SetMusicVolume(musicVolume);

    if (screensaverMode) {
        cursorNum = 11;
        EnforceCursor();
    }
    InitHook();
    CrashCatcher::Instance().Prepare(this);
    initialized = true;
}

} // namespace Kivo
