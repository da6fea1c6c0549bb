#include "game/effects/ActionScriptManager.h"

#include "framework/sound/SoundFiles.h"
#include "game/effects/ActionScript.h"

#include <vector>

ActionScriptManager::ActionScriptManager() = default;

ActionScriptManager::~ActionScriptManager() = default;

bool ActionScriptManager::LoadScript(const std::string& path, const std::string& name)
{
    auto script = std::make_unique<ActionScript>();
    std::vector<uint8_t> bytes;
    if (Kivo::ReadPakFile(path, bytes))
        script->Read(std::string(bytes.begin(), bytes.end()));
    mScripts[name] = std::move(script);
    return true;
}

bool ActionScriptManager::GetScriptCopy(const std::string& name, ActionScript*& copy) const
{
    auto found = mScripts.find(name);
    if (found == mScripts.end())
        return false;
    copy = found->second->Clone();
    return true;
}

ActionScriptManager* GetActionScriptManager() { return ActionScriptManager::Instance(); }
