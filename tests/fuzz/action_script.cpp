// Reads arbitrary text as an action script, then runs a clone of it for a
// few frames at odd step sizes. Reading and running must neither crash nor
// hang, whatever the steps and formulas say.
#include "game/effects/ActionScript.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 16))
        return 0;
    ActionScript script;
    script.Read(std::string(reinterpret_cast<const char*>(data), size));
    std::unique_ptr<ActionScript> copy(script.Clone());
    for (float dt : { 1.0f, 0.0f, 37.5f, -2.0f, 1.0f, 1e30f })
        copy->Update(dt);
    return 0;
}
