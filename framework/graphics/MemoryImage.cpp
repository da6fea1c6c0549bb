#include "framework/graphics/MemoryImage.h"

#include "framework/graphics/GraphicsHost.h"
#include "framework/graphics/NativeDisplay.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Kivo {

MemoryImage::MemoryImage() : MemoryImage(GetGraphicsHost()) {}

MemoryImage::MemoryImage(GraphicsHost* host) : mHost(host ? host : GetGraphicsHost())
{
    mHost->AddMemoryImage(this);
}

MemoryImage::~MemoryImage()
{
    mHost->RemoveMemoryImage(this);
    delete[] mBits;
    delete[] mNativeAlphaData;
    delete[] mRLAlphaData;
    delete[] mRLAdditiveData;
    delete[] mColorIndices;
    delete[] mColorTable;
}

void MemoryImage::FreeBits()
{
    delete[] mBits;
    mBits = nullptr;
}

void MemoryImage::AllocBits()
{
    const size_t n = PixelCount();
    mBits = new uint32_t[n + 1];
    mBits[n] = kGuardWord;
}

void MemoryImage::FreePaletteForm()
{
    delete[] mColorIndices;
    mColorIndices = nullptr;
    delete[] mColorTable;
    mColorTable = nullptr;
    if (mNativeIndexed) {
        delete[] mNativeAlphaData;
        mNativeAlphaData = nullptr;
        mNativeIndexed = false;
    }
}

void MemoryImage::BitsChanged()
{
    ++mBitsChangedCount;
    mBitsDirty = true;
    delete[] mNativeAlphaData;
    mNativeAlphaData = nullptr;
    mNativeIndexed = false;
    delete[] mRLAlphaData;
    mRLAlphaData = nullptr;
    delete[] mRLAdditiveData;
    mRLAdditiveData = nullptr;
}

void MemoryImage::CommitBits()
{
    if (!mBitsDirty || mForcedMode)
        return;
    auto scan = [this](const uint32_t* p, size_t n) {
        mHasTrans = false;
        mHasAlpha = false;
        for (size_t i = 0; i < n; ++i) {
            uint32_t a = p[i] >> 24;
            if (a == 0)
                mHasTrans = true;
            else if (a != 255)
                mHasAlpha = true;
        }
    };
    if (mBits) {
        scan(mBits, PixelCount());
    } else if (mColorTable) {
        scan(mColorTable, 256);
    } else {
        mHasTrans = true;
        mHasAlpha = false;
    }
    mBitsDirty = false;
}

void MemoryImage::SetImageMode(bool hasTrans, bool hasAlpha)
{
    mHasTrans = hasTrans;
    mHasAlpha = hasAlpha;
    mForcedMode = true;
}

void MemoryImage::SetBltHint(bool hint) { mBltHint = hint; }

void MemoryImage::SetBits(const uint32_t* bits, int width, int height, bool commitBits)
{
    if (bits == mBits && bits)
        return;
    FreePaletteForm();
    if (!ImageSizeOk(width, height) || !bits) {
        FreeBits();
        mWidth = mHeight = 0;
        BitsChanged();
        return;
    }
    if (width != mWidth || height != mHeight || !mBits) {
        FreeBits();
        mWidth = width;
        mHeight = height;
        AllocBits();
    }
    std::memcpy(mBits, bits, PixelCount() * sizeof(uint32_t));
    mBits[PixelCount()] = kGuardWord;
    BitsChanged();
    if (commitBits)
        CommitBits();
}

void MemoryImage::TakeBits(uint32_t* bits, int width, int height, bool commitBits)
{
    if (bits == mBits && bits)
        return;
    FreePaletteForm();
    FreeBits();
    if (!ImageSizeOk(width, height) || !bits) {
        delete[] bits;
        mWidth = mHeight = 0;
        BitsChanged();
        return;
    }
    mWidth = width;
    mHeight = height;
    mBits = bits;
    mBits[PixelCount()] = kGuardWord;
    BitsChanged();
    if (commitBits)
        CommitBits();
}

void MemoryImage::Create(int width, int height)
{
    FreeBits();
    // A palette form left from an earlier size would be read as this size's
    // pixels by the next GetBits.
    FreePaletteForm();
    mHasTrans = true;
    mHasAlpha = true;
    if (!ImageSizeOk(width, height))
        width = height = 0;
    mWidth = width;
    mHeight = height;
    BitsChanged();
}

uint32_t* MemoryImage::GetBits()
{
    if (mBits)
        return mBits;
    AllocBits();
    const size_t n = PixelCount();
    if (mColorTable && mColorIndices) {
        for (size_t i = 0; i < n; ++i)
            mBits[i] = mColorTable[mColorIndices[i]];
        FreePaletteForm();
        delete[] mNativeAlphaData;
        mNativeAlphaData = nullptr;
    } else if (mNativeAlphaData && !mNativeIndexed) {
        const NativeDisplay* d = mHost->GetNativeDisplay();
        auto widen = [](uint32_t word, uint32_t a, uint32_t mask, int shift, int bits) {
            uint32_t v = (((word & mask) << 8) / (a + 1)) & mask;
            return (v << 8) >> (shift + bits);
        };
        for (size_t i = 0; i < n; ++i) {
            uint32_t w = mNativeAlphaData[i];
            uint32_t a = w >> 24;
            mBits[i] = (a << 24) | (widen(w, a, d->mRedMask, d->mRedShift, d->mRedBits) << 16) |
                       (widen(w, a, d->mGreenMask, d->mGreenShift, d->mGreenBits) << 8) |
                       widen(w, a, d->mBlueMask, d->mBlueShift, d->mBlueBits);
        }
    } else {
        std::fill(mBits, mBits + n, 0u);
        mHost->ReadTexturesToBits(this);
    }
    return mBits;
}

void MemoryImage::Clear()
{
    if (uint32_t* bits = GetBits()) {
        std::fill(bits, bits + PixelCount(), 0u);
        BitsChanged();
    }
}

uint32_t* MemoryImage::GetNativeAlphaData(NativeDisplay* display)
{
    if (mNativeAlphaData)
        return mNativeAlphaData;
    CommitBits();
    auto premultiply = [display](uint32_t c) {
        const uint32_t a1 = (c >> 24) + 1;
        uint32_t r = ((((c & 0xFF0000) * a1) >> 8 >> (24 - display->mRedBits)) << display->mRedShift) &
                     display->mRedMask;
        uint32_t g = ((((c & 0xFF00) * a1) >> 8 >> (16 - display->mGreenBits)) << display->mGreenShift) &
                     display->mGreenMask;
        uint32_t b = ((((c & 0xFF) * a1) >> 8 >> (8 - display->mBlueBits)) << display->mBlueShift) &
                     display->mBlueMask;
        return r | g | b | (c & 0xFF000000);
    };
    if (mColorTable) {
        mNativeAlphaData = new uint32_t[256];
        for (int i = 0; i < 256; ++i)
            mNativeAlphaData[i] = premultiply(mColorTable[i]);
        mNativeIndexed = true;
    } else {
        const uint32_t* bits = GetBits();
        const size_t n = PixelCount();
        mNativeAlphaData = new uint32_t[n + 1];
        for (size_t i = 0; i < n; ++i)
            mNativeAlphaData[i] = premultiply(bits[i]);
        mNativeIndexed = false;
    }
    return mNativeAlphaData;
}

namespace {

// Run coding of one row of pixel classes: each byte counts the pixels from
// here to the end of its run of equal classes, at most 255.
template <typename ClassOf>
void CodeRuns(uint8_t* out, int width, int height, ClassOf classOf)
{
    for (int y = 0; y < height; ++y) {
        uint8_t* row = out + static_cast<size_t>(y) * width;
        int x = 0;
        while (x < width) {
            const int cls = classOf(static_cast<size_t>(y) * width + x);
            int end = x + 1;
            while (end < width && classOf(static_cast<size_t>(y) * width + end) == cls)
                ++end;
            for (int i = x; i < end; ++i)
                row[i] = static_cast<uint8_t>(std::min(end - i, 255));
            x = end;
        }
    }
}

int AlphaClass(uint32_t pixel)
{
    const uint32_t a = pixel >> 24;
    return a == 0 ? 0 : a == 255 ? 1 : 2;
}

} // namespace

uint8_t* MemoryImage::GetRLAlphaData()
{
    CommitBits();
    if (mRLAlphaData)
        return mRLAlphaData;
    mRLAlphaData = new uint8_t[PixelCount() + 1];
    if (mColorTable && mColorIndices) {
        CodeRuns(mRLAlphaData, mWidth, mHeight, [this](size_t i) { return AlphaClass(mColorTable[mColorIndices[i]]); });
    } else if (mNativeAlphaData && !mNativeIndexed) {
        CodeRuns(mRLAlphaData, mWidth, mHeight, [this](size_t i) { return AlphaClass(mNativeAlphaData[i]); });
    } else {
        const uint32_t* bits = GetBits();
        CodeRuns(mRLAlphaData, mWidth, mHeight, [bits](size_t i) { return AlphaClass(bits[i]); });
    }
    return mRLAlphaData;
}

uint8_t* MemoryImage::GetRLAdditiveData(NativeDisplay* display)
{
    if (mRLAdditiveData)
        return mRLAdditiveData;
    const uint32_t* native = GetNativeAlphaData(display);
    mRLAdditiveData = new uint8_t[PixelCount() + 1];
    if (mNativeIndexed && mColorIndices) {
        CodeRuns(mRLAdditiveData, mWidth, mHeight,
                 [this, native](size_t i) { return (native[mColorIndices[i]] & 0xFFFFFF) != 0; });
    } else {
        CodeRuns(mRLAdditiveData, mWidth, mHeight, [native](size_t i) { return (native[i] & 0xFFFFFF) != 0; });
    }
    return mRLAdditiveData;
}

void MemoryImage::DeleteNativeData()
{
    if (!mBits && !mColorIndices)
        GetBits();
    delete[] mNativeAlphaData;
    mNativeAlphaData = nullptr;
    mNativeIndexed = false;
    delete[] mRLAdditiveData;
    mRLAdditiveData = nullptr;
}

void MemoryImage::DeleteSWBuffers()
{
    DeleteNativeData();
    delete[] mRLAlphaData;
    mRLAlphaData = nullptr;
}

void MemoryImage::Delete3DBuffers() { mHost->Remove3DData(this); }

void MemoryImage::DeleteExtraBuffers()
{
    DeleteSWBuffers();
    Delete3DBuffers();
}

void MemoryImage::PurgeBits()
{
    mPurgeBits = true;
    if (!mHost->Is3DAccelerated()) {
        if (!mBits && !mColorIndices)
            return;
        GetNativeAlphaData(mHost->GetNativeDisplay());
        FreeBits();
        if (mD3DData)
            FreePaletteForm();
    } else if (mD3DData) {
        FreeBits();
        FreePaletteForm();
    }
}

void MemoryImage::ReInit()
{
    if (mWantPal)
        Palletize();
    if (mPurgeBits)
        PurgeBits();
}

bool MemoryImage::Palletize()
{
    CommitBits();
    if (mColorTable)
        return true;
    if (PixelCount() == 0)
        return false;
    const uint32_t* bits = GetBits();
    mColorIndices = new uint8_t[PixelCount()];
    mColorTable = new uint32_t[256];
    if (!BuildPalette(bits, mWidth, mHeight, mColorIndices, mColorTable)) {
        FreePaletteForm();
        mWantPal = false;
        return false;
    }
    FreeBits();
    delete[] mNativeAlphaData;
    mNativeAlphaData = nullptr;
    mNativeIndexed = false;
    mWantPal = true;
    return true;
}

bool BuildPalette(const uint32_t* bits, int width, int height, uint8_t* indices, uint32_t* table)
{
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (n == 0)
        return false;
    // Distinct colours in ascending order, each with its table index.
    uint32_t sorted[256];
    uint8_t sortedIndex[256];
    int count = 1;
    sorted[0] = bits[0];
    sortedIndex[0] = 0;
    table[0] = bits[0];
    indices[0] = 0;
    for (size_t i = 1; i < n; ++i) {
        const uint32_t c = bits[i];
        const uint32_t* pos = std::lower_bound(sorted, sorted + count, c);
        const int at = static_cast<int>(pos - sorted);
        if (at < count && sorted[at] == c) {
            indices[i] = sortedIndex[at];
            continue;
        }
        if (count == 256)
            return false;
        std::memmove(sorted + at + 1, sorted + at, (count - at) * sizeof(uint32_t));
        std::memmove(sortedIndex + at + 1, sortedIndex + at, count - at);
        sorted[at] = c;
        sortedIndex[at] = static_cast<uint8_t>(count);
        table[count] = c;
        indices[i] = static_cast<uint8_t>(count);
        ++count;
    }
    // CommitBits scans all 256 entries; a colour already present keeps its
    // answer right.
    std::fill(table + count, table + 256, table[0]);
    return true;
}

} // namespace Kivo
