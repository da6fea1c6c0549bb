#pragma once
// The game's command-line handler. It replaces the framework's: the only
// parameter it knows is set_start_level, whose value holds "level" and the
// start level after it (set_start_level=level12); everything else is
// ignored without a message.
#include "framework/app/KivoAppBase.h"

#include <string>

void HandleGameCmdLineParam(Kivo::KivoAppBase& app, const std::string& name, const std::string& value);
