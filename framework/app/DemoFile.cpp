#include "framework/app/DemoFile.h"

#include <algorithm>

namespace Kivo {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutString(std::vector<uint8_t>& out, const std::string& s)
{
    const size_t n = std::min<size_t>(s.size(), 0xFFFF);
    Put16(out, uint32_t(n));
    out.insert(out.end(), s.begin(), s.begin() + ptrdiff_t(n));
}

// Reads from a range; every read fails, without moving, when the bytes are
// not all there.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
    size_t Remaining() const { return mSize - mPos; }
    size_t Position() const { return mPos; }
    bool U16(uint32_t& v)
    {
        if (Remaining() < 2)
            return false;
        v = uint32_t(mData[mPos]) | uint32_t(mData[mPos + 1]) << 8;
        mPos += 2;
        return true;
    }
    bool U32(uint32_t& v)
    {
        uint32_t low = 0, high = 0;
        if (Remaining() < 4 || !U16(low) || !U16(high))
            return false;
        v = low | high << 16;
        return true;
    }
    bool Bytes(size_t n, std::string& s)
    {
        if (Remaining() < n)
            return false;
        s.assign(reinterpret_cast<const char*>(mData + mPos), n);
        mPos += n;
        return true;
    }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPos = 0;
};

bool Invalid(std::string& error)
{
    error = "Invalid demo file.";
    return false;
}

} // namespace

std::vector<uint8_t> EncodeDemoFile(const DemoFile& demo)
{
    std::vector<uint8_t> out;
    Put32(out, kDemoMagic);
    Put32(out, demo.version);
    Put32(out, demo.seed);
    PutString(out, demo.productVersion);
    if (demo.version >= 2) {
        std::vector<uint8_t> block;
        Put32(block, uint32_t(demo.markers.size()));
        for (const DemoMarker& m : demo.markers) {
            PutString(block, m.name);
            Put32(block, uint32_t(m.update));
        }
        Put32(out, uint32_t(block.size()));
        out.insert(out.end(), block.begin(), block.end());
    }
    Put32(out, uint32_t(demo.endUpdate));
    out.insert(out.end(), demo.events.begin(), demo.events.end());
    return out;
}

bool DecodeDemoFile(const uint8_t* data, size_t size, const std::string& productVersion, DemoFile& out,
                    std::string& error)
{
    if (size > kMaxDemoFileSize)
        return Invalid(error);
    Reader in(data, size);
    uint32_t magic = 0;
    if (!in.U32(magic) || magic != kDemoMagic)
        return Invalid(error);
    DemoFile demo;
    uint32_t length = 0;
    if (!in.U32(demo.version) || !in.U32(demo.seed) || !in.U16(length))
        return Invalid(error);
    // Longer version strings are read as their first 255 bytes, the rest
    // stays in the stream (and then fails the comparison).
    if (!in.Bytes(std::min<uint32_t>(length, 255), demo.productVersion))
        return Invalid(error);
    if (demo.productVersion != productVersion) {
        error = "This demo file appears to be for '" + demo.productVersion + "'";
        return false;
    }
    if (demo.version >= 2) {
        uint32_t blockSize = 0;
        // The block leaves at least one byte behind it.
        if (!in.U32(blockSize) || blockSize >= in.Remaining())
            return Invalid(error);
        std::string blockBytes;
        in.Bytes(blockSize, blockBytes);
        Reader block(reinterpret_cast<const uint8_t*>(blockBytes.data()), blockBytes.size());
        uint32_t count = 0;
        if (!block.U32(count) || int32_t(count) < 0)
            return Invalid(error);
        for (uint32_t i = 0; i < count; ++i) {
            DemoMarker m;
            uint32_t nameLength = 0, update = 0;
            if (!block.U16(nameLength) || !block.Bytes(nameLength, m.name) || !block.U32(update))
                return Invalid(error);
            m.update = int32_t(update);
            demo.markers.push_back(std::move(m));
        }
    }
    uint32_t endUpdate = 0;
    if (!in.U32(endUpdate) || in.Remaining() == 0)
        return Invalid(error);
    demo.endUpdate = int32_t(endUpdate);
    demo.events.assign(data + in.Position(), data + size);
    out = std::move(demo);
    return true;
}

} // namespace Kivo
