#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageReader.h"

#include <memory>
#include <vector>

namespace ImageLib {

namespace {

uint8_t ReadByte(Reader& in, bool& ok)
{
    uint8_t b = 0;
    if (!in.ReadFully(&b, 1))
        ok = false;
    return b;
}

int ReadWord(Reader& in, bool& ok)
{
    uint8_t b[2] = { 0, 0 };
    if (!in.ReadFully(b, 2))
        ok = false;
    return b[0] | (b[1] << 8);
}

// Reads data sub-blocks up to their terminator, appending them to `out`
// when given. False when the data ends first.
bool ReadSubBlocks(Reader& in, std::vector<uint8_t>* out)
{
    uint8_t block[255];
    for (;;) {
        bool ok = true;
        const uint8_t n = ReadByte(in, ok);
        if (!ok)
            return false;
        if (n == 0)
            return true;
        if (!in.ReadFully(block, n))
            return false;
        if (out)
            out->insert(out->end(), block, block + n);
    }
}

bool ReadColorTable(Reader& in, int flags, uint32_t* palette)
{
    const int entries = 1 << ((flags & 7) + 1);
    uint8_t rgb[3];
    for (int i = 0; i < entries; ++i) {
        if (!in.ReadFully(rgb, 3))
            return false;
        palette[i] = 0xFF000000 | (rgb[0] << 16) | (rgb[1] << 8) | rgb[2];
    }
    return true;
}

// Places decoded indices in rows, in order or in the four interlace passes.
class RowWriter {
public:
    RowWriter(Image& image, const uint32_t* palette, int transparent, bool interlaced)
        : mImage(image), mPalette(palette), mTransparent(transparent), mInterlaced(interlaced)
    {
    }

    // False once every pixel is written.
    bool Put(uint8_t index)
    {
        if (mRow >= mImage.mHeight)
            return false;
        mImage.mBits[static_cast<size_t>(mRow) * mImage.mWidth + mX] = index == mTransparent ? 0 : mPalette[index];
        if (++mX == mImage.mWidth) {
            mX = 0;
            NextRow();
        }
        return mRow < mImage.mHeight;
    }

private:
    void NextRow()
    {
        if (!mInterlaced) {
            ++mRow;
            return;
        }
        static const int kStart[4] = { 0, 4, 2, 1 };
        static const int kStep[4] = { 8, 8, 4, 2 };
        mRow += kStep[mPass];
        // A pass whose first row lies outside the image is skipped.
        while (mRow >= mImage.mHeight && ++mPass < 4)
            mRow = kStart[mPass];
    }

    Image& mImage;
    const uint32_t* mPalette;
    int mTransparent;
    bool mInterlaced;
    int mRow = 0;
    int mX = 0;
    int mPass = 0;
};

// LZW codes, least significant bit first, into `out`. Pixels the data does
// not reach stay 0.
void DecodeLZW(const std::vector<uint8_t>& data, int minCodeSize, RowWriter& out)
{
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    int width = minCodeSize + 1;
    int next = clear + 2;
    int prev = -1;
    uint16_t prefix[4096];
    uint8_t suffix[4096];
    uint8_t stack[4097];
    for (int i = 0; i < clear; ++i) {
        prefix[i] = 0;
        suffix[i] = static_cast<uint8_t>(i);
    }
    auto firstByte = [&](int code) {
        while (code >= clear)
            code = prefix[code];
        return static_cast<uint8_t>(code);
    };

    size_t bitPos = 0;
    const size_t totalBits = data.size() * 8;
    while (bitPos + width <= totalBits) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++bitPos)
            code |= ((data[bitPos >> 3] >> (bitPos & 7)) & 1) << i;
        if (code > next || code == end)
            return;
        if (code == clear) {
            width = minCodeSize + 1;
            next = clear + 2;
            prev = -1;
            continue;
        }
        if (prev < 0) {
            if (code >= clear) // the first code after a clear must be a root
                return;
            if (!out.Put(static_cast<uint8_t>(code)))
                return;
            prev = code;
            continue;
        }
        int sp = 0;
        int c = code;
        if (code == next) {
            stack[sp++] = firstByte(prev);
            c = prev;
        }
        while (c >= clear) {
            stack[sp++] = suffix[c];
            c = prefix[c];
        }
        stack[sp++] = static_cast<uint8_t>(c);
        const uint8_t first = static_cast<uint8_t>(c);
        while (sp > 0)
            if (!out.Put(stack[--sp]))
                return;
        // A full table takes no new entries; the stream goes on with 12-bit
        // codes until the encoder sends a clear code.
        if (next < 4096) {
            prefix[next] = static_cast<uint16_t>(prev);
            suffix[next] = first;
            if (++next == (1 << width) && width < 12)
                ++width;
        }
        prev = code;
    }
}

} // namespace

Image* DecodeGIF(Reader& in)
{
    uint8_t sig[6];
    if (!in.ReadFully(sig, 6) || sig[0] != 'G' || sig[1] != 'I' || sig[2] != 'F' || sig[3] != '8' ||
        (sig[4] != '7' && sig[4] != '9'))
        return nullptr;
    bool ok = true;
    ReadWord(in, ok); // screen width and height are not used
    ReadWord(in, ok);
    const uint8_t screenFlags = ReadByte(in, ok);
    ReadByte(in, ok); // background
    ReadByte(in, ok); // aspect
    // Indices beyond a short table read zero entries.
    uint32_t palette[256] = {};
    bool haveTable = false;
    if (!ok)
        return nullptr;
    if (screenFlags & 0x80) {
        if (!ReadColorTable(in, screenFlags, palette))
            return nullptr;
        haveTable = true;
    }

    int transparent = -1;
    for (;;) {
        const uint8_t b = ReadByte(in, ok);
        if (!ok || b == ';')
            return nullptr;
        if (b == ',')
            break;
        if (b != '!')
            continue;
        const uint8_t label = ReadByte(in, ok);
        if (!ok)
            return nullptr;
        if (label == 0xF9) {
            std::vector<uint8_t> gce;
            if (!ReadSubBlocks(in, &gce))
                return nullptr;
            if (gce.size() >= 4 && (gce[0] & 1))
                transparent = gce[3];
        } else if (!ReadSubBlocks(in, nullptr)) {
            return nullptr;
        }
    }

    ReadWord(in, ok); // left and top are not used
    ReadWord(in, ok);
    const int width = ReadWord(in, ok);
    const int height = ReadWord(in, ok);
    const uint8_t flags = ReadByte(in, ok);
    if (!ok || width == 0 || height == 0)
        return nullptr;
    if (flags & 0x80) {
        std::fill(palette, palette + 256, 0u);
        if (!ReadColorTable(in, flags, palette))
            return nullptr;
        haveTable = true;
    }
    const uint8_t minCodeSize = ReadByte(in, ok);
    if (!ok || !haveTable || minCodeSize < 1 || minCodeSize > 11)
        return nullptr;
    std::vector<uint8_t> data;
    ReadSubBlocks(in, &data); // a truncated stream decodes as far as it goes

    std::unique_ptr<Image> image(NewImage(width, height));
    if (!image)
        return nullptr;
    RowWriter writer(*image, palette, transparent, (flags & 0x40) != 0);
    DecodeLZW(data, minCodeSize, writer);
    return image.release();
}

} // namespace ImageLib
