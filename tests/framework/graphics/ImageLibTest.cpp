#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageReader.h"

#include "framework/core/PakInterface.h"
#include "platform/j2k/J2KCodec.h"
#include "platform/win32/Modules.h"
#include "tests/support/ScopedCwd.h"
#include "tests/support/TempDir.h"
#include "tools/pakbuild/PakWriter.h"

#include "ImageFixtures.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace graphicstest;
using ImageLib::MemoryReader;

namespace {

using Decoder = ImageLib::Image* (*)(ImageLib::Reader&);

std::unique_ptr<ImageLib::Image> Decode(Decoder decode, const std::string& bytes)
{
    MemoryReader in(bytes.data(), bytes.size());
    return std::unique_ptr<ImageLib::Image>(decode(in));
}

std::vector<uint32_t> Pixels(const ImageLib::Image& image)
{
    return std::vector<uint32_t>(image.mBits, image.mBits + image.mWidth * image.mHeight);
}

// Rows of a picture given top row first, reversed.
std::vector<uint32_t> BottomUp(const std::vector<uint32_t>& px, int width)
{
    std::vector<uint32_t> out;
    for (size_t row = px.size() / width; row-- > 0;)
        out.insert(out.end(), px.begin() + row * width, px.begin() + (row + 1) * width);
    return out;
}

const std::vector<uint32_t> kPicture = { 0xFF102030, 0x80405060, 0x00708090, 0xFFFFFFFF, 0xFF000000, 0x7F123456 };

class J2KCodecLoaded : public ::testing::Test {
protected:
    void SetUp() override { LoadJ2KCodec(); }
    void TearDown() override { FreeJ2KCodec(); }
};

} // namespace

TEST(ImageFiles, TgaDepthsRunLengthAndFlip)
{
    const std::vector<uint32_t> opaque = { 0xFF102030, 0xFF405060, 0xFF708090, 0xFFF8F8F8, 0xFF000000, 0xFF102030 };
    struct Case {
        const char* name;
        std::string file;
        std::vector<uint32_t> expected;
    } cases[] = {
        // Descriptor bit 5 (top-left origin) keeps the stored order; without
        // it the rows are stored bottom-up. The alpha bits (0-3) do not matter.
        { "24-bit top-down", MakeTGA(3, 2, 24, 0x20, opaque), opaque },
        { "24-bit bottom-up", MakeTGA(3, 2, 24, 0x00, opaque), BottomUp(opaque, 3) },
        { "32-bit top-down, 8 alpha bits", MakeTGA(3, 2, 32, 0x28, kPicture), kPicture },
        { "32-bit bottom-up, 8 alpha bits", MakeTGA(3, 2, 32, 0x08, kPicture), BottomUp(kPicture, 3) },
        { "32-bit run-length", MakeTGA(3, 2, 32, 0x20, { 1, 1, 1, 1, 2, 3 }, true), { 1, 1, 1, 1, 2, 3 } },
        { "24-bit run-length bottom-up", MakeTGA(2, 2, 24, 0x08, { 5, 5, 5, 6 }, true),
          { 0xFF000005, 0xFF000006, 0xFF000005, 0xFF000005 } },
        { "16-bit", MakeTGA(2, 1, 16, 0, { 0xFFF80000, 0xFF0800F8 }), { 0xFFF80000, 0xFF0800F8 } },
    };
    for (const Case& c : cases) {
        auto image = Decode(ImageLib::DecodeTGA, c.file);
        ASSERT_NE(image, nullptr) << c.name;
        EXPECT_EQ(Pixels(*image), c.expected) << c.name;
    }

    // A colour map ahead of true-colour pixels is skipped.
    std::string mapped = MakeTGA(1, 1, 24, 0, { 0xFF010203 });
    mapped[1] = 1;
    mapped[5] = 2; // two entries
    mapped[7] = 24;
    mapped.insert(18, "abcdef");
    auto image = Decode(ImageLib::DecodeTGA, mapped);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->mBits[0], 0xFF010203u);
}

TEST(ImageFiles, TgaRejectsWhatItCannotRead)
{
    std::string runPastEnd = MakeTGA(2, 1, 24, 0, { 7, 7 }, true);
    runPastEnd[18] = static_cast<char>(0x85); // a run of six into two pixels
    std::string rle16 = MakeTGA(2, 1, 16, 0, { 7, 7 }, true);
    std::string depth8 = MakeTGA(2, 1, 24, 0, { 7, 7 });
    depth8[16] = 8;
    std::string huge = MakeTGA(1, 1, 32, 0, { 7 });
    huge[12] = huge[13] = huge[14] = huge[15] = static_cast<char>(0xFF);
    std::string empty = MakeTGA(0, 5, 32, 0, {});
    const std::string full = MakeTGA(3, 2, 32, 0, kPicture);
    for (const std::string& bad : { runPastEnd, rle16, depth8, huge, empty, full.substr(0, full.size() - 1),
                                    full.substr(0, 10) })
        EXPECT_EQ(Decode(ImageLib::DecodeTGA, bad), nullptr);
}

TEST(ImageFiles, GifTransparencyInterlaceAndBadCodes)
{
    const std::vector<uint32_t> palette = { 0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000,
                                            0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444 };
    GifOptions transparent;
    transparent.transparent = 5;
    auto image = Decode(ImageLib::DecodeGIF, MakeGIF(4, 2, { 0, 5, 2, 3, 5, 5, 1, 7 }, palette, transparent));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{ 0xFF000000, 0, 0xFF00FF00, 0xFFFF0000, 0, 0, 0xFF0000FF,
                                                      0xFF444444 }));

    // Stored row k of an interlaced image lands on row 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
    std::vector<uint8_t> rows;
    for (int k = 0; k < 10; ++k)
        rows.push_back(static_cast<uint8_t>(k % 8));
    GifOptions interlaced;
    interlaced.interlaced = true;
    interlaced.localTable = true;
    image = Decode(ImageLib::DecodeGIF, MakeGIF(1, 10, rows, palette, interlaced));
    ASSERT_NE(image, nullptr);
    const int order[10] = { 0, 8, 4, 2, 6, 1, 3, 5, 7, 9 };
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(image->mBits[order[k]], palette[k % 8]) << "stored row " << k;

    // Three rows interlaced: passes whose first row is outside are skipped.
    image = Decode(ImageLib::DecodeGIF, MakeGIF(1, 3, { 1, 2, 3 }, palette, interlaced));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{ palette[1], palette[3], palette[2] }));

    // A long image crosses several clear codes.
    std::vector<uint8_t> many(9000);
    for (size_t i = 0; i < many.size(); ++i)
        many[i] = static_cast<uint8_t>(i % 7);
    image = Decode(ImageLib::DecodeGIF, MakeGIF(90, 100, many, palette));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->mBits[8999], palette[8999 % 7]);

    // Decoding goes on past a full code table: no clear code until the end.
    GifOptions fullTable;
    fullTable.clearAt = 1 << 20;
    image = Decode(ImageLib::DecodeGIF, MakeGIF(90, 100, many, palette, fullTable));
    ASSERT_NE(image, nullptr);
    for (int i : { 4085, 4086, 6000, 8999 })
        EXPECT_EQ(image->mBits[i], palette[i % 7]) << i;

    // Index 3 in a two-colour table reads an empty entry, not past the table.
    image = Decode(ImageLib::DecodeGIF, MakeGIF(2, 1, { 1, 3 }, { 0xFF000000, 0xFFFFFFFF }));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->mBits[1], 0u);

    std::string noTable = MakeGIF(2, 1, { 0, 1 }, palette);
    noTable[10] = 0; // no global table, and no local one
    noTable.erase(13, 24);
    std::string zeroWidth = MakeGIF(2, 1, { 0, 1 }, palette);
    zeroWidth[51] = zeroWidth[52] = 0; // after the table, the comment and ','
    for (const std::string& bad : { std::string("GIF88a"), noTable, zeroWidth, std::string("GIF89a\1\0\1\0\0\0\0;", 14) })
        EXPECT_EQ(Decode(ImageLib::DecodeGIF, bad), nullptr);
}

TEST(ImageFiles, PngRoundTripAndLibpngForms)
{
    testsupport::TempDir dir;
    ImageLib::Image source;
    source.mWidth = 3;
    source.mHeight = 2;
    source.mBits = new uint32_t[6];
    std::copy(kPicture.begin(), kPicture.end(), source.mBits);
    ASSERT_TRUE(ImageLib::WritePNGImage(dir / "shot.png", &source));
    std::unique_ptr<ImageLib::Image> back(ImageLib::GetImage(dir / "shot.png", false));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(Pixels(*back), kPicture);
    EXPECT_FALSE(ImageLib::WritePNGImage(dir / "missing/dir/shot.png", &source));

    struct Case {
        const char* name;
        PngOptions options;
        std::vector<uint32_t> expected;
    } cases[] = {
        { "16-bit", { 16, 6, false }, kPicture },
        { "interlaced", { 8, 6, true }, kPicture },
        { "16-bit interlaced rgb", { 16, 2, true }, { 0xFF102030, 0xFF405060, 0xFF708090, 0xFFFFFFFF, 0xFF000000, 0xFF123456 } },
        { "grey", { 8, 0, false }, { 0xFF303030, 0xFF606060, 0xFF909090, 0xFFFFFFFF, 0xFF000000, 0xFF565656 } },
        { "grey alpha", { 8, 4, false }, { 0xFF303030, 0x80606060, 0x00909090, 0xFFFFFFFF, 0xFF000000, 0x7F565656 } },
    };
    for (const Case& c : cases) {
        auto image = Decode(ImageLib::DecodePNG, MakePNG(3, 2, kPicture, c.options));
        ASSERT_NE(image, nullptr) << c.name;
        EXPECT_EQ(Pixels(*image), c.expected) << c.name;
    }
    // 8 x 8 interlaced fills every pass's pixels.
    std::vector<uint32_t> big(64);
    for (int i = 0; i < 64; ++i)
        big[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x030507);
    auto image = Decode(ImageLib::DecodePNG, MakePNG(8, 8, big, { 8, 6, true }));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), big);
}

TEST(ImageFiles, JpegGreyColourAndRejectedForms)
{
    const std::vector<uint32_t> grey(64, 0xFF808080);
    auto image = Decode(ImageLib::DecodeJPEG, MakeJPEG(8, 8, 1, grey));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->mWidth, 8);
    for (uint32_t p : Pixels(*image))
        EXPECT_EQ(p, 0xFF808080u);

    const std::vector<uint32_t> red(16 * 16, 0xFFFF0000);
    image = Decode(ImageLib::DecodeJPEG, MakeJPEG(16, 16, 3, red));
    ASSERT_NE(image, nullptr);
    const uint32_t p = image->mBits[100];
    EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_GE((p >> 16) & 0xFF, 0xF0u);
    EXPECT_LE(p & 0xFFFF, 0x0808u);

    EXPECT_EQ(Decode(ImageLib::DecodeJPEG, MakeJPEG(8, 8, 4, grey)), nullptr); // CMYK
    EXPECT_EQ(Decode(ImageLib::DecodeJPEG, ""), nullptr);
    EXPECT_EQ(Decode(ImageLib::DecodeJPEG, "\xFF\xD8\xFF"), nullptr);
    // A truncated stream ends with a supplied end marker and still loads.
    std::vector<uint32_t> noise(64 * 64);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
    const std::string whole = MakeJPEG(64, 64, 3, noise);
    EXPECT_NE(Decode(ImageLib::DecodeJPEG, whole.substr(0, whole.size() / 2)), nullptr);
}

TEST_F(J2KCodecLoaded, DecodesThroughTheCodecLibrary)
{
    for (bool jp2 : { false, true }) {
        auto image = Decode(ImageLib::DecodeJ2K, MakeJ2K(3, 2, 3, kPicture, jp2));
        ASSERT_NE(image, nullptr) << jp2;
        // Alpha is always opaque.
        EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{ 0xFF102030, 0xFF405060, 0xFF708090, 0xFFFFFFFF,
                                                          0xFF000000, 0xFF123456 }));
    }
    auto grey = Decode(ImageLib::DecodeJ2K, MakeJ2K(3, 2, 1, kPicture, false));
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(grey->mBits[0], 0xFF303030u);
    EXPECT_EQ(Decode(ImageLib::DecodeJ2K, "not a jpeg 2000 file"), nullptr);
    const std::string whole = MakeJ2K(3, 2, 3, kPicture, true);
    EXPECT_EQ(Decode(ImageLib::DecodeJ2K, whole.substr(0, 60)), nullptr);
}

TEST(ImageFilesCodec, MissingFunctionOrNoLibraryMeansNoJpeg2000)
{
    const std::string file = MakeJ2K(2, 1, 3, { 1, 2 }, false);
    FreeJ2KCodec();
    EXPECT_EQ(Decode(ImageLib::DecodeJ2K, file), nullptr); // never loaded

    platform::UnregisterModuleFunction(kJ2KCodecModule, "_J2K_Decode@20");
    LoadJ2KCodec();
    EXPECT_EQ(Decode(ImageLib::DecodeJ2K, file), nullptr);
    EXPECT_EQ(platform::ModuleLoadCount(kJ2KCodecModule), 0); // freed at once
    for (const auto& [name, address] : platform::J2KCodecFunctions())
        platform::RegisterModuleFunction(kJ2KCodecModule, name, address);
    EXPECT_EQ(Decode(ImageLib::DecodeJ2K, file), nullptr); // looked up once only
    FreeJ2KCodec();
    LoadJ2KCodec();
    EXPECT_NE(Decode(ImageLib::DecodeJ2K, file), nullptr);
    FreeJ2KCodec();
}

TEST(ImageFiles, NameResolutionAndAlphaCompanions)
{
    testsupport::TempDir dir;
    const std::string tga = MakeTGA(2, 1, 32, 0, { 0xFF0000AA, 0xFF0000AA });
    const std::string png = MakePNG(2, 1, { 0xFF0000BB, 0xFF0000BB });
    dir.Write("images/x.tga", tga);
    dir.Write("images/x.png", png);
    dir.Write("images/y.png", png);
    dir.Write("images/z.bmp", png);

    auto load = [&](const std::string& name, bool alpha = false) {
        return std::unique_ptr<ImageLib::Image>(ImageLib::GetImage(dir / name, alpha));
    };
    EXPECT_EQ(load("images/x")->mBits[0], 0xFF0000AAu);   // .tga before .png
    EXPECT_EQ(load("images/x.PNG")->mBits[0], 0xFF0000BBu); // only the named loader
    EXPECT_EQ(load("images/y")->mBits[0], 0xFF0000BBu);
    EXPECT_EQ(load("images/z.bmp"), nullptr);
    EXPECT_EQ(load("images/y.tga"), nullptr);

    // Alpha from the companion's blue channel: "_name" first, then "name_".
    dir.Write("images/_y.gif", MakeGIF(2, 1, { 0, 1 }, { 0xFF000040, 0xFF000080 }));
    dir.Write("images/y_.tga", MakeTGA(2, 1, 24, 0, { 0xFF000011, 0xFF000011 }));
    auto y = load("images/y", true);
    EXPECT_EQ(Pixels(*y), (std::vector<uint32_t>{ 0x400000BB, 0x800000BB }));
    dir.Write("images/x_.tga", MakeTGA(2, 1, 24, 0, { 0xFF000011, 0xFF000022 }));
    EXPECT_EQ(Pixels(*load("images/x", true)), (std::vector<uint32_t>{ 0x110000AA, 0x220000AA }));
    dir.Write("images/_x.png", MakePNG(3, 1, { 0, 0, 0 })); // another size: ignored
    EXPECT_EQ(Pixels(*load("images/x", true)), (std::vector<uint32_t>{ 0xFF0000AA, 0xFF0000AA }));

    // Alone, the companion makes an image of the alpha colour.
    dir.Write("images/_w.tga", MakeTGA(2, 1, 24, 0, { 0xFF000033, 0xFF0000FF }));
    EXPECT_EQ(Pixels(*load("images/w", true)), (std::vector<uint32_t>{ 0x33FFFFFF, 0xFFFFFFFF }));
    std::unique_ptr<ImageLib::Image> tinted(ImageLib::GetImage(dir / "images/w", true, 0x102030));
    EXPECT_EQ(tinted->mBits[0], 0x33102030u);
    EXPECT_EQ(load("images/w", false), nullptr);
}

TEST(ImageFiles, LoadFromAnArchive)
{
    testsupport::TempDir dir;
    const std::vector<uint32_t> px(4, 0xFF0000CC);
    const std::string archive = dir.Write(
        "main.pak", pakbuild::BuildPak({ { "images\\p.png", MakePNG(2, 2, px) },
                                         { "images\\_p.gif", MakeGIF(2, 2, { 0, 1, 1, 0 }, { 0xFF000010, 0xFF000020 }) },
                                         { "images\\q.jp2", MakeJ2K(2, 2, 3, px, true) } }));
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile(archive));
    struct Active {
        explicit Active(PakInterfaceBase* p) : previous(SetActivePakInterface(p)) {}
        ~Active() { SetActivePakInterface(previous); }
        PakInterfaceBase* previous;
    } active(&pak);
    testsupport::ScopedCwd cwd(dir.Path());
    std::unique_ptr<ImageLib::Image> p(ImageLib::GetImage("images\\P", true));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Pixels(*p), (std::vector<uint32_t>{ 0x100000CC, 0x200000CC, 0x200000CC, 0x100000CC }));
    LoadJ2KCodec();
    std::unique_ptr<ImageLib::Image> q(ImageLib::GetImage("images/q", false));
    FreeJ2KCodec();
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(Pixels(*q), px);
}

TEST(ImageFiles, DamagedFilesFailOrLoadWithoutHarm)
{
    // Every prefix and a spread of single-byte changes of each format's
    // fixture; the sanitizers catch any read or write outside the data.
    struct Format {
        const char* name;
        Decoder decode;
        std::string file;
    } formats[] = {
        { "tga", ImageLib::DecodeTGA, MakeTGA(3, 2, 32, 0, kPicture, true) },
        { "gif", ImageLib::DecodeGIF, MakeGIF(3, 2, { 0, 1, 2, 3, 1, 0 }, { 1, 2, 3, 4 }, { 1, true, false }) },
        { "png", ImageLib::DecodePNG, MakePNG(3, 2, kPicture, { 8, 6, true }) },
        { "jpeg", ImageLib::DecodeJPEG, MakeJPEG(8, 8, 3, std::vector<uint32_t>(64, 0xFF336699)) },
        { "j2k", ImageLib::DecodeJ2K, MakeJ2K(3, 2, 3, kPicture, true) },
    };
    LoadJ2KCodec();
    for (const Format& f : formats) {
        SCOPED_TRACE(f.name);
        // The caller names a file that fails; the libraries stay quiet.
        const bool quiet = f.decode == ImageLib::DecodePNG || f.decode == ImageLib::DecodeJPEG;
        if (quiet)
            testing::internal::CaptureStderr();
        for (size_t n = 0; n < f.file.size(); ++n) {
            auto image = Decode(f.decode, f.file.substr(0, n));
            if (f.decode == ImageLib::DecodeTGA || f.decode == ImageLib::DecodePNG) {
                EXPECT_EQ(image, nullptr) << "prefix " << n;
            }
        }
        for (size_t i = 0; i < f.file.size(); i += 3) {
            std::string bad = f.file;
            bad[i] = static_cast<char>(bad[i] ^ 0xA5);
            Decode(f.decode, bad);
        }
        if (quiet) {
            EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        }
    }
    FreeJ2KCodec();
}
