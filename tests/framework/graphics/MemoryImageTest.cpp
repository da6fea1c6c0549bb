#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SharedImage.h"

#include "TestHost.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Kivo;
using graphicstest::MakeDisplay;
using graphicstest::TestHost;

namespace {

std::vector<uint32_t> Pixels(const MemoryImage& image)
{
    return std::vector<uint32_t>(image.mBits, image.mBits + image.mWidth * image.mHeight);
}

} // namespace

TEST(MemoryImage, RegistersWithItsHostAndKeepsTheGuardWord)
{
    TestHost host;
    {
        MemoryImage image;
        EXPECT_EQ(host.images.count(&image), 1u);
        uint32_t px[6] = { 1, 2, 3, 4, 5, 6 };
        image.SetBits(px, 3, 2);
        EXPECT_EQ(image.mBits[6], MemoryImage::kGuardWord);
        image.Create(2, 2);
        EXPECT_EQ(image.mBits, nullptr);
        EXPECT_EQ(image.GetBits()[4], MemoryImage::kGuardWord);
        EXPECT_EQ(image.GetBits()[0], 0u);
    }
    EXPECT_TRUE(host.images.empty());
}

TEST(MemoryImage, RejectsSizesItCannotAllocate)
{
    TestHost host;
    MemoryImage image;
    uint32_t px[4] = {};
    for (auto [w, h] : { std::pair{ -1, 5 }, { 5, -1 }, { 70000, 70000 }, { 16385, 1 }, { 16384, 16384 } }) {
        image.Create(w, h);
        EXPECT_EQ(image.mWidth * image.mHeight, 0) << w << "x" << h;
        image.SetBits(px, w, h);
        EXPECT_EQ(image.mWidth * image.mHeight, 0) << w << "x" << h;
    }
}

TEST(MemoryImage, TakeBitsAdoptsTheBufferAsSetBitsWouldCopyIt)
{
    TestHost host;
    const uint32_t px[3] = { 0xFF000000, 0x80000000, 0xFF123456 };
    MemoryImage copied;
    copied.SetBits(px, 3, 1);
    MemoryImage taken;
    taken.Create(5, 5);
    taken.GetBits();
    auto* buffer = new uint32_t[4]{ px[0], px[1], px[2], 0 };
    taken.TakeBits(buffer, 3, 1);
    EXPECT_EQ(taken.mBits, buffer);
    EXPECT_EQ(taken.mBits[3], MemoryImage::kGuardWord);
    EXPECT_EQ(Pixels(taken), Pixels(copied));
    EXPECT_EQ(taken.mHasTrans, copied.mHasTrans);
    EXPECT_EQ(taken.mHasAlpha, copied.mHasAlpha);
    // A size the images refuse frees the buffer (the leak checker watches)
    // and leaves the image empty.
    for (auto [w, h] : { std::pair{ 0, 1 }, { -1, 1 }, { 16385, 1 } }) {
        taken.TakeBits(new uint32_t[2](), w, h);
        EXPECT_EQ(taken.mWidth * taken.mHeight, 0) << w << "x" << h;
    }
}

TEST(MemoryImage, CommitBitsFindsAlphaClassesUnlessForced)
{
    TestHost host;
    MemoryImage image;
    uint32_t px[3] = { 0xFF000000, 0x80000000, 0xFF123456 };
    image.SetBits(px, 3, 1);
    EXPECT_FALSE(image.mHasTrans);
    EXPECT_TRUE(image.mHasAlpha);
    image.Create(4, 4);
    image.CommitBits(); // nothing to scan: transparent, not translucent
    EXPECT_TRUE(image.mHasTrans);
    EXPECT_FALSE(image.mHasAlpha);
    image.SetImageMode(false, false);
    image.SetBits(px, 3, 1);
    EXPECT_FALSE(image.mHasAlpha);
}

TEST(MemoryImage, PalettizesUpTo256ColoursExactly)
{
    TestHost host;
    std::vector<uint32_t> px(257);
    for (int i = 0; i < 257; ++i)
        px[i] = 0x01000000u * (i & 0xFF) + static_cast<uint32_t>(i * 77);

    MemoryImage too;
    too.SetBits(px.data(), 257, 1);
    EXPECT_FALSE(too.Palletize());
    EXPECT_NE(too.mBits, nullptr);
    EXPECT_EQ(too.mColorTable, nullptr);
    EXPECT_FALSE(too.mWantPal);

    MemoryImage fits;
    px[256] = px[3];
    fits.SetBits(px.data(), 16, 16); // 256 distinct colours
    std::vector<uint32_t> before = Pixels(fits);
    fits.GetNativeAlphaData(host.GetNativeDisplay());
    ASSERT_TRUE(fits.Palletize());
    EXPECT_EQ(fits.mBits, nullptr);
    EXPECT_EQ(fits.mNativeAlphaData, nullptr);
    EXPECT_EQ(fits.mColorTable[0], px[0]); // order of first appearance
    EXPECT_EQ(fits.mColorTable[1], px[1]);
    fits.GetBits();
    EXPECT_EQ(Pixels(fits), before);
    EXPECT_EQ(fits.mColorTable, nullptr);
    EXPECT_EQ(fits.mColorIndices, nullptr);
}

TEST(MemoryImage, UnusedPaletteEntriesRepeatTheFirstColour)
{
    TestHost host;
    MemoryImage image;
    uint32_t px[2] = { 0xFF102030, 0xFF405060 };
    image.SetBits(px, 2, 1);
    ASSERT_TRUE(image.Palletize());
    for (int i = 2; i < 256; ++i)
        ASSERT_EQ(image.mColorTable[i], px[0]);
    image.BitsChanged();
    image.CommitBits(); // scans the table: still opaque
    EXPECT_FALSE(image.mHasTrans);
    EXPECT_FALSE(image.mHasAlpha);
}

TEST(MemoryImage, CreateDropsAPaletteFormOfAnotherSize)
{
    TestHost host;
    MemoryImage image;
    std::vector<uint32_t> px(4, 0xFFABCDEF);
    image.SetBits(px.data(), 2, 2);
    ASSERT_TRUE(image.Palletize());
    image.Create(64, 64); // a stale 2x2 index table would be read as 64x64
    EXPECT_EQ(image.mColorIndices, nullptr);
    EXPECT_EQ(image.GetBits()[64 * 64 - 1], 0u);
}

TEST(MemoryImage, RunLengthAlphaCoding)
{
    TestHost host;
    struct Case {
        const char* name;
        std::vector<uint32_t> pixels;
        int width;
        std::vector<uint8_t> expected;
    };
    const uint32_t T = 0x00000000, O = 0xFF000000, H = 0x80000000;
    std::vector<uint32_t> long300(300, O);
    std::vector<uint8_t> runs300;
    for (int i = 0; i < 300; ++i)
        runs300.push_back(static_cast<uint8_t>(std::min(300 - i, 255)));
    const Case cases[] = {
        { "classes", { T, T, O, O, O, H, T }, 7, { 2, 1, 3, 2, 1, 1, 1 } },
        { "rows end runs", { O, O, O, O }, 2, { 2, 1, 2, 1 } },
        { "width one", { O, O, T }, 1, { 1, 1, 1 } },
        { "lone last pixel", { H, H, H, O }, 4, { 3, 2, 1, 1 } },
        { "run of 300", long300, 300, runs300 },
    };
    for (const Case& c : cases) {
        MemoryImage image;
        image.SetBits(c.pixels.data(), c.width, static_cast<int>(c.pixels.size()) / c.width);
        const uint8_t* rl = image.GetRLAlphaData();
        EXPECT_EQ(std::vector<uint8_t>(rl, rl + c.pixels.size()), c.expected) << c.name;
    }
    MemoryImage additive;
    uint32_t px[4] = { 0xFF000000, 0x00000000, 0x80FF0000, 0xFF000001 };
    additive.SetBits(px, 4, 1);
    const uint8_t* ra = additive.GetRLAdditiveData(host.GetNativeDisplay());
    EXPECT_EQ(std::vector<uint8_t>(ra, ra + 4), (std::vector<uint8_t>{ 2, 1, 2, 1 }));
}

TEST(MemoryImage, NativeDataPremultipliesAndWidensBack)
{
    struct Case {
        const char* name;
        Kivo::NativeDisplay display;
        uint32_t pixel, native, widened;
    } cases[] = {
        { "888 opaque", MakeDisplay(0xFF0000, 0xFF00, 0xFF), 0xFF804020, 0xFF804020, 0xFF804020 },
        { "888 half", MakeDisplay(0xFF0000, 0xFF00, 0xFF), 0x80FF8040, 0x80804020, 0x80FE7F3F },
        { "565 opaque", MakeDisplay(0xF800, 0x07E0, 0x001F), 0xFFFFFFFF, 0xFF00FFFF, 0xFFF8FCF8 },
        { "565 half red", MakeDisplay(0xF800, 0x07E0, 0x001F), 0x80FF0000, 0x80008000, 0x80F80000 },
    };
    for (Case& c : cases) {
        TestHost host;
        host.display = c.display;
        MemoryImage image;
        image.SetBits(&c.pixel, 1, 1);
        EXPECT_EQ(image.GetNativeAlphaData(&host.display)[0], c.native) << c.name;
        image.PurgeBits(); // not accelerated: the bits go, the native data stays
        ASSERT_EQ(image.mBits, nullptr) << c.name;
        EXPECT_EQ(image.GetBits()[0], c.widened) << c.name;
    }
}

TEST(MemoryImage, PurgeWithTexturesDropsPaletteAndItsNativeData)
{
    TestHost host;
    MemoryImage image;
    uint32_t px[4] = { 0xFF112233, 0xFF445566, 0xFF112233, 0xFF445566 };
    image.SetBits(px, 2, 2);
    ASSERT_TRUE(image.Palletize());
    int texture;
    image.mD3DData = &texture;
    image.PurgeBits();
    EXPECT_EQ(image.mColorTable, nullptr);
    // The 256-entry native data made from the palette must not be read as
    // one word per pixel.
    EXPECT_EQ(image.mNativeAlphaData, nullptr);
    EXPECT_EQ(image.GetBits()[3], 0u); // no read-back in the null display
    image.mD3DData = nullptr;

    host.accelerated = true;
    image.ReInit(); // palettize again, then purge: nothing without textures
    EXPECT_NE(image.mColorTable, nullptr);
}

TEST(SharedImageRef, CountsReferencesAndFlagsCleaning)
{
    TestHost host;
    SharedImage entry;
    {
        SharedImageRef a(&entry);
        EXPECT_EQ(entry.mRefCount, 1);
        SharedImageRef b(a);
        EXPECT_EQ(entry.mRefCount, 2);
        b = a;
        EXPECT_EQ(entry.mRefCount, 2);
        b.Release();
        EXPECT_FALSE(host.cleaning);
    }
    EXPECT_EQ(entry.mRefCount, 0);
    EXPECT_TRUE(host.cleaning);

    auto* owned = new MemoryImage;
    SharedImageRef c;
    c = static_cast<Image*>(owned);
    EXPECT_EQ(c.ToImage(), owned);
    c.mOwnsUnshared = true;
    c.Release(); // deletes the owned image
    EXPECT_EQ(host.images.count(owned), 0u);
    EXPECT_EQ(c.ToImage(), nullptr);
}

TEST(Image, CelRects)
{
    Image image;
    image.mWidth = 128;
    image.mHeight = 64;
    image.mNumCols = 4;
    image.mNumRows = 2;
    EXPECT_EQ(image.GetCelRect(5), Rect(32, 32, 32, 32));
    image.mNumCols = 0; // from a manifest: treated as one column
    image.mNumRows = 0;
    EXPECT_EQ(image.GetCelRect(0), Rect(0, 0, 128, 64));
}

TEST(AnimInfo, ComputeAndCelForTime)
{
    AnimInfo ping;
    ping.mAnimType = AnimInfo::AnimType_PingPong;
    ping.mFrameDelay = 10;
    ping.Compute(4);
    EXPECT_EQ(ping.mFrameMap, (std::vector<int>{ 0, 1, 2, 3, 2, 1 }));
    EXPECT_EQ(ping.mNumCels, 6);
    EXPECT_EQ(ping.mTotalAnimTime, 60);
    EXPECT_EQ(ping.GetCel(45), 2);
    EXPECT_EQ(ping.GetCel(65), 0);

    AnimInfo loop;
    loop.mAnimType = AnimInfo::AnimType_Loop;
    loop.mFrameDelay = 5;
    loop.Compute(3, 10, 20);
    EXPECT_EQ(loop.mPerFrameDelay, (std::vector<int>{ 10, 5, 20 }));
    EXPECT_EQ(loop.mTotalAnimTime, 35);
    for (auto [time, cel] : { std::pair{ 0, 0 }, { 9, 0 }, { 10, 1 }, { 15, 2 }, { 34, 2 }, { 35, 0 }, { -7, 0 } })
        EXPECT_EQ(loop.GetCel(time), cel) << time;

    AnimInfo once;
    once.mAnimType = AnimInfo::AnimType_Once;
    once.mFrameDelay = 2;
    once.Compute(3);
    EXPECT_EQ(once.GetCel(100), 2);

    AnimInfo fresh; // never computed: total is the one frame, not garbage
    EXPECT_EQ(fresh.GetCel(12345), 0);
    fresh.mTotalAnimTime = 0;
    EXPECT_EQ(fresh.GetCel(5), 0);

    Image a, b;
    a.mAnimInfo = new AnimInfo(loop);
    a.mNumCols = 3;
    b.CopyAttributes(&a);
    ASSERT_NE(b.mAnimInfo, nullptr);
    EXPECT_NE(b.mAnimInfo, a.mAnimInfo);
    EXPECT_EQ(b.mAnimInfo->mTotalAnimTime, 35);
    EXPECT_EQ(b.mNumCols, 3);
}
