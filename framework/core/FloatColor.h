#pragma once
#include <cstdint>

namespace Kivo {

// A colour as four channel values from 0 to 1.
struct FloatColor {
    float c[4] = { 0, 0, 0, 0 };

    // Channel 0 takes a (its low byte), channel 3 b, channel 2 c, channel 1 d.
    void SetFromInts(int a, int b, int c, int d);
    // A 4-byte colour in memory order: channel 0 is byte 3, channel 1 byte 0,
    // channel 2 byte 1, channel 3 byte 2.
    void SetFromBytes(const uint8_t* bytes);
};

} // namespace Kivo
