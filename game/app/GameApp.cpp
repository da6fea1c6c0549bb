#include "game/app/GameApp.h"

#include "game/app/AppIcon.h"
#include "game/app/GameCmdLine.h"
#include "game/effects/ActionScriptManager.h"
#include "game/effects/ParticleLibraryManager.h"
#include "game/effects/PyroLibraryManager.h"
#include "game/effects/EffectHooks.h"
#include "game/meta/MenuScreen.h"
#include "game/meta/TownScreen.h"
#include "game/meta/UpgradeScreen.h"
#include "game/meta/WindowMessage.h"
#include "game/meta/WindowNewProfile.h"
#include "game/play/GameScreen.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/CustomCursor.h"
#include "game/ui/GameStateManager.h"
#include "game/ui/WideScreenBars.h"

#include "framework/core/PakInterface.h"
#include "framework/core/Random.h"
#include "framework/core/Strings.h"
#include "framework/raster/SpanFunctions.h"
#include "framework/resources/ResourceManager.h"
#include "framework/sound/MusicManager.h"
#include "framework/sound/VoiceHelper.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Windows.h"
#include "platform/win32/Shell.h"

#include <ctime>

namespace {

// Whether the voice lines were shipped: voice.pak may be left out of a
// build, and a loose data tree may have no voice folder. Without them the
// voice manifest is not read, so the game has no voice ids: the options
// window hides its voice box and no line is ever asked for.
bool VoiceLinesPresent()
{
    WIN32_FIND_DATAA found;
    PakInterfaceBase* paks = GetActivePakInterface();
    HANDLE find = paks ? paks->FindFirst("voice/*", &found) : FindFirstFileA("voice/*", &found);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    if (paks)
        paks->FindClose(find);
    else
        FindClose(find);
    return true;
}

// Creates the screen, ties it to the manager and registers it by name.
template <class Screen, class... Args>
void RegisterScreen(GameStateManager* states, const std::string& name, Args... args)
{
    auto* screen = new Screen(args...);
    screen->mStateManager = states;
    states->RegisterState(name, screen);
}

} // namespace

GameApp::GameApp()
{
    productName = "Marrowfen";
    displayName = "Marrowfen";
    productVersion = "1.02";
    title = productName + " v." + productVersion;
    registryKey = "Olvane Studio\\Marrowfen";
    companyName = "Olvane Studio";
    requireMainPak = true;
    width = 800;
    height = 600;
    colorDepth = 32;
    autoEnable3D = true;
    wideDraw = true;
    // Names may hold the Windows-1252 letters the fonts draw.
    allowHighCharacters = true;
    // Full screen unless the registry (or -windowed) says otherwise.
    windowed = false;
    Kivo::InitTriangleFuncTable();
    InstallEffectHooks();
    RegisterGameIcon();
    SetNewProfilePrompt(GetNewProfileWindowPrompt());
}

GameApp::~GameApp()
{
    // The loader fills the managers deleted below.
    shutdown = true;
    WaitForLoadingThread();
    if (titleScreen) {
        widgetManager->RemoveWidget(titleScreen);
        delete titleScreen;
        titleScreen = nullptr;
    }
    if (stateManager) {
        stateManager->Quit();
        delete stateManager;
        stateManager = nullptr;
    }
    if (wideScreenBars) {
        widgetManager->RemoveWidget(wideScreenBars);
        delete wideScreenBars;
        wideScreenBars = nullptr;
    }
    if (CustomCursor* cursor = CustomCursor::Existing())
        widgetManager->RemoveWidget(cursor);
    FreeCursors();
    delete CustomCursor::Existing();
    delete PyroLibraryManager::Existing();
    delete ParticleLibraryManager::Existing();
    delete MusicManager::Existing();
    delete VoiceHelper::Existing();
    delete ActionScriptManager::Existing();
    // Dialogs are the base's to delete; everything else in the tree goes now.
    for (auto& [id, dialog] : dialogMap)
        widgetManager->RemoveWidget(dialog);
    widgetManager->RemoveAllWidgets(true, false);
    resourceManager->DeleteResources("");
    delete ProfileManager::Existing();
}

void GameApp::Init()
{
    if (!ChangeDirHook(programFolder))
        _chdir(programFolder.c_str());
    LoadSettingsXml("config.xml");
    musicVolume = GetDouble("default_music_volume", musicVolume);
    sfxVolume = GetDouble("default_sound_volume", sfxVolume);

    musicDisabled = true;
    cmdLineParsed = true;
    CustomKivoAppBase::Init();
    if (shutdown)
        return;
    // Missing archives are no error here (a damaged one is): what they
    // held then fails to load with its own message where it is read.
    AddDataArchive("other.pak", false);
    AddDataArchive("voice.pak", false);
    SetCursor(windowed ? 0 : 11);

    int language = GetInteger("language_id", -1);
    if (language < 0 && (!RegistryReadInteger("language_id", &language) || language < 0))
        language = 0;
    std::string languageFile = Kivo::StrFormat("properties/translation_%02d.xml", language);
    if (!DemoFileExists(languageFile))
        languageFile = "properties/translation_00.xml";
    LoadProperties(languageFile, true, false);

    const std::string languageTexts = GetString("translation_file_language", "");
    const std::string labels = GetString("translation_file_labels", "");
    const std::string fonts = GetString("translation_file_fonts", "");
    if (languageTexts.empty() || labels.empty() || fonts.empty()) {
        Popup("Error while loading localization!");
        loadingFailed = true;
        Exit(0);
    }
    LoadProperties(languageTexts, true, false);
    LoadProperties("properties/gamesets.xml", true, false);

    ParseCmdLine();

    if (GetBoolean("sound", true)) {
        musicDisabled = false;
        RecreateSoundSystem();
    }
    if (GetBoolean("force3d", false))
        Set3DMode(true, true);

    LoadResourceManifest();
    if (!resourceManager->LoadResources("General")) {
        loadingFailed = true;
        ShowResourceError(true);
    }

    wideScreenBars = new WideScreenBars();
    wideScreenBars->MarkDirtyFull();
    widgetManager->AddWidget(CustomCursor::Instance());

    for (const char* manifest : { "properties/bricks.xml", "properties/town.xml", "properties/loading.xml" })
        resourceManager->ParseResourcesFile(manifest);
    resourceManager->ParseResourcesFile(fonts);
    resourceManager->ParseResourcesFile(labels);
    if (!musicDisabled)
        resourceManager->ParseResourcesFile("properties/sounds.xml");
    if (resourceManager->HadError()) {
        loadingFailed = true;
        ShowResourceError(true);
    }
    if (GetBoolean("voice", false) && !musicDisabled && VoiceLinesPresent())
        resourceManager->ParseResourcesFile("properties/voice.xml");
    SetBoolean("voice_current", false);
    if (!resourceManager->LoadResources("Loading")) {
        loadingFailed = true;
        ShowResourceError(true);
    }

    Kivo::SeedRandomInt(GameRandomSeed());

    titleScreen = new TitleScreen(this);
    widgetManager->AddWidget(titleScreen);
    widgetManager->SetFocus(titleScreen);
    stateManager = new GameStateManager();

    int total = 0;
    for (const std::string& group : LoadingGroups())
        total += resourceManager->GetNumResources(group);
    loadingTotal = total;

    const std::string caption = GetAppString("window_game_title");
    if (!caption.empty()) {
        title = caption + " v." + productVersion;
        SetWindowTextA(hwnd, title.c_str());
    }
    MusicManager::Instance()->PlayMenuMusic();
}

uint32_t GameApp::GameRandomSeed()
{
    // A demo replays only when the game draws the numbers it drew while
    // recording: it takes the seed the demo file keeps.
    if (demoRecording || demoPlaying)
        return randomSeed;
    const std::time_t now = std::time(nullptr);
    std::tm utc {};
    gmtime_r(&now, &utc);
    return uint32_t((utc.tm_hour * 60 + utc.tm_min) * 60 + utc.tm_sec);
}

std::vector<std::string> GameApp::LoadingGroups() const
{
    std::vector<std::string> groups { "Common", "Fonts", "Town", "Bricks", "Labels" };
    if (!musicDisabled)
        groups.push_back("Sounds");
    return groups;
}

bool GameApp::LoadGroupCounted(const std::string& group)
{
    resourceManager->StartLoadResources(group);
    while (resourceManager->LoadNextResource()) {
        ++loadingCount;
        if (shutdown)
            return false;
    }
    if (resourceManager->HadError()) {
        // Message boxes and the loop's state belong to the main thread: the
        // text waits there, and the failure flag makes the main loop show it
        // and shut down.
        {
            std::lock_guard lock(loadingErrorLock);
            loadingError = resourceManager->GetErrorText();
        }
        loadingFailed = true;
        return false;
    }
    return true;
}

void GameApp::LoadingThreadProc()
{
    for (const std::string& group : LoadingGroups())
        if (!LoadGroupCounted(group))
            return;
    ParticleLibraryManager::Instance()->Load("properties/particles/particles.xml");
    PyroLibraryManager* pyro = PyroLibraryManager::Instance();
    pyro->LoadFile("properties/pyro/particles.pyro");
    pyro->LoadFile("properties/pyro/particles_town.pyro");
    ActionScriptManager* scripts = GetActionScriptManager();
    for (const char* name : { "demo_gameplaychain", "demo_gameplayswap", "demo_gameplaygroup" })
        scripts->LoadScript(std::string("properties/tutorial/") + name + ".xml", name);
}

std::string GameApp::LoadingError()
{
    std::lock_guard lock(loadingErrorLock);
    return loadingError;
}

void GameApp::Shutdown()
{
    if (!shutdown && (mainThreadId == 0 || GetCurrentThreadId() == mainThreadId)) {
        std::string error;
        {
            std::lock_guard lock(loadingErrorLock);
            error.swap(loadingError);
        }
        if (!error.empty()) {
            Popup(error);
            if (!resourceManager->GetDamagedArchive().empty())
                exitCode = 1;
        }
    }
    CustomKivoAppBase::Shutdown();
}

void GameApp::LoadingThreadCompleted()
{
    CustomKivoAppBase::LoadingThreadCompleted();
    if (loadingFailed)
        return;
    SetCursorKind(0);
    SetCursor(customCursorsOn ? 11 : 0);
    if (titleScreen)
        titleScreen->LoadingComplete();
}

void GameApp::ShowFirstScreen()
{
    resourceManager->DeleteResources("Loading");
    titleScreen = nullptr;
    RegisterScreen<MenuScreen>(stateManager, "MenuScreen");
    RegisterScreen<GameScreen>(stateManager, "GameScreen");
    RegisterScreen<UpgradeScreen>(stateManager, "UpgradeScreen");
    RegisterScreen<TownScreen>(stateManager, "TownScreen");
    if (GetInteger("set_start_level", -1) == -1) {
        stateManager->ChangeState(stateManager->FindState("MenuScreen"));
    } else {
        ClearStoredGame();
        stateManager->ChangeState(stateManager->FindState("GameScreen"));
    }
}

void GameApp::HandleCmdLineParam(const std::string& name, const std::string& value)
{
    HandleGameCmdLineParam(*this, name, value);
}

void GameApp::ShowMessageWindow(const std::string& text)
{
    ShowGameMessage(text);
}

bool GameApp::HasProfile()
{
    ProfileManager* manager = ProfileManager::Existing();
    return manager && manager->HasProfile();
}

int GameApp::GetProfileInt(const std::string& key)
{
    return HasProfile() ? ::GetProfileInt(key) : 0;
}

void GameApp::ReadFromRegistry()
{
    CustomKivoAppBase::ReadFromRegistry();
    storedWindowed = windowed;
    if (windowedArg)
        windowed = true;
}

void GameApp::WriteToRegistry()
{
    // A window asked for on the command line is this run's only: the
    // stored choice stays unless the player switched to full screen.
    const bool current = windowed;
    if (windowedArg && windowed)
        windowed = storedWindowed;
    CustomKivoAppBase::WriteToRegistry();
    windowed = current;
}
