#pragma once
// Run-time libraries looked up by name. There are no shared libraries to
// load: every library the program asks for ("ddraw.dll", "dsound.dll", ...)
// is a module of this layer, registered by name with its named functions.
// As on Windows, an unknown module or function gives null.
#include "platform/win32/WinTypes.h"

#include <string>

HMODULE LoadLibraryA(const char* fileName);
FARPROC GetProcAddress(HMODULE module, const char* procName);
BOOL FreeLibrary(HMODULE module);

namespace platform {

// Adds `function` to the module named `module` ("dsound.dll"), creating the
// module. Names of modules compare without case and without any folder;
// a name without extension means ".dll". Function names compare with case.
void RegisterModuleFunction(const std::string& module, const std::string& function, FARPROC address);

template <typename F>
void RegisterModuleFunction(const std::string& module, const std::string& function, F* address)
{
    RegisterModuleFunction(module, function, reinterpret_cast<FARPROC>(address));
}

// Adds a module without functions, so that LoadLibraryA finds it.
void RegisterModule(const std::string& module);

// Removes a function or a whole module, so that tests reach the paths where
// a library or one of its functions is missing. Handles already given out
// stay valid; later look-ups fail.
void UnregisterModuleFunction(const std::string& module, const std::string& function);
void UnregisterModule(const std::string& module);

// How many LoadLibraryA calls on the module are not yet matched by
// FreeLibrary; 0 for an unknown module.
int ModuleLoadCount(const std::string& module);

} // namespace platform
