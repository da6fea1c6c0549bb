#pragma once
#include <cstdint>

namespace Kivo {

// Four integer channels 0..255; packed for pixels as 0xAARRGGBB.
class Color {
public:
    Color() = default;
    // From a packed 0xAARRGGBB value. An alpha byte of 0 means opaque unless
    // keepZeroAlpha is set, so that 0xRRGGBB literals give opaque colours.
    Color(int packed, bool keepZeroAlpha = false);
    Color(int red, int green, int blue) : mRed(red), mGreen(green), mBlue(blue) {}
    explicit Color(const int* rgb) : mRed(rgb[0]), mGreen(rgb[1]), mBlue(rgb[2]) {}

    int GetRed() const { return mRed; }
    int GetGreen() const { return mGreen; }
    int GetBlue() const { return mBlue; }
    int GetAlpha() const { return mAlpha; }

    // Channel i (0 red .. 3 alpha); any other index gives one shared dummy.
    int& ComponentRef(int i);
    // Channel i, 0 for any other index.
    int Component(int i) const;
    // 0xAARRGGBB from the low 8 bits of each channel.
    uint32_t ToInt() const;

    int mRed = 0;
    int mGreen = 0;
    int mBlue = 0;
    int mAlpha = 255;

    static const Color White;
};

bool ColorEquals(const Color& a, const Color& b);
bool ColorNotEquals(const Color& a, const Color& b);
inline bool operator==(const Color& a, const Color& b) { return ColorEquals(a, b); }

} // namespace Kivo
