#pragma once
// The game application: the product's names and screen, the whole start-up
// up to the title screen, the rest of the loading on the loading thread, and
// the first screen once the player leaves the title.
#include "game/app/CustomKivoAppBase.h"
#include "game/meta/TitleScreen.h"

#include <cstdint>
#include <mutex>
#include <string>

class GameStateManager;
class WideScreenBars;

class GameApp : public Kivo::CustomKivoAppBase, public FirstScreenHost {
public:
    GameApp();
    ~GameApp() override;

    void Init() override;
    void LoadingThreadProc() override;
    // On the main thread once the loader is done: the pointer cursor, and
    // the title screen learns that loading is over.
    void LoadingThreadCompleted() override;
    // On the main thread: a failure of the loading thread is shown here,
    // before the application goes down.
    void Shutdown() override;
    // The game's command line replaces the framework's.
    void HandleCmdLineParam(const std::string& name, const std::string& value) override;
    // The current player's profile, once the profile manager exists.
    bool HasProfile() override;
    int GetProfileInt(const std::string& key) override;
    // Through the game's message window.
    void ShowMessageWindow(const std::string& text) override;
    // -windowed opens an 800 x 600 window for this run without changing the
    // stored screen mode.
    void ReadFromRegistry() override;
    void WriteToRegistry() override;

    // Frees the title's group, registers the screens and opens the menu (or
    // the game with a start level).
    void ShowFirstScreen() override;
    std::string GetAppString(const std::string& key) { return GetString(key, ""); }
    // The seed of the game's generator, taken once at start-up: the time of
    // day (seconds since midnight), or the demo's seed while a demo records
    // or plays.
    virtual uint32_t GameRandomSeed();

    // Loads a group resource by resource, counting each one loaded; false
    // when it failed (the error waits for the main thread) or the
    // application is shutting down.
    bool LoadGroupCounted(const std::string& group);
    // The groups the loading thread loads, in order.
    std::vector<std::string> LoadingGroups() const;
    // The loading thread's failure text, empty when there is none.
    std::string LoadingError();

    TitleScreen* titleScreen = nullptr;
    GameStateManager* stateManager = nullptr;
    WideScreenBars* wideScreenBars = nullptr;
    bool windowedArg = false;
    bool storedWindowed = false;

private:
    std::mutex loadingErrorLock;
    std::string loadingError;
};
