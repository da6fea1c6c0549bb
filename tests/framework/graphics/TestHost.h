#pragma once
// A graphics host that records what images ask of the application, with a
// display format the test chooses.
#include "framework/graphics/Color.h"
#include "framework/graphics/GraphicsHost.h"
#include "framework/graphics/NativeDisplay.h"

#include <set>

namespace graphicstest {

inline Kivo::Color RGBA(int r, int g, int b, int a)
{
    Kivo::Color c(r, g, b);
    c.mAlpha = a;
    return c;
}

inline Kivo::NativeDisplay MakeDisplay(uint32_t red, uint32_t green, uint32_t blue)
{
    Kivo::NativeDisplay d;
    auto describe = [](uint32_t mask, uint32_t& m, int32_t& bits, int32_t& shift) {
        m = mask;
        shift = __builtin_ctz(mask);
        bits = __builtin_popcount(mask);
    };
    describe(red, d.mRedMask, d.mRedBits, d.mRedShift);
    describe(green, d.mGreenMask, d.mGreenBits, d.mGreenShift);
    describe(blue, d.mBlueMask, d.mBlueBits, d.mBlueShift);
    return d;
}

class TestHost : public Kivo::NullGraphicsHost {
public:
    TestHost() { Kivo::SetGraphicsHost(this); }
    ~TestHost() override { Kivo::SetGraphicsHost(nullptr); }

    void AddMemoryImage(Kivo::MemoryImage* image) override { images.insert(image); }
    void RemoveMemoryImage(Kivo::MemoryImage* image) override { images.erase(image); }
    bool Is3DAccelerated() override { return accelerated; }
    Kivo::NativeDisplay* GetNativeDisplay() override { return &display; }
    void Remove3DData(Kivo::MemoryImage*) override { ++removed3D; }
    void SetSharedImagesNeedCleaning() override { cleaning = true; }
    bool IsDrawSurface3D(const Kivo::Image* image) override { return image == drawSurface; }

    std::set<Kivo::MemoryImage*> images;
    Kivo::NativeDisplay display = MakeDisplay(0xFF0000, 0xFF00, 0xFF);
    bool accelerated = false;
    int removed3D = 0;
    bool cleaning = false;
    const Kivo::Image* drawSurface = nullptr;
};

} // namespace graphicstest
