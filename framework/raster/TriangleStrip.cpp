#include "framework/raster/TriangleStrip.h"

#include "framework/raster/ClipPolygon.h"

#include <algorithm>
#include <cstdint>

namespace Kivo {
namespace {

// 16.16 holds whole pixels up to ±32767; a clip beyond that is cut to it.
constexpr int64_t kMaxCoordinate = 32766;

float ClampToBound(float value, float low, float high)
{
    // Written so that NaN gives low.
    value = value > low ? value : low;
    return value < high ? value : high;
}

uint32_t ClampChannel(int32_t c) { return static_cast<uint32_t>(std::clamp(c, 0, 255)); }

} // namespace

int32_t ToFixed(double value)
{
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

void DrawTriangleStrip(const StripVertex* strip, int count, RasterTextureSource* texture, const StripColor* colour,
                       int /*drawMode*/, const StripRect* clip, uint8_t* bits, uint32_t pitch, int32_t format,
                       bool linearBlend, bool vertexColours)
{
    DrawTriangleStripWithTable(gTriangleFuncs, strip, count, texture, colour, clip, bits, pitch, format,
                               linearBlend, vertexColours);
}

void DrawTriangleStripWithTable(const TriangleFuncTable& table, const StripVertex* strip, int count,
                                RasterTextureSource* texture, const StripColor* colour, const StripRect* clip,
                                uint8_t* bits, uint32_t pitch, int32_t format, bool linearBlend,
                                bool vertexColours)
{
    // Pixel centres lie on whole numbers and a centre on a right or bottom
    // edge is not drawn, so bounds at x + width and y + height let every
    // pixel of the clip be drawn and none beyond it.
    const auto left = static_cast<float>(std::max<int64_t>(clip->x, -kMaxCoordinate));
    const auto right = static_cast<float>(std::min<int64_t>(int64_t(clip->x) + clip->width, kMaxCoordinate));
    const auto top = static_cast<float>(std::max<int64_t>(clip->y, -kMaxCoordinate));
    const auto bottom = static_cast<float>(std::min<int64_t>(int64_t(clip->y) + clip->height, kMaxCoordinate));

    // Channels outside 0..255 would break the no-carry arithmetic of the
    // span functions.
    const RasterColor rasterColour = { ClampChannel(colour->alpha), ClampChannel(colour->red),
                                       ClampChannel(colour->green), ClampChannel(colour->blue) };
    const bool mod = colour->red != 255 || colour->green != 255 || colour->blue != 255 || colour->alpha != 255;
    const bool tex = texture != nullptr;
    if (tex)
        texture->CommitBits();
    const bool blend = tex && (texture->HasAlpha() || texture->HasTransparency() || linearBlend);
    if (count < 3)
        return;

    const int index = TriangleFuncIndex(tex, blend, vertexColours, mod, format, linearBlend);
    const TriangleFunc draw = table[static_cast<size_t>(index)];
    if (!draw)
        return;

    ClipScratch scratch;
    const StripVertex* polygon[ClipScratch::kCapacity];
    RasterVertex records[ClipScratch::kCapacity];
    RasterTexture rasterTexture{};
    bool flip = false;
    for (int i = 3; i <= count; ++i, flip = !flip) {
        const StripVertex* triangle[3] = { &strip[i - 3], &strip[flip ? i - 1 : i - 2], &strip[flip ? i - 2 : i - 1] };
        const int n = ClipPolygonToRect(triangle, polygon, left, right, top, bottom, scratch);
        if (n == 0)
            continue;
        for (int k = 0; k < n; ++k) {
            const StripVertex& sv = *polygon[k];
            RasterVertex& r = records[k];
            // A crossing rounded a hair beyond its bound is held on it, so no
            // write can leave the clip.
            r.x = ToFixed(ClampToBound(sv.x, left, right) * 65536.0);
            r.y = ToFixed(ClampToBound(sv.y, top, bottom) * 65536.0);
            r.alpha = r.red = r.green = r.blue = r.u = r.v = 0;
        }
        if (tex) {
            const int32_t width = std::max(texture->GetWidth(), 0);
            const int32_t height = std::max(texture->GetHeight(), 0);
            const auto w = static_cast<double>(static_cast<float>(width));
            const auto h = static_cast<double>(static_cast<float>(height));
            for (int k = 0; k < n; ++k) {
                records[k].u = ToFixed(polygon[k]->u * w * 65536.0);
                records[k].v = ToFixed(polygon[k]->v * h * 65536.0);
            }
            uint32_t log2 = 0;
            for (uint32_t halves = static_cast<uint32_t>(width) >> 1; halves; halves >>= 1)
                ++log2;
            rasterTexture.texels = texture->GetBits();
            rasterTexture.widthShift = 16 - log2;
            rasterTexture.uMask = (static_cast<uint32_t>(width) - 1) << 16;
            rasterTexture.vMask = (static_cast<uint32_t>(height) - 1) << 16;
            rasterTexture.width = static_cast<uint32_t>(width);
            rasterTexture.height = static_cast<uint32_t>(height);
            rasterTexture.texelCount = rasterTexture.texels ? rasterTexture.width * rasterTexture.height : 0;
        }
        if (vertexColours) {
            for (int k = 0; k < n; ++k) {
                const uint32_t c = polygon[k]->colour;
                records[k].alpha = static_cast<int32_t>((c >> 8) & 0xFF0000u);
                records[k].red = static_cast<int32_t>(c & 0xFF0000u);
                records[k].green = static_cast<int32_t>((c & 0xFF00u) << 8);
                records[k].blue = static_cast<int32_t>((c & 0xFFu) << 16);
            }
        }
        draw(records, bits, pitch, &rasterTexture, &rasterColour);
        for (int j = 3; j < n; ++j) {
            records[1] = records[j - 1];
            records[2] = records[j];
            draw(records, bits, pitch, &rasterTexture, &rasterColour);
        }
    }
}

} // namespace Kivo
