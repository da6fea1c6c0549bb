#pragma once
// Images drawn into their DirectDraw surfaces on a display of a chosen
// layout, with the surface's raw pixels read back.
#include "DisplayFixture.h"

#include <string>
#include <vector>

namespace surfacetest {

// 565, 555 and 32-bit desktops.
inline const platform::PixelLayout kLayouts[3] = {
    { 2, 0xF800, 0x07E0, 0x001F },
    { 2, 0x7C00, 0x03E0, 0x001F },
    { 4, 0xFF0000, 0xFF00, 0xFF },
};

inline Kivo::Color Rgba(int r, int g, int b, int a)
{
    Kivo::Color c(r, g, b);
    c.mAlpha = a;
    return c;
}

class SurfaceTest : public displaytest::DisplayTest {
protected:
    void Start(const platform::PixelLayout& layout)
    {
        display.reset();
        display = std::make_unique<Kivo::DDInterface>(&app);
        app.display = display.get();
        SetDesktop({ 1024, 768, layout, 60 });
        ASSERT_EQ(display->Init(Window(), true), 0);
    }

    // An image with a surface and no software copies.
    std::unique_ptr<Kivo::DDImage> Opaque(int width, int height)
    {
        auto image = std::make_unique<Kivo::DDImage>(display.get());
        std::vector<uint32_t> pixels(size_t(width) * height, 0xFF000000);
        image->SetBits(pixels.data(), width, height);
        EXPECT_TRUE(image->CreateSurfaceFromBits());
        image->DeleteAllNonSurfaceData();
        return image;
    }

    template <typename Fn>
    static void EachPixel(Kivo::DDImage& image, Fn fn)
    {
        ASSERT_TRUE(image.LockSurface());
        const DDSURFACEDESC& desc = image.mLockedSurfaceDesc;
        const bool wide = desc.ddpfPixelFormat.dwRGBBitCount == 32;
        for (int y = 0; y < image.mHeight; ++y) {
            uint8_t* row = static_cast<uint8_t*>(desc.lpSurface) + ptrdiff_t(y) * desc.lPitch;
            for (int x = 0; x < image.mWidth; ++x) {
                if (wide)
                    fn(reinterpret_cast<uint32_t*>(row)[x]);
                else {
                    uint32_t v = reinterpret_cast<uint16_t*>(row)[x];
                    fn(v);
                    reinterpret_cast<uint16_t*>(row)[x] = uint16_t(v);
                }
            }
        }
        image.UnlockSurface();
    }

    static void SetAll(Kivo::DDImage& image, uint32_t value)
    {
        EachPixel(image, [&](uint32_t& p) { p = value; });
    }

    static std::vector<uint32_t> Pixels(Kivo::DDImage& image)
    {
        std::vector<uint32_t> out;
        EachPixel(image, [&](uint32_t& p) { out.push_back(p); });
        return out;
    }

    // '#' for every pixel that is not 0, a line per row.
    static std::string Shape(Kivo::DDImage& image)
    {
        std::string out;
        const auto px = Pixels(image);
        for (size_t i = 0; i < px.size(); ++i) {
            out += px[i] ? '#' : '.';
            if ((i + 1) % size_t(image.mWidth) == 0)
                out += '\n';
        }
        return out;
    }
};

} // namespace surfacetest
