#include "framework/core/FloatColor.h"

namespace Kivo {

void FloatColor::SetFromInts(int a, int b, int c_, int d)
{
    c[0] = static_cast<float>(a & 255) / 255.0f;
    c[3] = static_cast<float>(b) / 255.0f;
    c[2] = static_cast<float>(c_) / 255.0f;
    c[1] = static_cast<float>(d) / 255.0f;
}

void FloatColor::SetFromBytes(const uint8_t* bytes)
{
    SetFromInts(bytes[3], bytes[2], bytes[1], bytes[0]);
}

} // namespace Kivo
