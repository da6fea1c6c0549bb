// Animation descriptions as a manifest could give them: any type, delays,
// per-frame delays and frame map, then the cel for many times.
#include "framework/graphics/AnimInfo.h"

#include <cstddef>
#include <cstdint>

namespace {

int32_t Take(const uint8_t*& p, const uint8_t* end)
{
    uint32_t v = 0;
    for (int i = 0; i < 4 && p < end; ++i)
        v |= static_cast<uint32_t>(*p++) << (8 * i);
    return static_cast<int32_t>(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    Kivo::AnimInfo info;
    info.mAnimType = Take(p, end) & 7;
    info.mFrameDelay = Take(p, end);
    const int cels = Take(p, end) & 0xFFF; // the manifest bounds it; kept small here
    const int begin = Take(p, end);
    const int finish = Take(p, end);
    const int delays = Take(p, end) & 0xFF;
    for (int i = 0; i < delays && p < end; ++i)
        info.mPerFrameDelay.push_back(Take(p, end));
    const int map = Take(p, end) & 0xFF;
    for (int i = 0; i < map && p < end; ++i)
        info.mFrameMap.push_back(Take(p, end));
    if (Take(p, end) & 1)
        info.Compute(cels, begin, finish);
    while (p < end)
        info.GetCel(Take(p, end));
    return 0;
}
