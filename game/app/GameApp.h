#pragma once
// The game application. For now it only names the game and sizes its area;
// everything else is the framework's own behaviour.
#include "framework/app/KivoAppBase.h"

class GameApp : public Kivo::KivoAppBase {
public:
    GameApp();
    ~GameApp() override = default;
    // The game's command line replaces the framework's.
    void HandleCmdLineParam(const std::string& name, const std::string& value) override;
    // The current player's profile, once the profile manager exists.
    bool HasProfile() override;
    int GetProfileInt(const std::string& key) override;
    // 'z' saves a screenshot; 'w' and 'r' are the framework's; other keys
    // are not the game's.
    bool DebugKeyDown(int key) override;
};
