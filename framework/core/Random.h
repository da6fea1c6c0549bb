#pragma once
// The two random generators. Both sequences must repeat exactly: recorded
// demos and the game's hints replay only when every draw does.
#include <cstdint>

namespace Kivo {

// MT19937 whose outputs have the top bit cleared (0 to 0x7FFFFFFF).
class MTRand {
public:
    MTRand() { SRand(4357); }
    explicit MTRand(uint32_t seed) { SRand(seed); }
    // Seed 0 means 4357.
    void SRand(uint32_t seed);
    uint32_t Next();

private:
    void Regenerate();

    uint32_t mState[624];
    int mIndex = 624;
};

// The global twister, seeded with 4357 at start.
void SeedRandom(uint32_t seed);
uint32_t Rand();

// The linear congruential generator shared by RandomInt, RandomFloat and
// their kin: one 32-bit state, 0 until seeded.
void SeedRandomInt(uint32_t seed);
uint32_t GetRandomIntState();
// A number in [min, max]. An empty range (max <= min) still advances the
// state and gives min.
int RandomInt(int min, int max);
// 0 without a draw for n of 0 or 1, else RandomInt(0, n - 1).
int RandomIndex(int n);
int RandomSign();
// min + (max - min) * u / 65535 for the top 16 bits u of the next state, so
// both ends can occur.
float RandomFloat(float min, float max);

} // namespace Kivo
