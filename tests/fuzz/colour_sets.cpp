// Reads arbitrary bytes as "properties/combinations.xml": the colour sets
// each level draws its colours from.
#include "game/match/BrickHelper.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto sets = ParseColourSets(std::string(reinterpret_cast<const char*>(data), size));
    for (const auto& set : sets)
        for (int colour : set)
            if (colour < 0 || colour > 9)
                __builtin_trap();
    return 0;
}
