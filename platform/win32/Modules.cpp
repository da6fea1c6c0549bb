#include "platform/win32/Modules.h"

#include "platform/ddraw/DDraw.h"
#include "platform/j2k/J2KCodec.h"

#include <cctype>
#include <map>
#include <memory>
#include <mutex>

struct HINSTANCE__ {
    std::map<std::string, FARPROC> functions;
    bool registered = true;
    int loads = 0;
};

namespace {

std::string ModuleKey(std::string name)
{
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name.find('.') == std::string::npos)
        name += ".dll";
    return name;
}

struct Registry {
    // The libraries this layer provides itself are there from the start.
    Registry()
    {
        for (const auto& [name, address] : platform::J2KCodecFunctions())
            Add(kJ2KCodecModule, name, address);
        Add(platform::kDDrawModule, "DirectDrawCreate", reinterpret_cast<FARPROC>(&DirectDrawCreate));
        Add(platform::kDDrawModule, "DirectDrawCreateEx", reinterpret_cast<FARPROC>(&DirectDrawCreateEx));
    }

    void Add(const std::string& module, const std::string& function, FARPROC address)
    {
        auto& slot = modules[ModuleKey(module)];
        if (!slot)
            slot = std::make_unique<HINSTANCE__>();
        slot->registered = true;
        slot->functions[function] = address;
    }

    std::mutex mutex;
    // Records are never freed, so a handle stays valid for the whole run.
    std::map<std::string, std::unique_ptr<HINSTANCE__>> modules;
};

Registry& GetRegistry()
{
    static Registry registry;
    return registry;
}

HINSTANCE__* Find(Registry& r, const std::string& module)
{
    auto it = r.modules.find(ModuleKey(module));
    return it == r.modules.end() ? nullptr : it->second.get();
}

} // namespace

HMODULE LoadLibraryA(const char* fileName)
{
    if (!fileName)
        return nullptr;
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    HINSTANCE__* m = Find(r, fileName);
    if (!m || !m->registered)
        return nullptr;
    ++m->loads;
    return m;
}

FARPROC GetProcAddress(HMODULE module, const char* procName)
{
    if (!module || !procName)
        return nullptr;
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    if (!module->registered)
        return nullptr;
    auto it = module->functions.find(procName);
    return it == module->functions.end() ? nullptr : it->second;
}

BOOL FreeLibrary(HMODULE module)
{
    if (!module)
        return FALSE;
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    if (module->loads <= 0)
        return FALSE;
    --module->loads;
    return TRUE;
}

namespace platform {

void RegisterModuleFunction(const std::string& module, const std::string& function, FARPROC address)
{
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    r.Add(module, function, address);
}

void RegisterModule(const std::string& module)
{
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    auto& slot = r.modules[ModuleKey(module)];
    if (!slot)
        slot = std::make_unique<HINSTANCE__>();
    slot->registered = true;
}

void UnregisterModuleFunction(const std::string& module, const std::string& function)
{
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    if (HINSTANCE__* m = Find(r, module))
        m->functions.erase(function);
}

void UnregisterModule(const std::string& module)
{
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    if (HINSTANCE__* m = Find(r, module)) {
        m->registered = false;
        m->functions.clear();
    }
}

int ModuleLoadCount(const std::string& module)
{
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    HINSTANCE__* m = Find(r, module);
    return m ? m->loads : 0;
}

} // namespace platform
