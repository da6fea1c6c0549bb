// The stretches work by precomputed columns, rows and weights and several
// pixels at a time; these tests pin their pixels on a table of sizes (up,
// down, odd, single pixels), clips, source rects, tints, source forms and
// destination classes by a digest of the whole destination.
#include "framework/graphics/BltRects.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/MemoryImageBlits.h"
#include "framework/graphics/PixelBlend.h"
#include "framework/raster/WideKernels.h"

#include "TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace Kivo;
using graphicstest::RGBA;
using graphicstest::TestHost;

namespace {

uint32_t Hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352D;
    x ^= x >> 15;
    x *= 0x846CA68B;
    x ^= x >> 16;
    return x;
}

// Source pictures: opaque; a sprite with an opaque body, a soft rim and
// clear corners; every alpha class mixed at random; the sprite in its
// 256-colour form.
enum class Source { kOpaque, kSprite, kMixed, kPalette };
// Destinations: opaque, transparent black, every alpha at random.
enum class Dest { kOpaque, kClear, kMixed };

std::vector<uint32_t> SourcePixels(Source kind, int w, int h)
{
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t r = Hash(static_cast<uint32_t>(y * 7919 + x));
            uint32_t a = 255;
            if (kind == Source::kSprite || kind == Source::kPalette) {
                const int edge = std::min(std::min(x, y), std::min(w - 1 - x, h - 1 - y));
                a = edge >= 3 ? 255 : static_cast<uint32_t>(80 * edge + 15 * (x & 1));
            } else if (kind == Source::kMixed) {
                const uint32_t k = r >> 30;
                a = k == 0 ? 0 : k == 1 ? 255 : (r >> 24) & 0xFF;
            }
            // The 256-colour form needs few colours: 32 with each of the
            // rim's seven alphas.
            const uint32_t rgb = kind == Source::kPalette ? (r & 0x00C0E000) : (r & 0xFFFFFF);
            px[static_cast<size_t>(y) * w + x] = a << 24 | rgb;
        }
    return px;
}

std::vector<uint32_t> DestPixels(Dest kind, int w, int h)
{
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < px.size(); ++i) {
        const uint32_t r = Hash(static_cast<uint32_t>(i) + 0x9E3779B9u);
        px[i] = kind == Dest::kClear ? 0u : kind == Dest::kOpaque ? (r | 0xFF000000) : r;
    }
    return px;
}

uint64_t Digest(const MemoryImage& image)
{
    uint64_t h = 0xCBF29CE484222325ull;
    for (int i = 0; i < image.mWidth * image.mHeight; ++i) {
        h ^= image.mBits[i];
        h *= 0x100000001B3ull;
    }
    return h;
}

struct Case {
    const char* name;
    int srcW, srcH;
    Rect srcRect, destRect, clip;
    int destW, destH;
};

// Sizes up and down in either axis and both, odd ratios, single pixels,
// source rects off the corner, dest rects cut by the clip on every side,
// and screen-like sizes wide enough for whole blocks of pixels.
const Case kCases[] = {
    { "up", 5, 4, Rect(0, 0, 5, 4), Rect(1, 2, 13, 11), Rect(0, 0, 16, 16), 16, 16 },
    { "down", 37, 29, Rect(0, 0, 37, 29), Rect(2, 1, 11, 7), Rect(0, 0, 16, 12), 16, 12 },
    { "upXdownY", 9, 31, Rect(0, 0, 9, 31), Rect(0, 0, 23, 10), Rect(0, 0, 24, 12), 24, 12 },
    { "downXupY", 31, 6, Rect(0, 0, 31, 6), Rect(3, 0, 10, 17), Rect(0, 0, 14, 18), 14, 18 },
    { "sameSize", 12, 9, Rect(0, 0, 12, 9), Rect(1, 1, 12, 9), Rect(0, 0, 14, 11), 14, 11 },
    { "onePixelSource", 1, 1, Rect(0, 0, 1, 1), Rect(2, 2, 7, 5), Rect(0, 0, 10, 10), 10, 10 },
    { "onePixelDest", 9, 9, Rect(0, 0, 9, 9), Rect(3, 3, 1, 1), Rect(0, 0, 8, 8), 8, 8 },
    { "oneColumn", 1, 7, Rect(0, 0, 1, 7), Rect(0, 0, 5, 12), Rect(0, 0, 6, 13), 6, 13 },
    { "oneRowDown", 40, 1, Rect(0, 0, 40, 1), Rect(0, 1, 9, 3), Rect(0, 0, 10, 5), 10, 5 },
    { "srcRectInside", 30, 30, Rect(7, 5, 13, 17), Rect(0, 0, 21, 9), Rect(0, 0, 22, 10), 22, 10 },
    { "clippedLeftTop", 20, 16, Rect(0, 0, 20, 16), Rect(-7, -5, 29, 23), Rect(0, 0, 18, 14), 18, 14 },
    { "clippedRightBottom", 20, 16, Rect(2, 1, 17, 13), Rect(4, 3, 29, 23), Rect(2, 2, 20, 16), 24, 20 },
    { "clippedDown", 50, 40, Rect(0, 0, 50, 40), Rect(-11, -3, 37, 29), Rect(1, 1, 20, 20), 24, 24 },
    { "strongDown", 203, 97, Rect(0, 0, 203, 97), Rect(0, 0, 7, 5), Rect(0, 0, 8, 8), 8, 8 },
    { "screenUp", 64, 48, Rect(0, 0, 64, 48), Rect(0, 0, 80, 60), Rect(0, 0, 80, 60), 80, 60 },
    { "screenDown", 102, 77, Rect(0, 0, 102, 77), Rect(0, 0, 80, 60), Rect(0, 0, 80, 60), 80, 60 },
    { "halfDown", 66, 34, Rect(0, 0, 66, 34), Rect(1, 0, 33, 17), Rect(0, 0, 35, 18), 35, 18 },
    { "doubleUp", 17, 13, Rect(0, 0, 17, 13), Rect(0, 1, 34, 26), Rect(0, 0, 35, 28), 35, 28 },
    { "slightDownInside", 130, 100, Rect(9, 7, 100, 77), Rect(3, 2, 80, 60), Rect(0, 0, 78, 64), 80, 64 },
    { "nearHalfDown", 58, 20, Rect(0, 0, 58, 20), Rect(1, 1, 33, 12), Rect(0, 0, 35, 14), 35, 14 },
};

const Source kSources[] = { Source::kOpaque, Source::kSprite, Source::kMixed, Source::kPalette };
const Dest kDests[] = { Dest::kOpaque, Dest::kClear, Dest::kMixed };

void MakeSource(MemoryImage& src, Source s, int w, int h)
{
    src.SetBits(SourcePixels(s, w, h).data(), w, h);
    if (s == Source::kPalette) {
        EXPECT_TRUE(src.Palletize());
        EXPECT_EQ(src.mBits, nullptr);
    }
}

// The digest of every case with every source and destination, in that
// order of nesting, for one colour and stretch kind.
std::vector<uint64_t> Digests(bool fast, const Color& color)
{
    TestHost host;
    std::vector<uint64_t> out;
    for (const Case& c : kCases)
        for (Source s : kSources)
            for (Dest d : kDests) {
                MemoryImage src;
                MakeSource(src, s, c.srcW, c.srcH);
                MemoryImage dest;
                dest.SetBits(DestPixels(d, c.destW, c.destH).data(), c.destW, c.destH);
                dest.StretchBlt(&src, c.destRect, c.srcRect, c.clip, color, 0, fast);
                out.push_back(Digest(dest));
            }
    return out;
}

std::string Listed(const std::vector<uint64_t>& digests)
{
    std::string s;
    char buf[32];
    for (size_t i = 0; i < digests.size(); ++i) {
        std::snprintf(buf, sizeof buf, "0x%016llXull,%s", static_cast<unsigned long long>(digests[i]),
                      i % 3 == 2 ? "\n" : " ");
        s += buf;
    }
    return s;
}

void ExpectDigests(const std::vector<uint64_t>& got, const std::vector<uint64_t>& want)
{
    ASSERT_EQ(got.size(), want.size()) << Listed(got);
    constexpr size_t perCase = std::size(kSources) * std::size(kDests);
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], want[i]) << kCases[i / perCase].name << " source " << (i % perCase) / std::size(kDests)
                                   << " dest " << i % std::size(kDests);
    if (::testing::Test::HasFailure())
        ADD_FAILURE() << Listed(got);
}

// Runs body(path name) with the fast stretch's SSE2 path and, where the CPU
// has AVX2, its AVX2 path; the default path is back afterwards.
template <typename Body>
void ForEachFastPath(Body body)
{
    UseWideKernels(false);
    body("sse2");
    if (UseWideKernels(true))
        body("avx2");
}

} // namespace

TEST(StretchPixels, FilteredPinned)
{
    // Colour and draw mode do not apply to the filtered stretch.
    const std::vector<uint64_t> want = {
        0x92238F027D522633ull, 0xA19E589A4807102Bull, 0x2EAB825EA7522633ull,
        0xBD3F18CBC99BC88Eull, 0x491F9A3546FDAC93ull, 0x00968432479BC88Eull,
        0xFF0957CC07B29773ull, 0x11C44F195E2D960Eull, 0xF6B1000F36B29773ull,
        0xB149463E7FF58B0Eull, 0x6055C1377F975F25ull, 0x7B8BC75A0DF58B0Eull,
        0xBEAE45781E8EA0A8ull, 0x3A75CD7CD367A446ull, 0xE2B6BE30D68EA0A8ull,
        0x823421DBE8A224B0ull, 0x28D298AB61100834ull, 0x1A0F630BD3A224B0ull,
        0x2707BAE6EE9CC459ull, 0x3A314D41004ADA5Cull, 0x80B4AD17349CC459ull,
        0xD5ECC0BE0473694Bull, 0x577DBBC3E2A99525ull, 0xF1CBC4168373694Bull,
        0xE63D880972E42D8Eull, 0x0B7E77A78A8AF387ull, 0x9BECAD10E0E42D8Eull,
        0x923193384F10B195ull, 0xE2167123F35E9629ull, 0xACF7D61CA010B195ull,
        0x5FD7C5FFE2280887ull, 0xF071235558D2031Eull, 0x528F4A4726280887ull,
        0x852A142875996965ull, 0x2AD7D67DF8CF8EA5ull, 0xAD0C61A2AC996965ull,
        0x0953CCA66794A479ull, 0xC74A8093EEAA71B9ull, 0x6F8E702B7494A479ull,
        0xC6D374EF427CB958ull, 0x14F83D1BCF59CDC6ull, 0x4B27A333817CB958ull,
        0xC599C53D10B16955ull, 0x6C0E33AB09A425C7ull, 0x9AA730AD78B16955ull,
        0xECA5E7976CD6AD89ull, 0x5B203AF7029C7755ull, 0xD9ECA007F9D6AD89ull,
        0x0E31A9D1E6FAF557ull, 0x32F1A60E64987220ull, 0x990313DA62FAF557ull,
        0x845D4C4D5F1096E5ull, 0x688010AD0A6F4B70ull, 0xF7AFE36BC01096E5ull,
        0x1621F268F34B8BC7ull, 0x82DCBEF552240788ull, 0x621F1A19864B8BC7ull,
        0x54D0EDD67B012488ull, 0x166383713CE160CDull, 0x48A239DDF2012488ull,
        0x567EFC36C0FE508Eull, 0x0B3E03171A858375ull, 0xDE5D00D39EFE508Eull,
        0xDA05C914E1A6393Bull, 0x1FC05EB337858375ull, 0x35266AA262A6393Bull,
        0xDA05C914E1A6393Bull, 0x1FC05EB337858375ull, 0x35266AA262A6393Bull,
        0xDA05C914E1A6393Bull, 0x1FC05EB337858375ull, 0x35266AA262A6393Bull,
        0x4F98450DFA384CDFull, 0x459EE0D48FE1E23Eull, 0x3ED620DC80384CDFull,
        0x54ED114B86CCDAF4ull, 0x1084939A06C623F4ull, 0x8AFAA23154CCDAF4ull,
        0x23EE8FE25769DC47ull, 0xF6D6A51032DF0B4Dull, 0x1F8185BF5D69DC47ull,
        0xE5DDD2B915F561E5ull, 0x9C8C2F6B8A0F2E25ull, 0x8F7B430609F561E5ull,
        0x9CE62FB316B7AB34ull, 0x68517948EC88E5BCull, 0xA472516C05B7AB34ull,
        0x1A140B230AED77A4ull, 0x3C3567F95A56D7DDull, 0x521EEA1EC2ED77A4ull,
        0x82A57B7525F84BBCull, 0x597B9F66E5875079ull, 0xF049F02D58F84BBCull,
        0x1A140B230AED77A4ull, 0x3C3567F95A56D7DDull, 0x521EEA1EC2ED77A4ull,
        0x13088C691EDACEFCull, 0xE76D76031FC80968ull, 0x066F60F443DACEFCull,
        0x4979C31ECBA6DD13ull, 0x87D51A014BA97069ull, 0x72CC4AA12CA6DD13ull,
        0x01B5F5294E5E280Aull, 0x400A892F2A2CEEDFull, 0x9D3C1BE9D45E280Aull,
        0xF751A8080DFAFF85ull, 0x81F7617E620D1AADull, 0x74E9C5EC9CFAFF85ull,
        0x8D9AC122443D0EEFull, 0x011A9B975A0D9137ull, 0xC3713B76713D0EEFull,
        0x8D9AC122443D0EEFull, 0x011A9B975A0D9137ull, 0xC3713B76713D0EEFull,
        0x26237E3C6D1BF8AFull, 0x250CC5B88C03C55Full, 0x08BFA720D11BF8AFull,
        0x5C90045B3B22E271ull, 0x57D02A236D76D2D5ull, 0x415ADA5D6622E271ull,
        0x3853DBBEE8B2DB0Eull, 0x3853DBBEE8B2DB0Eull, 0x3853DBBEE8B2DB0Eull,
        0x5AC44C891A996DA2ull, 0xDE4D03A27738D6AAull, 0xC2F61DD982996DA2ull,
        0x33EDEFECEC3D6A8Aull, 0x715FF5309EE7A2B3ull, 0xABF1C67ABD3D6A8Aull,
        0xA22ECD3B78F37AEDull, 0xE0814C07AC9E3255ull, 0x21D352FB60F37AEDull,
        0x6736391630550468ull, 0x1CFC9CADF363D08Eull, 0xAB5687EFDF550468ull,
        0xAD05AC846F2A159Cull, 0x8D861E37296007A3ull, 0xDF363C17152A159Cull,
        0xC3945A40E7F50A19ull, 0x8F3DE541518DBFA9ull, 0xF0A99112F6F50A19ull,
        0x9BCD78370A2B2DB2ull, 0xE68D6A3E3F6471A5ull, 0xC0FBCCAFE42B2DB2ull,
        0x99B72C8788815D85ull, 0x5A31BB811D5077EDull, 0xEE551B26DB815D85ull,
        0x99B72C8788815D85ull, 0x5A31BB811D5077EDull, 0xEE551B26DB815D85ull,
        0xBD63657E0D865A3Eull, 0xD96498D80AA777D9ull, 0x15E9AFCDAC865A3Eull,
        0x8CC52356BF00F3B7ull, 0x1A737EC890AE4F25ull, 0x9B2FD91D0C00F3B7ull,
        0x1A5E85C88E3443B1ull, 0x7DBDEB5CA428D61Aull, 0xA2BC67C53D3443B1ull,
        0x2F539258D7AD78DDull, 0x62D6F7EE4682AA42ull, 0x0BC037A611AD78DDull,
        0xA8F372B3D58D8FB8ull, 0x917D86DD9DDBCB0Full, 0x4581F4479D8D8FB8ull,
        0xBEB6B9EB57E3127Eull, 0x30F52059F9AA0A25ull, 0x5D7F810C09E3127Eull,
        0x37DF25EBEDD3CE72ull, 0x37DF25EBEDD3CE72ull, 0x37DF25EBEDD3CE72ull,
        0x68A46BC239A520ECull, 0xB725DAE10DD8840Cull, 0xDA14176D74A520ECull,
        0x8DFA9F7E62DDCB4Full, 0x8ADE3E5C50BFE963ull, 0xAC05B45BA3DDCB4Full,
        0x8014521A8E64F4C7ull, 0x4277F770006C9525ull, 0x57B5183D6D64F4C7ull,
        0x6FFBF98C2AAC1FB8ull, 0x6FFBF98C2AAC1FB8ull, 0x6FFBF98C2AAC1FB8ull,
        0xA32309D7A7B5C743ull, 0x8FE83D222A7F1093ull, 0x94D8AF7AA8B5C743ull,
        0xC53D06929D651336ull, 0xBE2A00EE5B9F649Eull, 0x3FBE4C3904651336ull,
        0xF1670B4FCBB4FAF9ull, 0x964983EB804A1425ull, 0xE1CCFE6028B4FAF9ull,
        0x816972949F38AA1Aull, 0x71D3B881B11102CDull, 0x689C325F8838AA1Aull,
        0xD9CB3DC5E2A362B8ull, 0x5AD47C510F387085ull, 0x7E86A6064BA362B8ull,
        0x6B34A8B33086CFE7ull, 0xAE0C5F849B9E977Cull, 0x8DAAA5D5B586CFE7ull,
        0x0FB4AC7E503D7BCAull, 0x7BC4FF734CF567FDull, 0xDBD6CA85FB3D7BCAull,
        0x4F9BBB6BEF738D7Aull, 0xB24727441E1C8121ull, 0x961D5D8B05738D7Aull,
        0x16547A84C4F3754Eull, 0x73D90AA76A370266ull, 0xF537536524F3754Eull,
        0x21287DEE9687E42Eull, 0x3743261D9556F950ull, 0x88C737251487E42Eull,
        0x03EA3690D2362221ull, 0xB057B5A3E36C1135ull, 0x6E72BE8AEC362221ull,
        0xA6BA0F573836C4E2ull, 0x73E69F1DCD9BF1DDull, 0xC11FFF2AC636C4E2ull,
        0xA6BA0F573836C4E2ull, 0x73E69F1DCD9BF1DDull, 0xC11FFF2AC636C4E2ull,
        0xFBCE8F0CFE006502ull, 0x85585C6C1F0CF54Cull, 0x03F9FC0D0C006502ull,
        0xD8AE8EDAB68EC706ull, 0xCFB9CE1FE10FD125ull, 0x6C3BD97DC68EC706ull,
        0xF0BE798951177D77ull, 0x71EA1D2A3EF8B76Eull, 0x4AAF93BB60177D77ull,
        0x106520D476063ECEull, 0xBA0983F378F230C0ull, 0x6522F49A0D063ECEull,
        0xF0343BA187F3D197ull, 0xFD991E7E264D51BFull, 0x396783F4F1F3D197ull,
        0xE5575340491C82D5ull, 0x07B339BE8B89470Dull, 0x92F933FA1E1C82D5ull,
    };
    // The SSE2 kernels, then the AVX2 ones where the processor has them:
    // the same pixels.
    for (const bool wide : { false, true }) {
        if (!UseWideKernels(wide) && wide) {
            std::printf("no AVX2 here: only the SSE2 kernels were checked\n");
            continue;
        }
        SCOPED_TRACE(wide ? "AVX2 kernels" : "SSE2 kernels");
        ExpectDigests(Digests(false, Color::White), want);
        ExpectDigests(Digests(false, RGBA(10, 200, 30, 90)), want);
    }
    UseWideKernels(true);
}

TEST(StretchPixels, FilteredKernelsAgreeOnRandomGeometry)
{
    // Sizes near the AVX2 pass's limits (eight source pixels a group, three
    // taps an output), fractional areas from clips, every source and
    // destination class.
    if (!UseWideKernels(true)) {
        std::printf("no AVX2 here: nothing to compare\n");
        return;
    }
    TestHost host;
    uint32_t seed = 1;
    auto next = [&seed](int n) { return static_cast<int>((seed = Hash(seed + 0x9E3779B9u)) % static_cast<uint32_t>(n)); };
    for (int i = 0; i < 300; ++i) {
        const int srcW = 1 + next(40), srcH = 1 + next(30);
        const Rect srcRect(next(srcW), next(srcH), 0, 0);
        const Rect from(srcRect.mX, srcRect.mY, 1 + next(srcW - srcRect.mX), 1 + next(srcH - srcRect.mY));
        const Rect destRect(next(9) - 4, next(9) - 4, 1 + next(48), 1 + next(36));
        const int destW = 8 + next(40), destH = 8 + next(30);
        const Rect clip(next(5), next(5), destW - next(5), destH - next(5));
        const Source s = kSources[i % std::size(kSources)];
        const Dest d = kDests[(i / std::size(kSources)) % std::size(kDests)];
        MemoryImage src;
        MakeSource(src, s, srcW, srcH);
        uint64_t digests[2];
        for (const bool wide : { false, true }) {
            UseWideKernels(wide);
            MemoryImage dest;
            dest.SetBits(DestPixels(d, destW, destH).data(), destW, destH);
            dest.StretchBlt(&src, destRect, from, clip, Color::White, 0, false);
            digests[wide] = Digest(dest);
        }
        EXPECT_EQ(digests[0], digests[1]) << "case " << i << ": " << srcW << "x" << srcH << " from (" << from.mX
                                          << ", " << from.mY << ", " << from.mWidth << ", " << from.mHeight
                                          << ") to (" << destRect.mX << ", " << destRect.mY << ", "
                                          << destRect.mWidth << ", " << destRect.mHeight << ")";
    }
    UseWideKernels(true);
}

TEST(StretchPixels, FastPinned)
{
    const std::vector<uint64_t> want = {
        0x87437D574274D90Eull, 0xFCE54607AFF0176Eull, 0xE0CFCF04C074D90Eull,
        0x8E4A5948CA526F6Bull, 0xF1CD78D37B023440ull, 0x92B0AA78EB105DF7ull,
        0x9FAFC6D59E5540FEull, 0xAD5A33AAF9FCF716ull, 0x58638C95D25BD01Bull,
        0xD784EAC393EE0EBCull, 0x30996E1EE2519025ull, 0xC246F21F6FC952EAull,
        0x15E5C91387DB7E86ull, 0x5F9C299154A42AB2ull, 0x3A8B08CA30DB7E86ull,
        0x1431D379AC7398C3ull, 0xBD5803A499EF9F8Dull, 0xB51642285C10D9B5ull,
        0xBA9BC0CB8F5CBD08ull, 0xBD54253EE1DA9074ull, 0xBA2B34BE7BA0B18Bull,
        0xC974E6FA54973D7Dull, 0xD7928367F02F0925ull, 0x8DCC3F5155277CDBull,
        0x25575BD27441B738ull, 0xDF9CD567EDECEC35ull, 0xF7E0982FAF41B738ull,
        0x01681E4D856E9B97ull, 0xD47EE8EE3276028Eull, 0x99B536DCF03A1C48ull,
        0x5C624101D311F24Dull, 0xC98BF9F21B1686B9ull, 0x2B68ED62E957A53Cull,
        0x73535A8B494F6316ull, 0xF14F0F5265C208A5ull, 0x46CB4405EB954E87ull,
        0x371971F21BDAD406ull, 0x6C856584FE383102ull, 0xCA803CAD03DAD406ull,
        0xFC09E40497EF3C8Full, 0x1DF92938BCA86DAAull, 0xD7E101D7D74D683Bull,
        0x29C5C8F9E33AACEEull, 0x3A003176617D309Eull, 0x6CC10055F3A56F32ull,
        0xC17B89BB7DA761FFull, 0x570FB34FAE1FB355ull, 0x0C8D7C7108B65CE2ull,
        0xE15B07567BB97B8Bull, 0xA714D46A23739198ull, 0x16BAC90C31B97B8Bull,
        0x2F77D231EB833EB9ull, 0x040117F6D7EFBEE0ull, 0xFA7FAE0F9B03498Aull,
        0xC9FAFB5EADEEAAC6ull, 0x7F1A40DA858A0058ull, 0xEFD09C1898619812ull,
        0xACCD5E64BA1CCEA8ull, 0x5CC4525525FCAACDull, 0x84933C802853C8E0ull,
        0x567EFC36C0FE508Eull, 0x0B3E03171A858375ull, 0xDE5D00D39EFE508Eull,
        0xDA05C914E1A6393Bull, 0x1FC05EB337858375ull, 0x35266AA262A6393Bull,
        0xDA05C914E1A6393Bull, 0x1FC05EB337858375ull, 0x35266AA262A6393Bull,
        0xDA05C914E1A6393Bull, 0x1FC05EB337858375ull, 0x35266AA262A6393Bull,
        0x87AD26FE76BFDA1Aull, 0x3CD0EE472933F90Aull, 0xA24F09F506BFDA1Aull,
        0xB348CB29421DD30Eull, 0xB9B23F3A46FD0825ull, 0xE0C15B50BE1DD30Eull,
        0xE70A2C37DF9B9448ull, 0x85613BBD8A33F90Aull, 0x9B3FDBD13F41BF55ull,
        0xB348CB29421DD30Eull, 0xB9B23F3A46FD0825ull, 0xE0C15B50BE1DD30Eull,
        0xDF3AF0A96E6B67EEull, 0xD4C9F6CA12D8E5EAull, 0x6EAB24CD0F6B67EEull,
        0x1A140B230AED77A4ull, 0x3C3567F95A56D7DDull, 0x521EEA1EC2ED77A4ull,
        0x3141419BFD56A310ull, 0x316352750036A710ull, 0x4D0D7ECD3759B022ull,
        0x1A140B230AED77A4ull, 0x3C3567F95A56D7DDull, 0x521EEA1EC2ED77A4ull,
        0x25E0A53BAEF26015ull, 0x824FA01EEE6C0E35ull, 0x5B567E5F52F26015ull,
        0x8628686A5BD754BDull, 0x22EDE23B52CD4272ull, 0x8030445D27D3BB77ull,
        0x25D9BACF9ED5285Dull, 0xB9E9B7278A011805ull, 0x4E5B4CA8CB558341ull,
        0xE343982AC3128FB8ull, 0x981D0486F42626ADull, 0x42C779966A7A54B7ull,
        0xF65C6224C8C12ADDull, 0xEE162529A24DD3EDull, 0xA158C2A4E1C12ADDull,
        0xF65C6224C8C12ADDull, 0xEE162529A24DD3EDull, 0xA158C2A4E1C12ADDull,
        0xA2637C79ABDEB176ull, 0x3E87F83FC872A911ull, 0x152A09B7B23C8CA1ull,
        0x3B0BE9BE08886C71ull, 0xA9E06BD46CC660D5ull, 0x4CF0C69D37886C71ull,
        0x9022DD3004AFA409ull, 0x9022DD3004AFA409ull, 0x9022DD3004AFA409ull,
        0x5283858E130DC880ull, 0xA3DAE0C644AFA409ull, 0x6ECA597D190FE65Bull,
        0xE7DC36B5302F6838ull, 0xBF7D7E31684EDF17ull, 0xAB1782C4D5C4882Eull,
        0xB20DE8BB255032B7ull, 0x1E58A90819385855ull, 0x8DBA9D3619B76E67ull,
        0xB97397924B1E8D68ull, 0x330A596555BE5C76ull, 0xBA41FE56E21E8D68ull,
        0x98BA2868F87A764Dull, 0xF24D2F26D6BE5C76ull, 0xF71EB7F6CFBFD206ull,
        0xE6C8613706FDDC61ull, 0x26067F83D3AA90ACull, 0xAB18BE87E8EF27C7ull,
        0xE6431B8EF73F29A3ull, 0xDF480CA19F16EBA5ull, 0x5E0D5CD865B0E679ull,
        0x7D241B19A089CE0Bull, 0xC6C0DD5D04EEBE3Full, 0x0D53BD42AF89CE0Bull,
        0x7D241B19A089CE0Bull, 0xC6C0DD5D04EEBE3Full, 0x0D53BD42AF89CE0Bull,
        0xA44D1562D60FD0CEull, 0x2823A51F74BBF776ull, 0x0A0F59BBEB728689ull,
        0x3F1C857CE7697049ull, 0x01BE76812A08F525ull, 0xE255837704697049ull,
        0x8A65D7BFF3E4569Full, 0x4EAA3E2E04E3DEF0ull, 0x79E457AB40E4569Full,
        0x3590039319E26FA7ull, 0xA5F5F8DBEDD03548ull, 0x77DC3C38C38AE897ull,
        0x49C14160EFB90B14ull, 0xDAEFEF74A9849978ull, 0x77B16A6C3822BA44ull,
        0x39DD20AF0A369273ull, 0xA6920FD31EC41225ull, 0x5BAAEAA7950A75BAull,
        0x9B973F77ACD32BB1ull, 0x9B973F77ACD32BB1ull, 0x9B973F77ACD32BB1ull,
        0xA3EE41E15E0A8037ull, 0x7A9322CB466DFBA5ull, 0xCFBE65D36782DBDFull,
        0x5E911C1157416370ull, 0xC8024589E9A377B8ull, 0x131E688BF28F6885ull,
        0x51220EDEC401F702ull, 0x1B09FC92538E6725ull, 0x910016D8BF4945A6ull,
        0x20E2D7E1262DC437ull, 0x20E2D7E1262DC437ull, 0x20E2D7E1262DC437ull,
        0xD312DEDFC4CA69C9ull, 0x5146F2523D9973F1ull, 0x41B7F00DC930CD66ull,
        0x8C3B647EF2DB919Bull, 0xF3F8734E06B7BD73ull, 0x4ED0D2A47047388Full,
        0xBD55B5D498137313ull, 0x1BC82D36C35C9925ull, 0x06F086D70F0EA62Eull,
        0xA8F66647827C3B1Aull, 0x2F42E1A9EADCA1A9ull, 0x32A5C410277C3B1Aull,
        0x308118D9D992574Cull, 0x5A3FC85A12307022ull, 0x8FA7CD1EE3CA9715ull,
        0x0D911B750E83EA53ull, 0xC6D76BE4C5376B67ull, 0xC7E8EA088A45BB85ull,
        0x5938A0C96F792A52ull, 0x8119459DBF53E9FDull, 0xED5403296E0D3F76ull,
        0x32277F794C5AF708ull, 0xD4B5DD28AC63401Full, 0x5EEEA185125AF708ull,
        0x77169109313D3070ull, 0x558A5CEE2E8F3675ull, 0x644B06009F7F3A82ull,
        0x896F1A74CCFDE877ull, 0x0812F84A8CE64D89ull, 0xAEFC23770CFD9F47ull,
        0x460748963E0F9D72ull, 0x8D1E01B30CE5D635ull, 0x058938A5FEC24153ull,
        0x79E53D18E6A5352Eull, 0x8CDE225B7EE17405ull, 0x9C409B1178A5352Eull,
        0x79E53D18E6A5352Eull, 0x8CDE225B7EE17405ull, 0x9C409B1178A5352Eull,
        0x0841BFEEECF2C701ull, 0x6D25AB3284A717D2ull, 0x143DCA23E1D03046ull,
        0x11A684C6DCBE6606ull, 0x304D6ED1D2731225ull, 0xF3219AA1E8BE6606ull,
        0xAB292D9C0493E576ull, 0x6CA7BC2C0B968B4Dull, 0x1E8C2E79E993E576ull,
        0x4E369CFD08FFD581ull, 0x7934F03F6F9658EAull, 0x908C6BF2457A6E0Full,
        0x393D514AA59F2B44ull, 0x65543CA996539AE2ull, 0x81D72B5F70E09491ull,
        0x5AAC903D6F55D967ull, 0xA6E6B707C4EF3F0Dull, 0xA63536D3F2AA8043ull,
    };
    ForEachFastPath([&](const char* path) {
        SCOPED_TRACE(path);
        ExpectDigests(Digests(true, Color::White), want);
    });
}

// The AVX2 path takes each block of eight outputs from sixteen source
// pixels in a row, moved back from the row's end, or one by one where the
// block's columns lie wider apart or the row is narrower than sixteen:
// rows of 15 and 16, rects ending at the last row's right end (where a
// load past it would leave the image), reductions whose blocks span about
// 15, 16 and 17 columns, widths that leave a few pixels after the last
// block, and enlargements that draw rows again.
TEST(StretchPixels, FastPathsAgree)
{
    const Case cases[] = {
        { "narrow15", 15, 4, Rect(0, 0, 15, 4), Rect(0, 0, 40, 6), Rect(0, 0, 40, 6), 40, 6 },
        { "exactly16", 16, 3, Rect(0, 0, 16, 3), Rect(1, 0, 37, 5), Rect(0, 0, 40, 5), 40, 5 },
        { "rightEndUp", 40, 2, Rect(30, 1, 10, 1), Rect(0, 0, 33, 3), Rect(0, 0, 33, 3), 33, 3 },
        { "rightEndDown", 61, 3, Rect(20, 1, 41, 2), Rect(0, 0, 27, 2), Rect(0, 0, 27, 2), 27, 2 },
        { "span15", 96, 5, Rect(0, 0, 96, 5), Rect(0, 0, 48, 4), Rect(0, 0, 48, 4), 48, 4 },
        { "span16", 103, 3, Rect(0, 0, 103, 3), Rect(0, 0, 48, 3), Rect(0, 0, 48, 3), 48, 3 },
        { "span17", 110, 5, Rect(0, 0, 110, 5), Rect(0, 0, 48, 4), Rect(0, 0, 48, 4), 48, 4 },
        { "strongDownWide", 203, 97, Rect(0, 0, 203, 97), Rect(0, 0, 41, 19), Rect(0, 0, 41, 19), 41, 19 },
        { "upRowsAgain", 64, 48, Rect(0, 0, 64, 48), Rect(0, 0, 203, 150), Rect(0, 0, 203, 150), 203, 150 },
        { "clippedInside", 90, 40, Rect(13, 7, 60, 30), Rect(-9, -4, 150, 70), Rect(3, 2, 61, 40), 70, 45 },
    };
    TestHost host;
    for (const Case& c : cases)
        for (Source s : { Source::kSprite, Source::kMixed })
            for (Dest d : kDests) {
                MemoryImage src;
                MakeSource(src, s, c.srcW, c.srcH);
                std::vector<std::vector<uint32_t>> drawn;
                ForEachFastPath([&](const char*) {
                    MemoryImage dest;
                    dest.SetBits(DestPixels(d, c.destW, c.destH).data(), c.destW, c.destH);
                    dest.StretchBlt(&src, c.destRect, c.srcRect, c.clip, Color::White, 0, true);
                    drawn.emplace_back(dest.mBits, dest.mBits + c.destW * c.destH);
                });
                for (size_t k = 1; k < drawn.size(); ++k)
                    EXPECT_EQ(drawn[k], drawn[0])
                        << c.name << " source " << static_cast<int>(s) << " dest " << static_cast<int>(d);
            }
}

TEST(StretchPixels, TintedFastStretchIsTheTintedBlitOfTheNearestPixels)
{
    TestHost host;
    const Color tints[] = { RGBA(255, 0, 0, 255), RGBA(128, 128, 128, 200), RGBA(40, 220, 90, 77) };
    for (const Case& c : kCases)
        for (Source s : kSources)
            for (Dest d : kDests)
                for (const Color& tint : tints) {
                    MemoryImage src;
                    MakeSource(src, s, c.srcW, c.srcH);
                    const std::vector<uint32_t> all = SourcePixels(s, c.srcW, c.srcH);
                    Rect clipped;
                    FRect area;
                    ASSERT_TRUE(GetStretchBltRects(c.srcRect, c.clip, c.destRect, clipped, area)) << c.name;
                    // The nearest pixels: pixel i of a row reads the column
                    // reached after i + 1 steps, held to the source rect.
                    std::vector<uint32_t> nearest;
                    const double stepX = area.mWidth / clipped.mWidth, stepY = area.mHeight / clipped.mHeight;
                    for (int r = 0; r < clipped.mHeight; ++r) {
                        const int sy = std::clamp(static_cast<int>(area.mY + r * stepY), c.srcRect.mY,
                                                  c.srcRect.mY + c.srcRect.mHeight - 1);
                        double pos = area.mX;
                        for (int i = 0; i < clipped.mWidth; ++i) {
                            pos += stepX;
                            const int sx = std::clamp(static_cast<int>(pos), c.srcRect.mX,
                                                      c.srcRect.mX + c.srcRect.mWidth - 1);
                            nearest.push_back(all[static_cast<size_t>(sy) * c.srcW + sx]);
                        }
                    }
                    MemoryImage picked;
                    picked.SetBits(nearest.data(), clipped.mWidth, clipped.mHeight);
                    MemoryImage stretched, blitted;
                    stretched.SetBits(DestPixels(d, c.destW, c.destH).data(), c.destW, c.destH);
                    blitted.SetBits(DestPixels(d, c.destW, c.destH).data(), c.destW, c.destH);
                    stretched.StretchBlt(&src, c.destRect, c.srcRect, c.clip, tint, 0, true);
                    blitted.Blt(&picked, clipped.mX, clipped.mY, Rect(0, 0, clipped.mWidth, clipped.mHeight), tint,
                                0);
                    for (int i = 0; i < c.destW * c.destH; ++i)
                        ASSERT_EQ(stretched.mBits[i], blitted.mBits[i])
                            << c.name << " source " << static_cast<int>(s) << " dest " << static_cast<int>(d)
                            << " pixel " << i;
                }
}

// Blocks of translucent pixels blend several at a time: every pair of
// source and destination alpha, in rows drawn once and rows drawn again
// from the same source row, gives the word blend's pixel.
TEST(StretchPixels, FastStretchBlendsEveryAlphaPair)
{
    TestHost host;
    // Pixel i of a row reads column i + 1 of a row 257 wide, which holds
    // alpha i; destination row y holds alpha y.
    constexpr int kSide = 256;
    for (int srcH : { kSide, kSide / 2 }) {
        std::vector<uint32_t> srcPx(static_cast<size_t>(kSide + 1) * srcH);
        for (int y = 0; y < srcH; ++y)
            for (int x = 0; x <= kSide; ++x)
                srcPx[static_cast<size_t>(y) * (kSide + 1) + x] = static_cast<uint32_t>(std::max(x - 1, 0)) << 24 |
                                                                  (Hash(static_cast<uint32_t>(y * 977 + x)) & 0xFFFFFF);
        MemoryImage src;
        src.SetBits(srcPx.data(), kSide + 1, srcH);
        std::vector<uint32_t> destPx(static_cast<size_t>(kSide) * kSide);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                destPx[static_cast<size_t>(y) * kSide + x] =
                    static_cast<uint32_t>(y) << 24 | (Hash(static_cast<uint32_t>(y * 3 + x * 7919)) & 0xFFFFFF);
        std::vector<uint32_t> want = destPx;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                const uint32_t s = srcPx[static_cast<size_t>(y * srcH / kSide) * (kSide + 1) + x + 1];
                uint32_t& d = want[static_cast<size_t>(y) * kSide + x];
                if (s >> 24)
                    d = blend::OverShiftThenSum(d, s, s >> 24);
            }
        ForEachFastPath([&](const char* path) {
            MemoryImage dest;
            dest.SetBits(destPx.data(), kSide, kSide);
            dest.StretchBlt(&src, Rect(0, 0, kSide, kSide), Rect(0, 0, kSide + 1, srcH), Rect(0, 0, kSide, kSide),
                            Color::White, 0, true);
            for (size_t i = 0; i < want.size(); ++i)
                ASSERT_EQ(dest.mBits[i], want[i]) << path << " source rows " << srcH << " pixel " << i % kSide << ", "
                                                  << i / kSide << " over " << std::hex << destPx[i];
        });
    }
}
