#include "framework/graphics/Color.h"

namespace Kivo {

const Color Color::White(255, 255, 255);

Color::Color(int packed, bool keepZeroAlpha)
    : mRed((packed >> 16) & 0xFF), mGreen((packed >> 8) & 0xFF), mBlue(packed & 0xFF),
      mAlpha((packed >> 24) & 0xFF)
{
    if (mAlpha == 0 && !keepZeroAlpha)
        mAlpha = 255;
}

int& Color::ComponentRef(int i)
{
    static int dummy;
    switch (i) {
    case 0: return mRed;
    case 1: return mGreen;
    case 2: return mBlue;
    case 3: return mAlpha;
    default: return dummy;
    }
}

int Color::Component(int i) const
{
    switch (i) {
    case 0: return mRed;
    case 1: return mGreen;
    case 2: return mBlue;
    case 3: return mAlpha;
    default: return 0;
    }
}

uint32_t Color::ToInt() const
{
    return (static_cast<uint32_t>(mAlpha & 0xFF) << 24) | (static_cast<uint32_t>(mRed & 0xFF) << 16) |
           (static_cast<uint32_t>(mGreen & 0xFF) << 8) | static_cast<uint32_t>(mBlue & 0xFF);
}

bool ColorEquals(const Color& a, const Color& b)
{
    return a.mRed == b.mRed && a.mGreen == b.mGreen && a.mBlue == b.mBlue && a.mAlpha == b.mAlpha;
}

bool ColorNotEquals(const Color& a, const Color& b) { return !ColorEquals(a, b); }

} // namespace Kivo
