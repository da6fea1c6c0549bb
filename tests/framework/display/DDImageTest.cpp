#include "DisplayFixture.h"

#include "framework/graphics/Matrix3x3.h"

#include <vector>

namespace {

using displaytest::Desktop;
using Kivo::Color;
using Kivo::DDImage;
using Kivo::Rect;

class DDImageTest : public displaytest::DisplayTest {
protected:
    void Start(int bytes)
    {
        SetDesktop(Desktop(1024, 768, bytes));
        ASSERT_EQ(display->Init(Window(), true), 0);
    }

    std::unique_ptr<DDImage> Image(const std::vector<uint32_t>& pixels, int width)
    {
        auto image = std::make_unique<DDImage>(display.get());
        image->SetBits(pixels.data(), width, int(pixels.size()) / width);
        return image;
    }

    static std::vector<uint32_t> Bits(DDImage& image)
    {
        const uint32_t* bits = image.GetBits();
        if (!bits)
            return {};
        return std::vector<uint32_t>(bits, bits + size_t(image.mWidth) * image.mHeight);
    }

    // The 565 value `v` as ARGB that converts back to exactly `v`.
    static uint32_t From565(uint32_t v)
    {
        return 0xFF000000u | ((v >> 11) & 31) << 19 | ((v >> 5) & 63) << 10 | (v & 31) << 3;
    }
};

TEST_F(DDImageTest, ColourKeyChoice)
{
    struct Case {
        const char* name;
        int bytes;
        std::vector<uint32_t> pixels;
        bool surface;
        bool keyed;
        uint32_t key;
    } cases[] = {
        { "translucent", 4, { 0xFF102030, 0x80FFFFFF }, false, false, 0 },
        { "opaque", 4, { 0xFF102030, 0xFF000000 }, true, false, 0 },
        { "32-bit free candidate", 4, { 0x00000005, 0xFF000000 }, true, true, 5 },
        { "32-bit black collides", 4, { 0x00000000, 0xFF000000, 0xFF000002 }, true, true, 1 },
        { "32-bit next free", 4, { 0x00000000, 0xFF000000, 0xFF000001 }, true, true, 2 },
        { "16-bit free candidate", 2, { 0x00FFFFFF, 0xFF000000 }, true, true, 0xFFFF },
        // Black collides; the key is the lowest free value of the last group.
        { "16-bit black collides", 2, { 0x00000000, 0xFF000000 }, true, true, 0xFFE0 },
        { "16-bit last group full", 2, { 0x00000000, 0xFF000000, From565(0xFFE0) }, true, true, 0xFFE1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(c.bytes);
        auto image = Image(c.pixels, int(c.pixels.size()));
        EXPECT_EQ(image->GetSurface() != nullptr, c.surface);
        EXPECT_EQ(image->LockSurface(), c.surface);
        if (c.surface)
            image->UnlockSurface();
        EXPECT_EQ(image->mHasColorKey, c.keyed);
        if (c.keyed) {
            EXPECT_EQ(image->mColorKey, c.key);
            // Read back from the surface alone: every pixel comes back
            // opaque, the transparent ones in the key's colour.
            image->DeleteAllNonSurfaceData();
            const auto back = Bits(*image);
            for (size_t i = 0; i < c.pixels.size(); ++i)
                EXPECT_EQ(back[i] >> 24, 0xFFu) << i;
        }
    }
}

TEST_F(DDImageTest, NoFreeKeyMeansNoSurface)
{
    Start(2);
    std::vector<uint32_t> pixels(257 * 256, 0); // the last row transparent
    for (uint32_t v = 0; v < 65536; ++v)
        pixels[v] = From565(v);
    auto image = Image(pixels, 256);
    EXPECT_FALSE(image->CreateSurfaceFromBits());
    EXPECT_EQ(image->mSurface, nullptr);
    EXPECT_EQ(Bits(*image), pixels);
}

TEST_F(DDImageTest, ReadBackPerLayout)
{
    struct Case {
        platform::PixelLayout layout;
        uint32_t in, out;
    } cases[] = {
        { { 2, 0xF800, 0x07E0, 0x001F }, 0xFFFFFFFF, 0xFFF8FCF8 },
        { { 2, 0xF800, 0x07E0, 0x001F }, 0xFF8040C0, 0xFF8040C0 },
        { { 2, 0x7C00, 0x03E0, 0x001F }, 0xFFFFFFFF, 0xFFF8F8F8 },
        { { 4, 0xFF0000, 0xFF00, 0xFF }, 0xFF123456, 0xFF123456 },
        { { 4, 0xFF, 0xFF00, 0xFF0000 }, 0xFF123456, 0xFF123456 },
    };
    for (const Case& c : cases) {
        auto mode = Desktop(1024, 768);
        mode.layout = c.layout;
        SetDesktop(mode);
        ASSERT_EQ(display->Init(Window(), true), 0);
        auto image = Image({ c.in, c.in }, 2);
        ASSERT_TRUE(image->CreateSurfaceFromBits());
        image->DeleteAllNonSurfaceData();
        EXPECT_EQ(Bits(*image), (std::vector<uint32_t> { c.out, c.out })) << std::hex << c.in;
        const uint32_t* bits = image->GetBits();
        EXPECT_EQ(bits[2], Kivo::MemoryImage::kGuardWord);
    }
}

// With a key of 0, black drawn onto the surface carries the key's colour;
// read back, it must stay black and visible.
TEST_F(DDImageTest, BlackDrawnOverAKeyOfZeroStaysVisible)
{
    Start(4);
    auto image = Image({ 0xFFFFFFFF, 0x00000000 }, 2);
    ASSERT_TRUE(image->CreateSurfaceFromBits());
    ASSERT_TRUE(image->mHasColorKey);
    ASSERT_EQ(image->mColorKey, 0u);
    const auto black = Image({ 0xFF000000 }, 1);
    image->BltMirror(black.get(), 0, 0, Rect(0, 0, 1, 1), Color(255, 255, 255), 0);
    ASSERT_EQ(image->mBits, nullptr); // drawn into the surface
    EXPECT_EQ(Bits(*image), (std::vector<uint32_t> { 0xFF000000, 0xFF000000 }));
}

// An image drawn only in video memory has no bits: the matrix and triangle
// blits draw nothing instead of writing through a null pointer.
TEST_F(DDImageTest, TransformedBlitsIntoADrawDisabledImageDrawNothing)
{
    Start(4);
    auto target = Image(std::vector<uint32_t>(16, 0xFF000000), 4);
    ASSERT_TRUE(target->CreateSurfaceFromBits());
    target->DeleteAllNonSurfaceData();
    target->mDrawToBits = true;
    ASSERT_EQ(target->GetBits(), nullptr);
    Kivo::MemoryImage source;
    source.Create(2, 2);
    const Kivo::Matrix3x3 m;
    target->BltMatrix(&source, 1, 1, m, Rect(0, 0, 4, 4), Color::White, 0, Rect(0, 0, 2, 2), false);
    const Kivo::TriVertex tri[1][3] = { { { 0, 0, 0, 0, 0, 0 }, { 4, 0, 0, 1, 0, 0 }, { 0, 4, 0, 0, 1, 0 } } };
    target->BltTrianglesTex(&source, tri, 1, Rect(0, 0, 4, 4), Color::White, 0, 0, 0, false);
    target->mDrawToBits = false;
    EXPECT_EQ(Bits(*target), std::vector<uint32_t>(16, 0xFF000000));
}

TEST_F(DDImageTest, NestedLocksLockOnce)
{
    Start(4);
    auto image = Image({ 0xFF000000 }, 1);
    ASSERT_TRUE(image->LockSurface());
    ASSERT_TRUE(image->LockSurface());
    DDSURFACEDESC desc {};
    desc.dwSize = sizeof desc;
    EXPECT_EQ(image->mSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    image->UnlockSurface();
    EXPECT_EQ(image->mSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    image->UnlockSurface();
    EXPECT_EQ(image->mSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    image->mSurface->Unlock(nullptr);
    EXPECT_FALSE(image->UnlockSurface());
}

TEST_F(DDImageTest, FailuresLeaveTheImageInSoftware)
{
    // Before the display exists.
    auto early = Image({ 0xFF112233 }, 1);
    EXPECT_EQ(early->GetSurface(), nullptr);
    EXPECT_EQ(Bits(*early), std::vector<uint32_t> { 0xFF112233 });

    Start(4);
    platform::DDraw().FailCall("Lock", DDERR_SURFACEBUSY);
    auto image = Image({ 0xFF112233 }, 1);
    EXPECT_FALSE(image->CreateSurfaceFromBits());
    EXPECT_EQ(image->mSurface, nullptr); // no surface with undefined pixels
    EXPECT_EQ(Bits(*image), std::vector<uint32_t> { 0xFF112233 });
    platform::ResetDDraw();

    // An image whose pixels are made on demand.
    DDImage blank(display.get());
    blank.Create(2, 2);
    blank.SetImageMode(false, false);
    EXPECT_TRUE(blank.CreateSurfaceFromBits());
}

TEST_F(DDImageTest, LifecycleRoundTrip)
{
    Start(2);
    const std::vector<uint32_t> pixels { From565(0xF800), From565(0x07E0), From565(0x001F), From565(0x1234) };
    auto image = Image(pixels, 2);
    ASSERT_TRUE(image->GenerateDDSurface());
    image->PurgeBits(); // in 2D the surface keeps the only copy
    EXPECT_EQ(image->mBits, nullptr);
    ASSERT_NE(image->mSurface, nullptr);
    image->DeleteNativeData(); // before the display starts again
    EXPECT_EQ(image->mSurface, nullptr);
    ASSERT_EQ(display->Init(Window(), true), 0);
    image->ReInit();
    EXPECT_NE(image->mSurface, nullptr);
    EXPECT_EQ(image->mBits, nullptr);
    EXPECT_EQ(Bits(*image), pixels);
}

TEST_F(DDImageTest, ResourceLoadingAsksForASurface)
{
    Start(4);
    std::unique_ptr<Kivo::MemoryImage> image(display->NewImage());
    const uint32_t pixel = 0xFF010203;
    image->SetBits(&pixel, 1, 1);
    EXPECT_FALSE(display->HasDisplaySurface(image.get()));
    display->RequestDisplaySurface(image.get());
    image->ReInit(); // after the display's next start
    EXPECT_TRUE(display->HasDisplaySurface(image.get()));
    Kivo::MemoryImage plain;
    display->RequestDisplaySurface(&plain);
    EXPECT_FALSE(display->HasDisplaySurface(&plain));
}

TEST_F(DDImageTest, VideoMemoryMovesTheSurface)
{
    Start(4);
    auto image = Image({ 0xFF445566 }, 1);
    ASSERT_TRUE(image->CreateSurfaceFromBits());
    platform::DDraw().logCalls = true;
    image->SetVideoMemory(false);
    EXPECT_TRUE(platform::DDraw().calls.empty());
    image->SetVideoMemory(true);
    EXPECT_EQ(image->mSurface, nullptr);
    EXPECT_EQ(Bits(*image), std::vector<uint32_t> { 0xFF445566 });
}

TEST_F(DDImageTest, AdoptingReplacesTheSurface)
{
    Start(4);
    DDImage image(display.get());
    image.SetSurface(display->mDrawSurface);
    image.SetSurface(display->mOldCursorArea);
    EXPECT_EQ(image.mWidth, 64);
    image.PurgeBits(); // untouched: adopted
    EXPECT_EQ(image.mSurface, display->mOldCursorArea);
}

TEST_F(DDImageTest, DrawingRoutes)
{
    Start(4);
    struct Case {
        const char* name;
        std::vector<uint32_t> pixels;
        bool surfaceFirst;
        bool is3D;
        int mode;
        bool toSurface;
        uint32_t result; // pixel 0 after filling it with (255, 0, 0, 255)
    } cases[] = {
        { "opaque", { 0xFF000000, 0xFF000000 }, false, false, 0, true, 0xFFFE0000 },
        { "additive", { 0xFF000000, 0xFF000000 }, false, false, 1, true, 0xFFFF0000 },
        { "other mode", { 0xFF000000, 0xFF000000 }, false, false, 2, true, 0xFF000000 },
        { "keyed", { 0xFF000000, 0x00000000 }, true, false, 0, false, 0xFFFF0000 },
        { "transparent, no key yet", { 0xFF000000, 0x00000000 }, false, false, 0, false, 0xFFFF0000 },
        { "translucent", { 0xFF000000, 0x80000000 }, false, false, 0, false, 0xFFFF0000 },
        { "3D in use", { 0xFF000000, 0xFF000000 }, false, true, 0, false, 0xFFFF0000 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = Image(c.pixels, 2);
        if (c.surfaceFirst) {
            ASSERT_TRUE(image->CreateSurfaceFromBits());
        }
        display->mIs3D = c.is3D;
        image->FillRect(Rect(0, 0, 1, 1), Color(255, 0, 0), c.mode);
        display->mIs3D = false;
        EXPECT_EQ(image->mBits == nullptr, c.toSurface);
        EXPECT_EQ(Bits(*image)[0], c.result);
    }
}

TEST_F(DDImageTest, AdditiveSmoothLinesDrawOnlyStraightOnes)
{
    Start(4);
    auto image = Image(std::vector<uint32_t>(16, 0xFF000000), 4);
    image->DrawLineAA(0, 0, 3, 2, Color(0, 200, 0), 1);
    EXPECT_EQ(Bits(*image), std::vector<uint32_t>(16, 0xFF000000));
    image->DrawLineAA(0, 1, 3, 1, Color(0, 200, 0), 1);
    const auto bits = Bits(*image);
    EXPECT_EQ(bits[4], 0xFF00C800u);
    EXPECT_EQ(bits[7], 0xFF00C800u);
    EXPECT_EQ(bits[8], 0xFF000000u);
}

TEST(SurfaceReadBack, MasksPlaceEachChannel)
{
    const uint16_t pixels16[2] = { 0xF800, 0xFFFF };
    DDSURFACEDESC2 desc {};
    desc.lpSurface = const_cast<uint16_t*>(pixels16);
    desc.lPitch = 4;
    desc.ddpfPixelFormat.dwRBitMask = 0xF800;
    desc.ddpfPixelFormat.dwGBitMask = 0x07E0;
    desc.ddpfPixelFormat.dwBBitMask = 0x001F;
    uint32_t out[2] = {};
    Kivo::ReadSurfacePixels16(out, 2, 1, desc);
    EXPECT_EQ(out[0], 0xFFF80000u);
    EXPECT_EQ(out[1], 0xFFF8FCF8u);

    const uint32_t pixels32[4] = { 0x00123456, 0, 0xFF654321, 0 }; // two rows, pitch of two pixels
    desc.lpSurface = const_cast<uint32_t*>(pixels32);
    desc.lPitch = 8;
    desc.ddpfPixelFormat.dwRBitMask = 0xFF;
    desc.ddpfPixelFormat.dwGBitMask = 0xFF00;
    desc.ddpfPixelFormat.dwBBitMask = 0xFF0000;
    Kivo::ReadSurfacePixels32(out, 1, 2, desc);
    EXPECT_EQ(out[0], 0xFF563412u);
    EXPECT_EQ(out[1], 0xFF214365u);
}

} // namespace
