#include "framework/app/KivoAppBase.h"

#include "framework/display/D3DInterface.h"
#include "framework/display/D3DTester.h"
#include "framework/display/DDImage.h"

#include "framework/app/DebugOverlay.h"
#include "framework/core/Paths.h"
#include "framework/core/Strings.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ResourceManager.h"
#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/SoundInstance.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Windows.h"
#include "platform/audio/Mixer.h"
#include "platform/dsound/DSound.h"
#include "platform/music/Bass.h"
#include "platform/music/Fmod.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/Shell.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace Kivo {

bool KivoAppBase::GetBoolean(const std::string& name, bool defaultValue)
{
    auto it = boolProperties.find(name);
    return it == boolProperties.end() ? defaultValue : it->second;
}

int KivoAppBase::GetInteger(const std::string& name, int defaultValue)
{
    auto it = intProperties.find(name);
    return it == intProperties.end() ? defaultValue : it->second;
}

double KivoAppBase::GetDouble(const std::string& name, double defaultValue)
{
    auto it = doubleProperties.find(name);
    return it == doubleProperties.end() ? defaultValue : it->second;
}

std::string KivoAppBase::GetString(const std::string& id, const std::string& defaultValue)
{
    auto it = stringProperties.find(id);
    return it == stringProperties.end() ? defaultValue : WStringToString(it->second);
}

std::string KivoAppBase::GetString(const std::string& id)
{
    return GetString(id, "");
}

void KivoAppBase::SetBoolean(const std::string& name, bool value)
{
    boolProperties[name] = value;
}

void KivoAppBase::SetInteger(const std::string& name, int value)
{
    intProperties[name] = value;
}

void KivoAppBase::SetDouble(const std::string& name, double value)
{
    doubleProperties[name] = value;
}

void KivoAppBase::SetString(const std::string& id, const std::wstring& value)
{
    stringProperties[id] = value;
}

void KivoAppBase::InsertStringList(const std::string& id, const std::vector<std::wstring>& list)
{
    stringVectorProperties.insert({ id, list });
}


KivoAppBase* gKivoApp = nullptr;

HMODULE gVersionDll = nullptr;
HMODULE gDDrawDll = nullptr;
HMODULE gDSoundDll = nullptr;

namespace {

[[noreturn]] void ExitProcess(int code)
{
    std::exit(code);
}

ExitFunction gExitFunction = nullptr;

} // namespace

void SetExitFunction(ExitFunction function)
{
    gExitFunction = function;
}

KivoAppBase::KivoAppBase()
{
    gKivoApp = this;
    SetWidgetHost(this);
    SetGraphicsHost(this);
    SetSoundHost(this);
    SetAudioHost(this);
    SetFontHost(this);

    // The libraries this system provides itself, looked up by name below and
    // by the sound code.
    platform::RegisterDirectSound();
    platform::RegisterBassLibrary();
    platform::RegisterFmodLibrary();
    platform::RegisterShellLibraries();

    gVersionDll = LoadLibraryA("version.dll");
    gDDrawDll = LoadLibraryA("ddraw.dll");
    gDSoundDll = LoadLibraryA("dsound.dll");
    LoadJ2KCodec();

    char path[MAX_PATH];
    if (GetModuleFileNameA(nullptr, path, MAX_PATH) > 0) {
        productVersion = GetProductVersion(path);
        programFolder = GetFileDir(path);
    }
    startTime = GetTickCount();
    lastPresentTime = nextDrawTime = timeGetTime();

    static const char* const kDefaultTexts[][2] = {
        { "DIALOG_BUTTON_OK", "OK" },
        { "DIALOG_BUTTON_CANCEL", "CANCEL" },
        { "UPDATE_CHECK_TITLE", "Update Check" },
        { "UPDATE_CHECK_BODY", "Checking if there are any updates available for this product ..." },
        { "UP_TO_DATE_TITLE", "Up to Date" },
        { "UP_TO_DATE_BODY", "There are no updates available for this product at this time." },
        { "NEW_VERSION_TITLE", "New Version" },
        { "NEW_VERSION_BODY", "There is an update available for this product.  Would you like to visit the web site to download it?" },
    };
    for (const auto& text : kDefaultTexts)
        SetString(text[0], StringToWString(text[1]));
    demoPrefix = "kivoapp";
    demoFileName = demoPrefix + ".dmo";

    widgetManager = new WidgetManager(this);
    resourceManager = new ResourceManager(&resourceHost);
    SetResourceHost(&resourceHost);

    if (GetSystemMetrics(SM_TABLETPC) != 0) {
        tabletPC = true;
        flipAllowed = false;
    }
}

KivoAppBase::~KivoAppBase()
{
    // The loader fills objects that the teardown below deletes: it must
    // have ended first.
    WaitForLoadingThread();
    Shutdown();
    WriteDemoFile();

    // Whether hardware acceleration stays on.
    bool asked = false;
    if (is3DChanged && ddInterface) {
        bool stored = false;
        const bool wasRead = RegistryReadBoolean("Is3D", &stored);
        D3DTester* tester = ddInterface->mD3DTester;
        if (wasRead || (tester && tester->mFailureReason.empty() && tester->mWarning.empty())) {
            RegistryWriteInteger("Is3D", ddInterface->mIs3D ? 1 : 0);
        } else if (ddInterface->mIs3D) {
            asked = true;
            const std::string caption =
                displayName + " " + GetString("HARDWARE_ACCEL_CONFIRMATION", "Hardware Acceleration Confirmation");
            const std::string text = GetString("HARDWARE_ACCEL_SWITCHED_ON",
                "Hardware Acceleration was switched on during this session.\r\n"
                "If this resulted in slower performance, it should be switched off.\r\n"
                "Would you like to keep Hardware Acceleration switched on?");
            if (MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES)
                RegistryWriteInteger("Is3D", 1);
            else
                ddInterface->mIs3D = false;
        }
    }
    if (!asked && ddInterface && gD3DRenderTargetFailed && !screensaverMode) {
        const std::string caption =
            displayName + " " + GetString("HARDWARE_ACCEL_CONFIRMATION", "Hardware Acceleration Confirmation");
        const std::string text = GetString("HARDWARE_ACCEL_NOT_WORKING",
            "Hardware Acceleration may not have been working correctly during this session.\r\n"
            "If you noticed graphics problems, you may want to turn off Hardware Acceleration.\r\n"
            "Would you like to keep Hardware Acceleration switched on?");
        if (MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDNO)
            RegistryWriteInteger("Is3D", 0);
    }

    for (auto& [id, dialog] : dialogMap) {
        widgetManager->RemoveWidget(dialog);
        delete dialog;
    }
    dialogMap.clear();
    dialogList.clear();
    // Widgets still waiting for deletion go before their manager.
    nestDepth = 0;
    safeDeleteList.Process(0);

    if (invisHwnd) {
        SetWindowLongPtrA(invisHwnd, GWL_USERDATA, 0);
        DestroyWindow(invisHwnd);
        invisHwnd = nullptr;
    }
    delete widgetManager;
    widgetManager = nullptr;
    delete resourceManager;
    resourceManager = nullptr;
    if (GetResourceHost() == &resourceHost)
        SetResourceHost(nullptr);

    {
        std::unique_ptr<std::lock_guard<std::recursive_mutex>> lock;
        if (ddInterface)
            lock = std::make_unique<std::lock_guard<std::recursive_mutex>>(ddInterface->mCritSect);
        for (auto& [key, shared] : sharedImageMap) {
            delete shared.mImage;
            shared.mImage = nullptr;
        }
        sharedImageMap.clear();
    }

    FreeDebugOverlays();
    delete ddInterface;
    ddInterface = nullptr;
    delete musicInterface;
    musicInterface = nullptr;
    delete soundManager;
    soundManager = nullptr;

    if (hwnd) {
        SetWindowLongPtrA(hwnd, GWL_USERDATA, 0);
        DestroyWindow(hwnd);
        hwnd = nullptr;
    }
    if (handCursor)
        DestroyCursor(handCursor);
    if (draggingCursor)
        DestroyCursor(draggingCursor);
    handCursor = draggingCursor = nullptr;

    if (mutex)
        CloseHandle(mutex);
    mutex = nullptr;
    FreeLibrary(gVersionDll);
    FreeLibrary(gDDrawDll);
    FreeLibrary(gDSoundDll);
    gVersionDll = gDDrawDll = gDSoundDll = nullptr;

    if (GetWidgetHost() == this)
        SetWidgetHost(nullptr);
    if (GetGraphicsHost() == this)
        SetGraphicsHost(nullptr);
    if (&GetSoundHost() == this)
        SetSoundHost(nullptr);
    if (GetFontHost() == this)
        SetFontHost(nullptr);
    if (GetAudioHost() == this)
        SetAudioHost(nullptr);
    if (gKivoApp == this)
        gKivoApp = nullptr;
}

void KivoAppBase::ShowResourceError(bool exit)
{
    Popup(resourceManager->GetErrorText());
    if (exit)
        Exit(resourceManager->GetDamagedArchive().empty() ? 0 : 1);
}

void KivoAppBase::LoadResourceManifest()
{
    if (!resourceManager->ParseResourcesFile("properties\\resources.xml"))
        ShowResourceError(true);
}

void KivoAppBase::Exit(int code)
{
    if (gExitFunction)
        gExitFunction(code);
    ExitProcess(code);
}

void KivoAppBase::Shutdown()
{
    if (mainThreadId != 0 && GetCurrentThreadId() != mainThreadId) {
        loadingFailed = true;
        return;
    }
    if (shutdown)
        return;
    exitNestedLoops = true;
    shutdown = true;
    ShutdownHook();
    if (demoPlaying) {
        SetMusicVolume(savedMusicVolume);
        SetSfxVolume(savedSfxVolume);
    }
    if (musicInterface)
        musicInterface->StopAllMusic();
    if (ddInterface && !ddInterface->mIsWindowed)
        ddInterface->RestoreDisplayMode();
    if (hwnd)
        ShowWindow(hwnd, SW_HIDE);
    if (registryLoaded)
        WriteToRegistry();
    startupRegistryWrites.reset();
    FreeJ2KCodec();
}

// Runs inside the crash handler, on a thread that may have stopped halfway
// through the sound, window or cursor code: only what needs no lock and no
// allocation. The sound goes quiet at the mixer's next buffer and the
// window leaves the screen; the report process's own window shows the arrow.
void KivoAppBase::OnCrash()
{
    platform::audio::Mixer::SilenceAll();
    platform::HideWindowAfterCrash();
    crashed = true;
}

void KivoAppBase::DialogButtonPress(int dialogId, int buttonId)
{
    if (buttonId == 1000)
        ButtonPress(dialogId + 2000);
    else if (buttonId == 1001)
        ButtonPress(dialogId + 3000);
}

void KivoAppBase::DialogButtonDepress(int dialogId, int buttonId)
{
    if (buttonId == 1000)
        ButtonDepress(dialogId + 2000);
    else if (buttonId == 1001)
        ButtonDepress(dialogId + 3000);
}

MusicInterface* KivoAppBase::CreateMusicInterface(HWND window)
{
    if (musicDisabled)
        return new MusicInterface();
    return new BassMusicInterface(window);
}

// Sound.

void KivoAppBase::PlaySample(int id, double volume)
{
    if (!soundManager)
        return;
    if (SoundInstance* instance = soundManager->GetSoundInstance(unsigned(id))) {
        instance->SetVolume(volume);
        instance->Play(false, true);
    }
}

void KivoAppBase::PlaySample(int id, int pan)
{
    if (!soundManager)
        return;
    if (SoundInstance* instance = soundManager->GetSoundInstance(unsigned(id))) {
        instance->SetPan(pan);
        instance->Play(false, true);
    }
}

void KivoAppBase::PlaySample(int id)
{
    if (!soundManager)
        return;
    if (SoundInstance* instance = soundManager->GetSoundInstance(unsigned(id)))
        instance->Play(false, true);
}

double KivoAppBase::GetMasterVolume()
{
    return soundManager ? soundManager->GetMasterVolume() : 0;
}

void KivoAppBase::SetMasterVolume(double volume)
{
    sfxVolume = volume;
    if (soundManager)
        soundManager->SetMasterVolume(volume);
}

void KivoAppBase::SetMusicVolume(double volume)
{
    musicVolume = volume;
    if (musicInterface)
        musicInterface->SetVolume(muteCount > 0 ? 0.0 : volume);
}

void KivoAppBase::SetSfxVolume(double volume)
{
    sfxVolume = volume;
    if (soundManager)
        soundManager->SetVolume(muteCount > 0 ? 0.0 : volume);
}

void KivoAppBase::Mute(bool autoMute)
{
    ++muteCount;
    if (autoMute)
        ++autoMuteCount;
    SetMusicVolume(musicVolume);
    SetSfxVolume(sfxVolume);
}

void KivoAppBase::Unmute(bool autoMute)
{
    if (muteCount > 0) {
        --muteCount;
        if (autoMute)
            --autoMuteCount;
    }
    SetMusicVolume(musicVolume);
    SetSfxVolume(sfxVolume);
}

double KivoAppBase::GetLoadingThreadProgress()
{
    if (loadingHandedOver)
        return 1.0;
    if (!loadingStarted || loadingTotal == 0)
        return 0.0;
    return std::min(1.0, double(loadingCount) / loadingTotal);
}

// The hosts.

HMODULE KivoAppBase::GetDSoundModule()
{
    return gDSoundDll;
}

void KivoAppBase::FatalError(const std::string& text, const std::string& caption, UINT type)
{
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), type);
    Exit(0);
}

bool KivoAppBase::LockScreenImage(Image*)
{
    return false;
}

void KivoAppBase::UnlockScreenImage(Image*)
{
}

NativeDisplay* KivoAppBase::GetNativeDisplay()
{
    return ddInterface;
}

bool KivoAppBase::ReadTexturesToBits(MemoryImage* image)
{
    return ddInterface && ddInterface->ReadTexturesToBits(image);
}

bool KivoAppBase::BeginSurfaceText(Image* image, HDC* dc)
{
    if (!dc)
        return false;
    *dc = nullptr;
    auto* surfaceImage = dynamic_cast<DDImage*>(image);
    return surfaceImage && surfaceImage->BeginSurfaceText(dc);
}

void KivoAppBase::EndSurfaceText(Image* image, HDC dc)
{
    if (auto* surfaceImage = dynamic_cast<DDImage*>(image))
        surfaceImage->EndSurfaceText(dc);
}

bool KivoAppBase::IsDrawSurface3D(const Image* image)
{
    auto* surfaceImage = dynamic_cast<const DDImage*>(image);
    return ddInterface && surfaceImage && surfaceImage->Is3DTarget();
}

bool KivoAppBase::Is3DAccelerated()
{
    return ddInterface && ddInterface->mIs3D;
}

// The frame timer.

kivoTimer* kivoTimer::sInstance = nullptr;
double (*kivoTimer::sGameTime)() = nullptr;

kivoTimer::kivoTimer()
{
    sInstance = this;
    mCurTicks = mPrevTicks = gKivoApp ? uint32_t(gKivoApp->updateCount) : 0;
    mCurTime = mPrevTime = sGameTime ? sGameTime() : 0.0;
}

kivoTimer::~kivoTimer()
{
    if (sInstance == this)
        sInstance = nullptr;
}

kivoTimer* kivoTimer::Instance()
{
    if (!sInstance)
        new kivoTimer();
    return sInstance;
}

void kivoTimer::Delete()
{
    delete sInstance;
}

void kivoTimer::Update()
{
    mPrevTicks = mCurTicks;
    mPrevTime = mCurTime;
    mCurTicks = gKivoApp ? uint32_t(gKivoApp->updateCount) : 0;
    mCurTime = sGameTime ? sGameTime() : 0.0;
}

} // namespace Kivo
