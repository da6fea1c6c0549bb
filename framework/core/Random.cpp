#include "framework/core/Random.h"

#include <atomic>
#include <mutex>

namespace Kivo {
namespace {

std::mutex gMtMutex;
MTRand gMt;
std::atomic<uint32_t> gLcgState { 0 };

uint32_t NextLcgState()
{
    uint32_t state = gLcgState.load(std::memory_order_relaxed);
    uint32_t next;
    do {
        next = state * 214013u + 2531011u;
    } while (!gLcgState.compare_exchange_weak(state, next, std::memory_order_relaxed));
    return next;
}

} // namespace

void MTRand::SRand(uint32_t seed)
{
    mState[0] = seed ? seed : 4357;
    for (uint32_t i = 1; i < 624; ++i)
        mState[i] = 1812433253u * (mState[i - 1] ^ (mState[i - 1] >> 30)) + i;
    mIndex = 624;
}

void MTRand::Regenerate()
{
    constexpr uint32_t kUpper = 0x80000000u, kLower = 0x7FFFFFFFu, kMatrix = 0x9908B0DFu;
    for (int i = 0; i < 624; ++i) {
        uint32_t y = (mState[i] & kUpper) | (mState[(i + 1) % 624] & kLower);
        mState[i] = mState[(i + 397) % 624] ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
    }
    mIndex = 0;
}

uint32_t MTRand::Next()
{
    if (mIndex >= 624)
        Regenerate();
    uint32_t y = mState[mIndex++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y & 0x7FFFFFFFu;
}

void SeedRandom(uint32_t seed)
{
    std::lock_guard lock(gMtMutex);
    gMt.SRand(seed);
}

uint32_t Rand()
{
    std::lock_guard lock(gMtMutex);
    return gMt.Next();
}

void SeedRandomInt(uint32_t seed)
{
    gLcgState.store(seed, std::memory_order_relaxed);
}

uint32_t GetRandomIntState()
{
    return gLcgState.load(std::memory_order_relaxed);
}

int RandomInt(int min, int max)
{
    uint32_t state = NextLcgState();
    if (max <= min)
        return min;
    uint32_t v = (state >> 15) ^ state;
    uint32_t range = static_cast<uint32_t>(max) - static_cast<uint32_t>(min) + 1u;
    if (range == 0)
        return static_cast<int>(v);
    return static_cast<int>(v % range + static_cast<uint32_t>(min));
}

int RandomIndex(int n)
{
    if (n == 0 || n == 1)
        return 0;
    return RandomInt(0, n - 1);
}

int RandomSign()
{
    return RandomInt(0, 1) > 0 ? 1 : -1;
}

float RandomFloat(float min, float max)
{
    uint32_t u = NextLcgState() >> 16;
    return min + (max - min) * static_cast<float>(u) * (1.0f / 65535.0f);
}

} // namespace Kivo
