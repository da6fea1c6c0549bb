// One fixed scene per table slot and format, its pixels hashed with CRC-32:
// any change to a pixel of any span function fails here.
#include "framework/raster/SpanFunctions.h"
#include "framework/raster/WideKernels.h"

#include "RasterTestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace Kivo;

struct Lcg {
    uint32_t state;
    uint32_t operator()() { return state = state * 1664525u + 1013904223u; }
};

uint32_t DrawScene(int index)
{
    Lcg rng{ 12345 };
    const uint8_t alphas[] = { 0, 5, 8, 9, 64, 128, 200, 239, 240, 254, 255, 255 };
    std::vector<uint32_t> texels(8 * 8);
    for (uint32_t& t : texels)
        t = (uint32_t(alphas[rng() % 12]) << 24) | (rng() >> 8);
    const RasterTexture texture = RasterTest::MakeTexture(texels, 8);
    const int group = index >> 5;
    RasterTest::Surface s(group, 24, 20, 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 24; ++x)
            s.Set(x, y, rng());
    const RasterColor colour = RasterTest::Colour(0xC8E68040);
    for (int t = 0; t < 6; ++t) {
        RasterVertex v[3];
        for (RasterVertex& r : v) {
            const double x = (rng() % 2400) / 100.0, y = (rng() % 2000) / 100.0;
            const double u = (rng() % 1700) / 1000.0 * 8 - 2.4, w = (rng() % 1700) / 1000.0 * 8 - 2.4;
            r = RasterTest::Vertex(x, y, u, w, rng());
        }
        gTriangleFuncs[index](v, s.bits(), s.pitch, &texture, &colour);
    }
    return static_cast<uint32_t>(crc32(0, s.bytes.data(), static_cast<uInt>(s.bytes.size())));
}

const uint32_t kGolden[128] = {
    0x34DBA6F7, 0x34DBA6F7, 0x34DBA6F7, 0x34DBA6F7, 0xFF93E4FE, 0xFF93E4FE, 0xE1063B03, 0xE1063B03,
    0x34DBA6F7, 0x34DBA6F7, 0x34DBA6F7, 0x34DBA6F7, 0xFF93E4FE, 0xFF93E4FE, 0xE1063B03, 0xE1063B03,
    0x4BD6F9EE, 0x1C2D02F4, 0x87D0F496, 0x5632CD18, 0xA18531B7, 0x93FBB736, 0xD2B7228E, 0xE2C54886,
    0xC873A738, 0xB447FFD9, 0xD6F6D2F4, 0x80AFC62C, 0x7ADE8AC2, 0xE6D32B7B, 0x13CE1E6B, 0x63AA2FF5,
    0x34DBA6F7, 0x34DBA6F7, 0x34DBA6F7, 0x34DBA6F7, 0xBAA1257A, 0xBAA1257A, 0x2EBCF974, 0x2EBCF974,
    0x34DBA6F7, 0x34DBA6F7, 0x34DBA6F7, 0x34DBA6F7, 0xBAA1257A, 0xBAA1257A, 0x2EBCF974, 0x2EBCF974,
    0x4BD6F9EE, 0x1C2D02F4, 0x004A4F1F, 0x6A59DF90, 0x0B004780, 0x53E69684, 0x65C1E82C, 0xB8ACF09A,
    0x73C35C61, 0x28C8F329, 0xA31F2793, 0x8566B7F2, 0x7B5BA2B2, 0xD9B0387C, 0x49F47647, 0xFF029A38,
    0x0324986F, 0x0324986F, 0x0324986F, 0x0324986F, 0x03E7C883, 0x03E7C883, 0x2CB3CE66, 0x2CB3CE66,
    0x0324986F, 0x0324986F, 0x0324986F, 0x0324986F, 0x03E7C883, 0x03E7C883, 0x2CB3CE66, 0x2CB3CE66,
    0x9F67C440, 0xC2F73489, 0x24844083, 0x246D7607, 0x42B287C3, 0x073F0906, 0x4E917A4D, 0x2141AB11,
    0x647CB48E, 0x89236BD2, 0x7EB4997D, 0xB054B490, 0x8FD0C461, 0x3648A6C6, 0xF8ED1FE5, 0x7E76C6F4,
    0x0324986F, 0x0324986F, 0x0324986F, 0x0324986F, 0x8B0A2CC7, 0x8B0A2CC7, 0x7B4FFE74, 0x7B4FFE74,
    0x0324986F, 0x0324986F, 0x0324986F, 0x0324986F, 0x8B0A2CC7, 0x8B0A2CC7, 0x7B4FFE74, 0x7B4FFE74,
    0xF0542FF2, 0x3B9FA94A, 0x7711C928, 0x8E64A295, 0x5556DB18, 0xAFD6EE0E, 0xFCC353C3, 0xD3D08C14,
    0x6A9DE4F6, 0xE20BD283, 0x853F480B, 0x9D16D1D5, 0x7D341DF6, 0xFBC50552, 0xF0F59581, 0xE226D911,
};

// The SSE2 kernels, then the AVX2 ones where the processor has them: the
// same pixels.
TEST(Golden, EverySlotAndFormat)
{
    for (const bool wide : { false, true }) {
    if (!UseWideKernels(wide) && wide)
            continue;
        SCOPED_TRACE(wide ? "AVX2 kernels" : "SSE2 kernels");
        std::string table;
        bool same = true;
        for (int i = 0; i < 128; ++i) {
            const uint32_t crc = DrawScene(i);
            same &= crc == kGolden[i];
            char line[32];
            std::snprintf(line, sizeof line, "0x%08X,%s", crc, i % 8 == 7 ? "\n" : " ");
            table += line;
        }
        EXPECT_TRUE(same) << "scene hashes now:\n" << table;
    }
    UseWideKernels(true);
}

} // namespace
