// Rotated, sub-pixel, stretched and matrix blits with any geometry a caller
// could pass: source rects past any side, clips past the destination, NaN
// and huge positions, angles and scales. Nothing may be read or written
// outside the images.
#include "framework/graphics/Matrix3x3.h"
#include "framework/graphics/MemoryImage.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Reader {
    const uint8_t* p;
    const uint8_t* end;

    uint32_t Word()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4 && p < end; ++i)
            v |= static_cast<uint32_t>(*p++) << (8 * i);
        return v;
    }
    int Int() { return static_cast<int32_t>(Word()); }
    // A small number around 0, as geometry mostly is.
    int Small() { return static_cast<int8_t>(Word() & 0xFF); }
    float Float()
    {
        const uint32_t w = Word();
        float f;
        std::memcpy(&f, &w, sizeof f);
        return f;
    }
    Kivo::Rect AnyRect()
    {
        const bool wide = Word() & 1;
        int v[4];
        for (int& x : v)
            x = wide ? Int() : Small();
        return Kivo::Rect(v[0], v[1], v[2], v[3]);
    }
};

Kivo::MemoryImage* Picture(Reader& r, int w, int h)
{
    auto* image = new Kivo::MemoryImage;
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (uint32_t& p : px)
        p = r.Word() * 0x9E3779B9u;
    image->SetBits(px.data(), w, h);
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reader r{ data, data + size };
    const int sw = 1 + static_cast<int>(r.Word() % 48);
    const int sh = 1 + static_cast<int>(r.Word() % 48);
    const int dw = 1 + static_cast<int>(r.Word() % 64);
    const int dh = 1 + static_cast<int>(r.Word() % 64);
    Kivo::MemoryImage* src = Picture(r, sw, sh);
    Kivo::MemoryImage* dst = Picture(r, dw, dh);
    if (r.Word() & 1)
        src->Palletize();
    while (r.p < r.end) {
        const uint32_t op = r.Word() % 4;
        const Kivo::Rect srcRect = r.AnyRect();
        const Kivo::Rect clip = r.AnyRect();
        Kivo::Color color(static_cast<int>(r.Word()), true);
        const int mode = static_cast<int>(r.Word() % 3);
        switch (op) {
        case 0: {
            const float x = r.Float(), y = r.Float();
            const double angle = r.Float();
            const float cx = r.Float(), cy = r.Float();
            dst->BltRotated(src, x, y, srcRect, clip, color, mode, angle, cx, cy);
            break;
        }
        case 1: {
            const float x = r.Small() + (r.Word() & 0xFF) / 256.0f;
            const float y = r.Small() + (r.Word() & 0xFF) / 256.0f;
            dst->BltF(src, x, y, srcRect, clip, color, mode);
            break;
        }
        case 2: {
            const Kivo::Rect dest = r.AnyRect();
            const bool white = r.Word() & 1;
            dst->StretchBlt(src, dest, srcRect, clip, white ? Kivo::Color::White : color, mode, r.Word() & 1);
            break;
        }
        default: {
            Kivo::Matrix3x3 m;
            m.Rotate(r.Float());
            const float sx = r.Float(), sy = r.Float(), x = r.Float(), y = r.Float();
            m.Scale(sx, sy);
            dst->BltMatrix(src, x, y, m, clip, color, mode, srcRect, r.Word() & 1);
            break;
        }
        }
    }
    delete src;
    delete dst;
    return 0;
}
