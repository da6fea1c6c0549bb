#include "framework/graphics/GraphicsHost.h"

#include "framework/graphics/NativeDisplay.h"

#include <array>

namespace Kivo {

namespace {

constexpr std::array<uint8_t, 512> MakeSaturationTable()
{
    std::array<uint8_t, 512> t{};
    for (int i = 0; i < 512; ++i)
        t[i] = static_cast<uint8_t>(i < 256 ? i : 255);
    return t;
}

constexpr std::array<uint8_t, 512> kSaturation = MakeSaturationTable();

NativeDisplay& Display8888()
{
    static NativeDisplay d = [] {
        NativeDisplay n;
        n.mRGBBits = 32;
        n.mRedMask = 0xFF0000;
        n.mGreenMask = 0xFF00;
        n.mBlueMask = 0xFF;
        n.mRedBits = n.mGreenBits = n.mBlueBits = 8;
        n.mRedShift = 16;
        n.mGreenShift = 8;
        n.mBlueShift = 0;
        return n;
    }();
    return d;
}

NullGraphicsHost& TheNullHost()
{
    static NullGraphicsHost host;
    return host;
}

GraphicsHost* gHost = nullptr;

} // namespace

const uint8_t* GraphicsHost::GetSaturationTable() { return kSaturation.data(); }

NullGraphicsHost::NullGraphicsHost() : mDisplay(&Display8888()) {}

NativeDisplay* NullGraphicsHost::GetNativeDisplay() { return mDisplay; }

GraphicsHost* GetGraphicsHost() { return gHost ? gHost : &TheNullHost(); }

void SetGraphicsHost(GraphicsHost* host) { gHost = host; }

} // namespace Kivo
