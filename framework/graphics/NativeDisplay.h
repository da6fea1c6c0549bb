#pragma once
// The screen's pixel format, as the display device fills it when it sets the
// display up. The display device derives from this; memory images read it to
// build and undo their premultiplied display-format copies.
#include <cstdint>

namespace Kivo {

class NativeDisplay {
public:
    virtual ~NativeDisplay() = default;

    int32_t mRGBBits = 0;
    uint32_t mRedMask = 0;
    uint32_t mGreenMask = 0;
    uint32_t mBlueMask = 0;
    int32_t mRedBits = 0;
    int32_t mGreenBits = 0;
    int32_t mBlueBits = 0;
    int32_t mRedShift = 0;  // position of the channel's lowest bit
    int32_t mGreenShift = 0;
    int32_t mBlueShift = 0;
};

} // namespace Kivo
