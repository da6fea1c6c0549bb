#include "game/app/GameApp.h"

#include "game/app/GameCmdLine.h"
#include "game/profiles/ProfileManager.h"

#include "framework/app/Screenshot.h"

GameApp::GameApp()
{
    companyName = "Olvane Studio";
    productName = "Marrowfen";
    displayName = "Marrowfen";
    registryKey = companyName + "\\" + productName;
    title = productName + " v." + productVersion;
    width = 800;
    height = 600;
    colorDepth = 32;
}

void GameApp::HandleCmdLineParam(const std::string& name, const std::string& value)
{
    HandleGameCmdLineParam(*this, name, value);
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

bool GameApp::DebugKeyDown(int key)
{
    switch (key) {
    case 'z':
        Kivo::TakeScreenshot(*this);
        return true;
    case 'w':
    case 'r':
        return KivoAppBase::DebugKeyDown(key);
    default:
        return false;
    }
}
