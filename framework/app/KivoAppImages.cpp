#include "framework/app/KivoAppBase.h"

#include "framework/display/DDInterface.h"
#include "framework/graphics/MemoryImage.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

namespace Kivo {

namespace {

// The display lock, when there is a display.
std::unique_lock<std::recursive_mutex> DisplayLock(DDInterface* display)
{
    return display ? std::unique_lock(display->mCritSect) : std::unique_lock<std::recursive_mutex>();
}

} // namespace

void KivoAppBase::AddMemoryImage(MemoryImage* image)
{
    auto lock = DisplayLock(ddInterface);
    memoryImageSet.insert(image);
}

void KivoAppBase::RemoveMemoryImage(MemoryImage* image)
{
    auto lock = DisplayLock(ddInterface);
    memoryImageSet.erase(image);
    Remove3DData(image);
}

void KivoAppBase::Remove3DData(MemoryImage* image)
{
    if (ddInterface)
        ddInterface->Remove3DData(image);
}

void KivoAppBase::ReInitImages()
{
    auto lock = DisplayLock(ddInterface);
    for (MemoryImage* image : memoryImageSet)
        image->ReInit();
}

void KivoAppBase::DeleteNativeImageData()
{
    auto lock = DisplayLock(ddInterface);
    for (MemoryImage* image : memoryImageSet)
        image->DeleteNativeData();
}

void KivoAppBase::DeleteExtraImageBuffers()
{
    auto lock = DisplayLock(ddInterface);
    for (MemoryImage* image : memoryImageSet)
        image->DeleteExtraBuffers();
}

MemoryImage* KivoAppBase::CopyImage(Image* image)
{
    return CopyImage(image, Rect(0, 0, image->mWidth, image->mHeight));
}

MemoryImage* KivoAppBase::CopyImage(Image* image, const Rect& rect)
{
    MemoryImage* copy = ddInterface ? ddInterface->NewImage() : new MemoryImage();
    copy->Create(rect.mWidth, rect.mHeight);
    // The part of the rectangle that lies on the source; the rest stays clear.
    const int x0 = std::max(rect.mX, 0), y0 = std::max(rect.mY, 0);
    const int x1 = std::min(rect.mX + rect.mWidth, image->mWidth);
    const int y1 = std::min(rect.mY + rect.mHeight, image->mHeight);
    if (x1 > x0 && y1 > y0 && copy->mWidth == rect.mWidth) {
        if (auto* memory = dynamic_cast<MemoryImage*>(image)) {
            const uint32_t* src = memory->GetBits();
            uint32_t* dst = copy->GetBits();
            for (int y = y0; y < y1; ++y)
                std::copy(src + size_t(y) * memory->mWidth + x0, src + size_t(y) * memory->mWidth + x1,
                          dst + size_t(y - rect.mY) * rect.mWidth + (x0 - rect.mX));
            copy->BitsChanged();
        } else {
            copy->Blt(image, x0 - rect.mX, y0 - rect.mY, Rect(x0, y0, x1 - x0, y1 - y0), Color::White, DRAWMODE_NORMAL);
        }
    }
    copy->mFilePath = image->mFilePath;
    copy->CopyAttributes(image);
    return copy;
}

void KivoAppBase::MirrorImageX(MemoryImage* image)
{
    uint32_t* bits = image->GetBits();
    if (!bits)
        return;
    const int w = image->mWidth;
    for (int y = 0; y < image->mHeight; ++y) {
        uint32_t* row = bits + size_t(y) * w;
        for (int i = 0; i < w / 2; ++i)
            std::swap(row[i], row[w - 1 - i]);
    }
    image->BitsChanged();
}

void KivoAppBase::MirrorImageY(MemoryImage* image)
{
    uint32_t* bits = image->GetBits();
    if (!bits)
        return;
    const int w = image->mWidth, h = image->mHeight;
    for (int j = 0; j < h / 2; ++j)
        std::swap_ranges(bits + size_t(j) * w, bits + size_t(j + 1) * w, bits + size_t(h - 1 - j) * w);
    image->BitsChanged();
}

uint32_t KivoAppBase::ShiftHue(uint32_t argb, int shift)
{
    shift = ((shift % 256) + 256) % 256;
    const int r = int((argb >> 16) & 0xFF), g = int((argb >> 8) & 0xFF), b = int(argb & 0xFF);
    const int max = std::max({ r, g, b }), min = std::min({ r, g, b });
    const int L = (max + min) / 2;
    const int d = max - min;
    int S = 0, hue = 0;
    if (d != 0) {
        S = L <= 128 ? d * 256 / (max + min) : d * 256 / (512 - max - min);
        int h6;
        if (r == max)
            h6 = g == min ? 5 * 256 + (max - b) * 256 / d : 256 - (max - g) * 256 / d;
        else if (g == max)
            h6 = b == min ? 256 + (max - r) * 256 / d : 3 * 256 - (max - b) * 256 / d;
        else
            h6 = r == min ? 3 * 256 + (max - g) * 256 / d : 5 * 256 - (max - r) * 256 / d;
        hue = h6 / 6;
    }
    // Pure red comes out as 256, and hue + shift may pass 256 more than
    // once: both are brought back into 0..255 so that the sextant stays
    // inside the six rows below.
    hue = (hue + shift) % 256;

    const int v = L < 128 ? L * (255 + S) / 255 : L + S - L * S / 255;
    const int m = int(2.0 * L - v);
    const int sextant = hue * 6 / 256;
    const int f = (hue - sextant * 256 / 6) * 6;
    const double step = double(v - m) * f / 255.0;
    const int rising = std::min(int(m + step), 255);
    const int falling = std::max(int(v - step), 0);
    int nr, ng, nb;
    switch (sextant) {
    case 0: nr = v, ng = rising, nb = m; break;
    case 1: nr = falling, ng = v, nb = m; break;
    case 2: nr = m, ng = v, nb = rising; break;
    case 3: nr = m, ng = falling, nb = v; break;
    case 4: nr = rising, ng = m, nb = v; break;
    default: nr = v, ng = m, nb = falling; break;
    }
    auto clamp = [](int c) { return uint32_t(std::clamp(c, 0, 255)); };
    return (argb & 0xFF000000u) | (clamp(nr) << 16) | (clamp(ng) << 8) | clamp(nb);
}

void KivoAppBase::ShiftImageHue(MemoryImage* image, int shift)
{
    uint32_t* bits = image->GetBits();
    if (!bits)
        return;
    const size_t count = size_t(image->mWidth) * size_t(image->mHeight);
    for (size_t i = 0; i < count; ++i)
        bits[i] = ShiftHue(bits[i], shift);
    image->BitsChanged();
}

} // namespace Kivo
