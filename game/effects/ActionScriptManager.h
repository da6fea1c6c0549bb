#pragma once
#include "framework/core/Singleton.h"

#include <map>
#include <memory>
#include <string>

class ActionScript;

// Holds the loaded script templates by name.
class ActionScriptManager : public Singleton<ActionScriptManager> {
public:
    ActionScriptManager();
    ~ActionScriptManager() override;

    // Reads the file through the archives and stores it under the name,
    // replacing a script of that name. Always true: an unreadable file
    // gives an empty script.
    bool LoadScript(const std::string& path, const std::string& name);
    // A new clone of the named script, owned by the caller; false when the
    // name is unknown.
    bool GetScriptCopy(const std::string& name, ActionScript*& copy) const;

    std::map<std::string, std::unique_ptr<ActionScript>> mScripts;
};

ActionScriptManager* GetActionScriptManager();
