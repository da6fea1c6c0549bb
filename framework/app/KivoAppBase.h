#pragma once
// The application object: the main loop and its timing, the window and its
// input queue, start-up and shutdown, dialogs, message boxes and services,
// the image set and shared images, its setting maps, registry access and
// command line. One instance exists (gKivoApp); the game derives from it.
#include "framework/app/AppResourceHost.h"
#include "framework/app/DemoFile.h"
#include "framework/core/Buffer.h"
#include "framework/graphics/FontHost.h"
#include "framework/display/DisplayHost.h"
#include "framework/graphics/GraphicsHost.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Rect.h"
#include "framework/graphics/Ratio.h"
#include "framework/graphics/SharedImage.h"
#include "framework/resources/PropertiesParser.h"
#include "framework/sound/AudioHost.h"
#include "framework/sound/SoundHost.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/SafeDeleteList.h"
#include "framework/widgets/WidgetHost.h"
#include "platform/win32/Messages.h"
#include "platform/win32/Registry.h"

#include <atomic>
#include <cstdint>
#include <future>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Kivo {

class DDInterface;
class Dialog;
class Image;
class MemoryImage;
class MusicInterface;
class SoundManager;
class Widget;
class WidgetManager;

// Millisecond ticks wrap at 2^32; the signed difference is right across the
// wrap as long as the two lie less than 24 days apart.
inline int32_t TickDiff(uint32_t later, uint32_t earlier)
{
    return int32_t(later - earlier);
}

class KivoAppBase : public PropertiesTarget,
                    public WidgetHost,
                    public GraphicsHost,
                    public SoundHost,
                    public AudioHost,
                    public FontHost,
                    public DisplayHost,
                    public ButtonListener,
                    public DialogListener {
public:
    KivoAppBase();
    virtual ~KivoAppBase();
    KivoAppBase(const KivoAppBase&) = delete;
    KivoAppBase& operator=(const KivoAppBase&) = delete;

    // Button and dialog listener.
    // A dialog's button 1000 is the dialog id + 2000, button 1001 + 3000.
    void DialogButtonPress(int dialogId, int buttonId) override;
    void DialogButtonDepress(int dialogId, int buttonId) override;
    DialogListener* GetDialogListener() override { return this; }

    // The main loop.
    virtual bool Process(bool allowSleep = true);
    virtual void UpdateFrames();
    virtual bool DoUpdateFrames();
    virtual void UpdateFTimeAcc(double frac);
    virtual void MakeWindow();
    virtual void EnforceCursor();
    virtual void ReInitImages();
    virtual void DeleteNativeImageData();
    virtual void DeleteExtraImageBuffers();
    virtual void LoadingThreadCompleted() {}
    virtual MusicInterface* CreateMusicInterface(HWND window);
    virtual void InitHook() {}
    virtual void ShutdownHook() {}
    virtual void PreTerminate() {}
    virtual void LoadingThreadProc() {}

    // The registry.
    virtual void ReadFromRegistry();
    virtual void WriteToRegistry();

    // Dialogs, message boxes and services.
    virtual Dialog* NewDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                              const std::string& footer, int buttonMode);
    virtual void PreDialogHook() {}
    virtual void BeginPopup();
    virtual void EndPopup();
    virtual int MsgBoxW(const std::wstring& text, const std::wstring& caption, unsigned flags);
    int MsgBox(const std::string& text, const std::string& caption = "Message", unsigned flags = 0) override;
    virtual void PopupW(const std::wstring& text);
    // A fatal message in a box titled "FATAL ERROR"; the caller decides
    // whether to end the program.
    void Popup(const std::string& text) override;
    static void LogScreenSaverError(const std::string& text);
    void SafeDeleteWidget(Widget* widget) override;
    virtual void OpenURLFailed(const std::string& url);
    virtual void OpenURLSucceeded(const std::string& url);
    virtual bool OpenURL(const std::string& url, bool shutdownOnOpen = false);
    static std::string GetProductVersion(const std::string& path);
    // Called by the crash handler, inside the signal: the sound stops, the
    // window is hidden and `crashed` is set. An override may only do what
    // is safe in a signal handler.
    virtual void OnCrash();
    // Product, version, time since start, screen mode and main thread, for
    // crash reports.
    virtual std::string GetCrashInfoText();
    virtual void ListenerStub() {}
    virtual void Shutdown();

    // The command line: name or name=value parameters split at spaces
    // outside double quotes, each handed to HandleCmdLineParam.
    virtual void ParseCmdLine();
    virtual void ParseCmdLineString(const std::string& text);
    virtual void HandleCmdLineParam(const std::string& name, const std::string& value);

    virtual void HandleNotifyGameMessage(WPARAM wParam, LPARAM lParam);
    virtual void SignalOtherInstanceAndExit();
    virtual void Start();
    virtual void Init();
    // SIGHUP (the terminal closed), SIGTERM and SIGINT end the main loop as
    // a quit does: settings are written and everything shuts down in order.
    // Init installs the handlers; the loop acts on the signal at its next pass,
    // and an open message box first ends with its Cancel (or default) answer.
    static void CatchStopSignals();
    // The stop signal caught and not yet acted on (0 for none); Clear forgets it.
    static int StopSignal();
    static void ClearStopSignal();
    virtual void PreDisplayInitHook() {}
    virtual void PostDisplayInitHook() {}
    virtual bool ChangeDirHook(const std::string& folder);

    // Sound.
    virtual void PlaySample(int id, double volume);
    virtual void PlaySample(int id, int pan);
    virtual void PlaySample(int id);
    virtual double GetMasterVolume();
    virtual double GetMusicVolume() { return musicVolume; }
    virtual double GetSfxVolume() { return sfxVolume; }
    virtual bool IsMuted() { return muteCount > 0; }
    virtual void SetMasterVolume(double volume);
    virtual void SetMusicVolume(double volume);
    virtual void SetSfxVolume(double volume);
    virtual void Mute(bool autoMute = false);
    virtual void Unmute(bool autoMute = false);
    virtual double GetLoadingThreadProgress();

    // An image read from the file; one found only as an alpha file takes
    // `alphaColor` as its colour.
    virtual Image* GetImage(const std::string& path, bool commitBits = true, uint32_t alphaColor = 0xFFFFFF);
    SharedImageRef GetSharedImage(const std::string& name, const std::string& variant = "",
                                  bool* created = nullptr) override;
    SharedImageRef GetSharedImage(const std::string& name, const std::string& variant, bool* created,
                                  uint32_t alphaColor);
    // The resource manager's error text in a fatal popup, then, with
    // `exit`, the end of the process: with exit code 1 when the failure lies
    // in a damaged data archive, else 0.
    virtual void ShowResourceError(bool exit);
    // Adds a data archive from the program's folder. A damaged one ends the
    // process with a message and exit code 1; so does a missing one when
    // `required`.
    void AddDataArchive(const std::string& name, bool required);
    // Parses "properties\resources.xml"; a failure ends the process.
    virtual void LoadResourceManifest();
    virtual void SwitchScreenMode(bool wantWindowed, bool is3D, bool force = false);
    virtual void SwitchScreenMode(bool wantWindowed);
    virtual void SwitchScreenMode();
    virtual void SetAlphaDisabled(bool disabled);

    virtual Dialog* DoDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                             const std::string& footer, int buttonMode);
    virtual Dialog* GetDialog(int id);
    void AddDialog(Dialog* dialog) override;
    virtual void AddDialog(int id, Dialog* dialog);
    virtual bool KillDialog(Dialog* dialog);
    bool KillDialog(int id) override;
    virtual bool KillDialog(int id, bool removeWidget, bool deleteWidget);
    virtual int GetDialogCount();
    virtual void ModalOpen() {}
    virtual void ModalClose() {}
    virtual void GotFocus() {}
    virtual void LostFocus() {}
    virtual bool IsDebugKey(int key);
    virtual bool DebugKeyDown(int key);
    virtual bool DebugKeyCombo(int key, bool ctrl, bool alt);
    virtual void WindowCloseHook() {}
    virtual void PreRegistryHook() {}
    virtual std::string GetExtraCrashInfo() { return std::string(); }
    virtual bool CheckSignature(const Buffer& buffer, const std::string& fileName);
    virtual bool Redraw(const Rect* rect = nullptr);
    virtual void RedrawChecks(const Rect* rect);
    virtual void PostWindowClassHook() {}
    virtual void MainLoop();
    bool UpdateAppStep(bool* updated) override;
    virtual bool UpdateApp();
    virtual bool AppCanRestore();
    // Called when the display initialisation made a new 3D verdict.
    void OnNewD3DVerdict() override {}
    bool DisplayMinimized() override { return minimized; }
    void DisplayWriteRegistryString(const std::string& name, const std::string& value) override
    {
        RegistryWriteString(name, value);
    }
    std::string DisplayRegistryKey() override { return registryKey; }
    bool DisplayTest3D() override { return test3D; }
    bool DisplayAutoEnable3D() override { return autoEnable3D; }
    int DisplayMinVidMemory() override { return minVidMemory; }
    int DisplayRecVidMemory() override { return recVidMemory; }
    bool DisplayDemoPlayback() override { return demoPlaying; }
    void DisplayDemoSync(std::string& failure, std::string& warning, bool& newVerdict) override
    {
        DemoSyncString(failure);
        DemoSyncString(warning);
        DemoSyncBool(newVerdict);
    }

    // Not virtual.
    int InitDisplay();
    void Set3DMode(bool is3D, bool reinit);
    bool ProcessDeferredMessages(bool singleMessage);
    void UpdateFocusState();
    void ClearKeyStates();
    void SetCursor(int cursorNum) override;
    void ProcessSafeDeleteList();
    void StartLoadingThread();
    void WaitForLoadingThread();
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The screen-saver filter; true when it took the message.
    bool ScreenSaverFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void CopyToClipboard(const std::string& text) override;
    std::string GetClipboard() override;
    bool AllowHighCharacters() override { return allowHighCharacters; }
    bool IsWindowed() override { return windowed; }
    bool IsMouseInWindow() override { return mouseIn; }
    bool CustomCursorsOn() override { return customCursorsOn; }
    bool GetFullScreenSize(int* width, int* height) override;
    // Demo recording and playback. The synchronising operations record the
    // value while recording and replace it from the stream while playing.
    void WriteDemoFile();
    // Loads demoFileName for playback; false with the reason in `error`.
    bool ReadDemoFile(std::string& error);
    // Records a queued message as the main loop hands it on.
    void RecordDemoMessage(const MSG& msg);
    // Records an event without payload (loading done).
    void RecordDemoCommand(int command);
    // Replays the events due at the current update.
    void ProcessDemo();
    // While true, events of the current update are still to be replayed
    // and no update may run.
    bool DemoInputPending() const;
    void DemoSyncBuffer(Buffer& buffer);
    void DemoSyncString(std::string& text);
    void DemoSyncBool(bool& value);
    // Whether the file was read (through the pak layer) into `buffer`; with
    // `bypass` it is neither recorded nor replayed.
    bool DemoReadFile(const std::string& path, Buffer& buffer, bool bypass = false);
    bool DemoFileExists(const std::string& path);
    void ToggleDemoSound();
    // The playback windows ("L", "J"); one at a time. While one is open
    // the playback stands still and live input reaches the window.
    void ShowMarkerList();
    void ShowJumpToTime();
    void CloseDemoDialog();
    // A character typed while a demo plays: speed, pause, single step,
    // runs towards the end, sound.
    void DemoPlaybackKey(char c);
    // Ends the process with `code`; tests replace the way out.
    [[noreturn]] void Exit(int code);
    bool Is3DAccelerated() override;

    // What the display device reads and writes of the application.
    GraphicsHost* DisplayGraphicsHost() override { return this; }
    int AppWidth() override { return width; }
    int AppHeight() override { return height; }
    int ColorDepth() override { return colorDepth; }
    bool WideDraw() override { return wideDraw; }
    bool HackAspect() override { return hackAspect; }
    Ratio HackAspectRatio() override { return hackAspectRatio; }
    void SetScreenRect(const Rect& rect) override { screenRect = rect; }
    void SetRefreshNotTrusted(bool notTrusted) override { refreshNotTrusted = notTrusted; }
    bool PopupActive() override { return popupActive; }
    bool PageFlipAllowed() override { return flipAllowed; }
    bool WaitForVBlank() override { return waitForVBlank; }
    bool NoWaitForVBlank() override { return noWaitForVBlank; }

    // Image services.
    void AddMemoryImage(MemoryImage* image) override;
    void RemoveMemoryImage(MemoryImage* image) override;
    void Remove3DData(MemoryImage* image) override;
    MemoryImage* CopyImage(Image* image) override;
    MemoryImage* CopyImage(Image* image, const Rect& rect);
    static void MirrorImageX(MemoryImage* image);
    static void MirrorImageY(MemoryImage* image);
    static void ShiftImageHue(MemoryImage* image, int shift);
    static uint32_t ShiftHue(uint32_t argb, int shift);

    // Settings, by name; the getters return the default when the name is
    // absent. Strings are stored wide (one character per byte) and
    // returned narrowed.
    bool GetBoolean(const std::string& name, bool defaultValue) override;
    int GetInteger(const std::string& name, int defaultValue);
    double GetDouble(const std::string& name, double defaultValue);
    std::string GetString(const std::string& id, const std::string& defaultValue);
    std::string GetString(const std::string& id);
    void SetBoolean(const std::string& name, bool value) override;
    void SetInteger(const std::string& name, int value) override;
    void SetDouble(const std::string& name, double value) override;
    void SetString(const std::string& id, const std::wstring& value) override;
    void InsertStringList(const std::string& id, const std::vector<std::wstring>& list) override;

    // <settings> with children int, float, string, bool and hex, each with
    // "name" and "val"; read through the pak layer. False, changing
    // nothing, when the file cannot be read or parsed.
    virtual bool LoadSettingsXml(const std::string& fileName);
    // A properties file into the maps; failures are shown with Popup.
    // Without `required` a missing file is fine.
    bool LoadProperties(const std::string& fileName, bool required, bool checkSignature);

    // Values under HKEY_CURRENT_USER\SOFTWARE\<registry key>; a value name
    // "Sub\Name" addresses the value Name of the subkey Sub. With an empty
    // registry key nothing is read or written. While a demo records, reads
    // and writes are recorded; while it plays, they return what was
    // recorded and the registry is left alone. Erasing is never recorded.
    bool RegistryWrite(const std::string& valueName, DWORD type, const BYTE* data, DWORD size);
    bool RegistryRead(const std::string& valueName, DWORD* type, BYTE* data, DWORD* size, HKEY root = HKEY_CURRENT_USER);
    void RegistryEraseValue(const std::string& valueName);
    bool RegistryWriteString(const std::string& valueName, const std::string& value);
    bool RegistryWriteInteger(const std::string& valueName, int value);
    bool RegistryReadInteger(const std::string& valueName, int* value);
    bool RegistryReadBoolean(const std::string& valueName, bool* value);

    // Demo stream events (header: 4-bit delta of updates, short-form bit,
    // command of 1 or 5 bits).
    void WriteEventHeader();
    bool ReadEventHeader();
    // The largest n among the files prefix + n + ".dmo" in the working
    // folder, 0 when none; with `deleteOldest` and more than keep - 1 such
    // files, the one with the smallest number is deleted first.
    int GetLastDemoNumber(const std::string& prefix, int keep, bool deleteOldest);

    // AudioHost. The framework keeps no player profiles and has no message
    // window of its own: without a game to answer, no profile is selected
    // and the message goes to a message box.
    bool IsMusicDisabled() override { return musicDisabled; }
    int GetUpdateCount() override { return updateCount; }
    SoundManager* GetSoundManager() override { return soundManager; }
    MusicInterface* GetMusicInterface() override { return musicInterface; }
    ResourceManager* GetResourceManager() override { return resourceManager; }
    bool HasProfile() override { return false; }
    int GetProfileInt(const std::string& key) override { return (void)key, 0; }
    void ShowMessageWindow(const std::string& text) override { MsgBox(text); }

    // WidgetHost, GraphicsHost and SoundHost.
    bool IsShuttingDown() override { return shutdown; }
    int GetWidth() override { return width; }
    int GetHeight() override { return height; }
    WidgetManager* GetWidgetManager() override { return widgetManager; }
    bool LockScreenImage(Image* image) override;
    void UnlockScreenImage(Image* image) override;
    NativeDisplay* GetNativeDisplay() override;
    bool ReadTexturesToBits(MemoryImage* image) override;
    void SetSharedImagesNeedCleaning() override { sharedImagesDirty = true; }
    bool IsDrawSurface3D(const Image* image) override;
    HMODULE GetDSoundModule() override;
    void FatalError(const std::string& text, const std::string& caption, UINT type) override;
    HWND GetTextWindow() override { return hwnd; }
    // No display surfaces exist yet: text always goes through memory images.
    bool BeginSurfaceText(Image* image, HDC* dc) override;
    void EndSurfaceText(Image* image, HDC dc) override;

    // 1. Identity.
    uint32_t randomSeed = 0;
    std::string displayName;
    std::string companyName;
    std::string productName = "Product";
    std::string title = "KivoApp";
    std::string registryKey;
    std::string programFolder; // the folder of the program file; -changedir replaces it

    // 2. Window and screen.
    int preferredX = -1;
    int preferredY = -1;
    int width = 640;
    int height = 480;
    int colorDepth = 16;

    // 3. Volumes and settings flags.
    double musicVolume = 0.85;
    double sfxVolume = 0.85;
    double savedMusicVolume = 0;
    double savedSfxVolume = 0;
    bool musicDisabled = false;
    bool useFMod = false;
    bool cmdLineParsed = false;
    bool allowHighCharacters = false;
    bool wideDraw = false;
    bool hackAspect = false;
    Ratio hackAspectRatio { 4, 3 };
    bool autoEnable3D = false;
    bool test3D = false;
    bool is3DChanged = false;
    int minVidMemory = 6;
    int recVidMemory = 14;

    // 4. Widgets, dialogs and state flags.
    WidgetManager* widgetManager = nullptr;
    std::map<int, Dialog*> dialogMap;
    std::list<Dialog*> dialogList;
    bool crashed = false;
    // Read by the loading thread between resources.
    std::atomic<bool> shutdown { false };
    bool exitNestedLoops = false;
    bool windowed = true;
    bool displayWindowed = true;
    bool forceFullscreen = false;
    bool forceWindowed = false;
    bool fullscreenWindow = false;
    bool initialized = false;
    bool closeRequested = false;
    bool displayLost = false;
    bool refreshNotTrusted = false;
    bool waitForVBlank = false;
    bool noWaitForVBlank = true;
    uint32_t startTime = 0;
    Rect screenRect;
    Rect gameRect;

    // 5. Windows and the input queue.
    HWND hwnd = nullptr;
    HWND invisHwnd = nullptr;
    bool screensaverMode = false;
    bool allowMonitorPowerOff = true;
    std::list<MSG> deferredMessages;
    bool popupActive = false;
    bool flipAllowed = true;
    bool tabletPC = false;
    uint32_t mainThreadId = 0;
    UINT notifyMessageId = 0;
    bool singleInstanceSignal = true;
    HANDLE mutex = nullptr;
    HCURSOR handCursor = nullptr;
    HCURSOR draggingCursor = nullptr;
    int lastRecordedX = 0;
    int lastRecordedY = 0;
    uint32_t lastRestoreAttempt = 0;
    uint32_t lastMonitorPowerTime = 0;
    // Mouse sensitivity: the last point handed on and the fractions carried.
    bool sensitivityStarted = false;
    int sensitivityLastX = 0;
    int sensitivityLastY = 0;
    float sensitivityCarryX = 0;
    float sensitivityCarryY = 0;
    // Screen-saver mode's filter.
    bool screenSaverStarted = false;
    POINT screenSaverCursor {};
    int screenSaverMoves = 0;
    bool screenSaverClosing = false;

    // 6. Display, music, services.
    DDInterface* ddInterface = nullptr;
    bool alphaDisabled = false;
    MusicInterface* musicInterface = nullptr;
    bool registryLoaded = false;
    // Open from Init to the first frame presented (or the shutdown).
    std::optional<platform::RegistryBatch> startupRegistryWrites;
    std::string productVersion;
    bool openURLPending = false;
    bool shutdownOnURLOpen = false;
    std::string pendingURL;
    uint32_t urlOpenTime = 0;

    // 7. Timer ticks and muting.
    uint32_t lastTimerTick = 0;
    uint32_t timerGapStart = 0;
    int muteCount = 0;
    int autoMuteCount = 0;
    bool demoMuted = false;
    bool muteOnLostFocus = true;

    // 8. Images.
    std::set<MemoryImage*> memoryImageSet;
    std::map<std::pair<std::string, std::string>, SharedImage> sharedImageMap;
    // Entries whose file is being decoded (outside the display lock), with
    // the image to come; the table's lock while there is no display.
    std::map<const SharedImage*, std::shared_future<Image*>> sharedImagesDecoding;
    std::recursive_mutex sharedImageLock;
    bool sharedImagesDirty = false;

    // 9. The loop.
    int updatesSinceDraw = 0;
    int updateStepMs = 10;
    bool drawing = false;
    bool redrawSkipped = false;
    bool needsDraw = true;
    double fracUpdateAcc = 0;
    double timeAcc = 0;
    uint32_t lastAccTime = 0;
    uint32_t lastInputTime = 0;
    int sleepCount = 0;
    int drawCount = 0;
    int updateCount = 0;
    int loopState = 0;
    int nestDepth = 0;
    double speed = 1.0;
    bool paused = false;
    int ffTargetUpdate = 0;
    bool ffToMarker = false;
    bool ffStep = false;
    uint32_t lastPresentTime = 0;
    uint32_t nextDrawTime = 0;
    int cursorNum = 0;
    SoundManager* soundManager = nullptr;
    ResourceManager* resourceManager = nullptr;
    AppResourceHost resourceHost { *this };
    SafeDeleteList safeDeleteList;
    bool mouseIn = false;
    bool loopRunning = false;
    bool active = true;
    bool minimized = false;
    bool iconicBySize = false;
    bool disabled = false;
    bool hadFocus = true;
    int drawTime = 0;
    bool showFps = false;
    int fpsMode = 0;
    int screenBltTime = 0;
    bool autoStartLoadingThread = true;
    // Start-up ends with a message when main.pak is missing, not only when damaged.
    bool requireMainPak = false;
    // What the process ends with once Start returns: 1 after a failure that
    // ended the run, such as a damaged data archive.
    int exitCode = 0;
    std::atomic<bool> loadingStarted { false };
    std::atomic<bool> loadingDone { false };
    bool loadingHandedOver = false;
    bool loadingThrottle = false;
    std::atomic<bool> loadingFailed { false };
    bool systemCursorShown = true;
    bool customCursorsOn = false;
    bool forceRedraw = false;
    bool lastRunClean = true;
    float mouseSensitivity = 1.0f;
    int loadingTotal = 0;
    std::atomic<int> loadingCount { 0 };
    bool demoRecording = false;
    bool demoPlaying = false;
    bool debugKeysOn = false;
    bool ctrlDown = false;
    bool altDown = false;
    int refreshRate = 100;
    bool waitForVSync = false;
    bool vsyncBroken = false;
    int vsyncFastCount = 0;
    uint32_t vsyncCheckTime = 0;
    uint32_t vsyncUpdateCount = 0;
    bool adjustJerking = false;
    bool adjustJerkingAllowed = true;

    // Screen-saver suspension (read from Redraw once a second).
    uint32_t lastScreenSaverCheck = 0;
    uint32_t screenSaverReadTime = 0;
    bool screenSaverRead = false;
    bool screenSaverActive = true;
    uint32_t screenSaverLimitMs = 60000;
    bool screenSaverSuspended = false;

    // Demo state (the game's command line never switches recording or
    // playback on).
    std::string demoPrefix = "kivoapp";
    std::string demoFileName = "kivoapp.dmo";
    Buffer demoBuffer;
    int nextEventUpdate = 0;
    int demoEndUpdate = 0; // the update count at which the playing demo ends
    bool demoLoadingDone = false; // playback has passed the loading-done event
    uint32_t ffRefreshTick = 0; // the last frame shown while fast-forwarding
    bool ffRefreshTickSet = false;
    std::vector<DemoMarker> demoMarkers;
    Dialog* demoDialog = nullptr; // the open playback window
    bool needHeader = true;
    bool eventIsShort = false;
    int eventCommand = 0;
    int eventCount = 0;

    std::map<std::string, std::wstring> stringProperties;
    std::map<std::string, bool> boolProperties;
    std::map<std::string, int> intProperties;
    std::map<std::string, double> doubleProperties;
    std::map<std::string, std::vector<std::wstring>> stringVectorProperties;

private:
    // Splits the value name at its last '\' into the key path and the name.
    bool RegistryPath(const std::string& valueName, std::string& keyPath, std::string& name) const;
    void HandleTimer();
    LRESULT QueueMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void DispatchDeferred(const MSG& msg);
    bool ScreenSaverCheck(uint32_t now);
    void AccumulateTime(uint32_t now);
    void WriteDemoEvent(bool shortForm, int command);
    // Runs a playing demo's updates at full speed towards ffTargetUpdate,
    // showing a frame a second; true when the timing step ends here.
    bool FastForwardDemo(double updatesPerFrame);
    // No further event header fits in the stream.
    bool DemoStreamEnded() const;
    // The diagnostic overlays: brought up to date before a draw, put in the
    // bottom right corner of the screen after it.
    void PrepareOverlays();
    void DrawOverlays();
    void FatalDisplayFailure(int result);
};

// The application object; null before it is made and after it is gone.
extern KivoAppBase* gKivoApp;
// The libraries the constructor loads and the destructor frees.
extern HMODULE gVersionDll;
extern HMODULE gDDrawDll;
extern HMODULE gDSoundDll;
// A Windows path counts as absolute when its second character is a colon
// or its third a backslash.
bool IsAbsoluteWindowsPath(const std::string& path);
// The window procedure of the main and invisible windows.
LRESULT KivoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The widget manager's button of a mouse message (1 left, 2 left double
// click, -1 right, -2 right double click, 3 middle) and whether it goes
// down; button 0 for a move.
struct MouseButtonMessage {
    int button = 0;
    bool down = false;
};
MouseButtonMessage MouseButtonOf(UINT message);
// How Exit leaves; std::exit unless a test installs its own (which must not
// return either, e.g. by throwing).
using ExitFunction = void (*)(int code);
void SetExitFunction(ExitFunction function);

// The frame timer read by the action scripts: ticks are the application's
// update count, time its accumulated game time.
class kivoTimer {
public:
    static kivoTimer* Instance();
    static void Delete();
    virtual ~kivoTimer();
    void Update();
    int GetElapsedMs() const { return int(mCurTicks - mPrevTicks) * 10; }
    float GetElapsed() const { return float((mCurTime - mPrevTime) / 100.0); }
    int GetTotalMs() const { return int(mCurTicks) * 10; }
    int GetScale() const { return mScale; }

    int mScale = 1;
    uint32_t mPrevTicks = 0;
    double mPrevTime = 0;
    uint32_t mCurTicks = 0;
    double mCurTime = 0;
    // Where the game time comes from; the game application sets it.
    static double (*sGameTime)();

private:
    kivoTimer();
    static kivoTimer* sInstance;
};

} // namespace Kivo
