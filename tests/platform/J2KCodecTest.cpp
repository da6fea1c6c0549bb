#include "platform/j2k/J2KCodec.h"
#include "platform/win32/Modules.h"
#include "tests/support/J2KFixture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Source {
    std::string bytes;
    size_t pos = 0;
};

int Seek(uint64_t offset, void* user)
{
    auto* s = static_cast<Source*>(user);
    if (offset > s->bytes.size())
        return -1;
    s->pos = offset;
    return 0;
}

uint32_t Read(void* buffer, uint32_t size, void* user)
{
    auto* s = static_cast<Source*>(user);
    const size_t n = std::min<size_t>(size, s->bytes.size() - s->pos);
    std::memcpy(buffer, s->bytes.data() + s->pos, n);
    s->pos += n;
    return static_cast<uint32_t>(n);
}

template <typename F>
F Proc(HMODULE module, const char* name)
{
    return reinterpret_cast<F>(GetProcAddress(module, name));
}

} // namespace

TEST(J2KCodec, DecodesACustomSourceThroughItsExportedNames)
{
    HMODULE codec = LoadLibraryA("J2K-Codec.DLL");
    ASSERT_NE(codec, nullptr);
    auto version = Proc<J2K_getVersionFn>(codec, "_J2K_getVersion@0");
    auto open = Proc<J2K_OpenCustomFn>(codec, "_J2K_OpenCustom@8");
    auto info = Proc<J2K_GetInfoFn>(codec, "_J2K_GetInfo@16");
    auto dims = Proc<J2K_GetResolutionDimensionsFn>(codec, "_J2K_GetResolutionDimensions@16");
    auto decode = Proc<J2K_DecodeFn>(codec, "_J2K_Decode@20");
    auto close = Proc<J2K_CloseFn>(codec, "_J2K_Close@4");
    auto lastError = Proc<J2K_getLastErrorFn>(codec, "_J2K_getLastError@0");
    auto errorStr = Proc<J2K_getErrorStrFn>(codec, "_J2K_getErrorStr@4");
    ASSERT_TRUE(version && open && info && dims && decode && close && lastError && errorStr);
    EXPECT_GE(version(), 0x120000);

    std::vector<uint32_t> px(5 * 3);
    for (size_t i = 0; i < px.size(); ++i)
        px[i] = 0x80000000u | static_cast<uint32_t>(i * 0x0A0B0C);
    Source src{ graphicstest::MakeJ2K(5, 3, 4, px, true) };
    J2K_Callbacks callbacks{ Seek, Read, [](void* user) { static_cast<Source*>(user)->pos = 12345; },
                             src.bytes.size() };
    void* image = open(&callbacks, &src);
    ASSERT_NE(image, nullptr);
    int w = 0, h = 0, comps = 0;
    ASSERT_EQ(info(image, &w, &h, &comps), 0);
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 3);
    EXPECT_EQ(comps, 4);
    ASSERT_EQ(dims(image, 1, &w, &h), 0);
    EXPECT_EQ(w, 3); // rounded up
    EXPECT_EQ(h, 2);

    std::vector<uint32_t> out(5 * 3 + 5);
    auto* buffer = reinterpret_cast<unsigned char*>(out.data());
    int pitch = 5 * 4, size = 5 * 3 * 4 - 1;
    EXPECT_NE(decode(image, &buffer, &size, "bpp=4,rl=0", &pitch), 0); // one byte short
    EXPECT_STREQ(errorStr(lastError()), "Buffer too small");
    size = static_cast<int>(out.size() * 4);
    EXPECT_NE(decode(image, &buffer, &size, "bpp=3,rl=0", &pitch), 0);
    ASSERT_EQ(decode(image, &buffer, &size, "bpp=4,rl=0", &pitch), 0);
    EXPECT_EQ(std::vector<uint32_t>(out.begin(), out.begin() + 15), px);
    EXPECT_EQ(out[15], 0u); // nothing past the picture
    close(image);
    EXPECT_EQ(src.pos, 12345u); // the close callback ran
    FreeLibrary(codec);
}

TEST(J2KCodec, RejectsOtherDataAndOpensFiles)
{
    HMODULE codec = LoadLibraryA("j2k-codec.dll");
    auto open = Proc<J2K_OpenCustomFn>(codec, "_J2K_OpenCustom@8");
    auto openFile = Proc<J2K_OpenFileFn>(codec, "_J2K_OpenFile@4");
    auto close = Proc<J2K_CloseFn>(codec, "_J2K_Close@4");
    auto lastError = Proc<J2K_getLastErrorFn>(codec, "_J2K_getLastError@0");
    auto errorStr = Proc<J2K_getErrorStrFn>(codec, "_J2K_getErrorStr@4");

    Source junk{ "GIF89a and more bytes" };
    J2K_Callbacks callbacks{ Seek, Read, nullptr, junk.bytes.size() };
    EXPECT_EQ(open(&callbacks, &junk), nullptr);
    EXPECT_STREQ(errorStr(lastError()), "Not a JPEG 2000 file");
    Source cut{ graphicstest::MakeJ2K(2, 2, 3, { 1, 2, 3, 4 }, false).substr(0, 20) };
    callbacks.length = cut.bytes.size();
    EXPECT_EQ(open(&callbacks, &cut), nullptr);

    testsupport::TempDir dir;
    dir.Write("Pic.J2K", graphicstest::MakeJ2K(2, 2, 3, { 1, 2, 3, 4 }, false));
    EXPECT_EQ(openFile((dir / "missing.j2k").c_str()), nullptr);
    void* image = openFile((dir / "pic.j2k").c_str()); // names match without case
    ASSERT_NE(image, nullptr);
    close(image);
    FreeLibrary(codec);
}

// Header sizes are checked before the library reads the header: a tiny file
// that declares a huge image or thousands of tiles is refused at once.
TEST(J2KCodec, RefusesHostileImageSizes)
{
    HMODULE codec = LoadLibraryA("j2k-codec.dll");
    auto open = Proc<J2K_OpenCustomFn>(codec, "_J2K_OpenCustom@8");
    auto close = Proc<J2K_CloseFn>(codec, "_J2K_Close@4");
    auto lastError = Proc<J2K_getLastErrorFn>(codec, "_J2K_getLastError@0");
    auto errorStr = Proc<J2K_getErrorStrFn>(codec, "_J2K_getErrorStr@4");
    auto put32 = [](std::string& s, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            s[at + i] = static_cast<char>(v >> (24 - 8 * i));
    };
    struct Case {
        const char* name;
        uint32_t width, height, tileWidth, tileHeight;
        bool opens;
    } cases[] = {
        { "as made", 0, 0, 0, 0, true },
        { "many tiles", 62979, 2, 3, 1, false },
        { "too wide", 16385, 1, 16385, 1, false },
        { "too many pixels", 16384, 8192, 16384, 8192, false },
        { "zero tile", 2, 2, 0, 2, false },
        { "largest side, one tile", 16384, 1, 16384, 1, true },
    };
    for (bool boxed : { false, true }) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (boxed ? " (boxed)" : ""));
            std::string file = graphicstest::MakeJ2K(2, 2, 3, { 1, 2, 3, 4 }, boxed);
            const size_t siz = boxed ? file.find("jp2c") + 4 : 0;
            ASSERT_EQ(file.substr(siz, 4), std::string("\xFF\x4F\xFF\x51"));
            if (c.width) {
                put32(file, siz + 8, c.width);
                put32(file, siz + 12, c.height);
                put32(file, siz + 24, c.tileWidth);
                put32(file, siz + 28, c.tileHeight);
            }
            Source src{ file };
            J2K_Callbacks callbacks{ Seek, Read, nullptr, src.bytes.size() };
            void* image = open(&callbacks, &src);
            // A boxed file whose codestream disagrees with its image header
            // box is refused by the library anyway.
            EXPECT_EQ(image != nullptr, c.opens && !(boxed && c.width));
            if (image)
                close(image);
            else
                EXPECT_STREQ(errorStr(lastError()), "Invalid JPEG 2000 header");
        }
    }
    FreeLibrary(codec);
}
