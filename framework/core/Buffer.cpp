#include "framework/core/Buffer.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace Kivo {
namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable()
{
    std::array<uint32_t, 256> table {};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i << 24;
        for (int k = 0; k < 8; ++k)
            c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

} // namespace

Buffer& Buffer::operator=(const std::vector<uint8_t>& bytes)
{
    data = bytes;
    bitSize = static_cast<int32_t>(data.size() * 8);
    return *this;
}

void Buffer::SetData(const void* p, int n)
{
    const auto* bytes = static_cast<const uint8_t*>(p);
    data.assign(bytes, bytes + std::max(n, 0));
    bitSize = static_cast<int32_t>(data.size() * 8);
}

void Buffer::Clear()
{
    data.clear();
    bitSize = readPos = writePos = 0;
}

// Writes always land at byte writePos / 8, whatever the vector's length, so
// that a write after SetData or assignment goes where writePos says.
void Buffer::WriteByte(uint8_t b)
{
    size_t index = static_cast<size_t>(writePos) / 8;
    int k = writePos % 8;
    if (data.size() < index + (k ? 2 : 1))
        data.resize(index + (k ? 2 : 1), 0);
    if (k == 0) {
        data[index] = b;
    } else {
        uint8_t low = static_cast<uint8_t>((1u << k) - 1);
        data[index] = static_cast<uint8_t>((data[index] & low) | (b << k));
        data[index + 1] = static_cast<uint8_t>((data[index + 1] & ~low) | (b >> (8 - k)));
    }
    writePos += 8;
    bitSize = std::max(bitSize, writePos);
}

void Buffer::WriteBit(bool bit)
{
    size_t index = static_cast<size_t>(writePos) / 8;
    if (data.size() <= index)
        data.resize(index + 1, 0);
    uint8_t mask = static_cast<uint8_t>(1u << (writePos % 8));
    data[index] = static_cast<uint8_t>(bit ? data[index] | mask : data[index] & ~mask);
    ++writePos;
}

void Buffer::WriteNumBits(uint32_t value, int n)
{
    n = std::min(n, 32);
    for (int i = 0; i < n; ++i)
        WriteBit((value >> i) & 1u);
    bitSize = std::max(bitSize, writePos);
}

void Buffer::WriteBoolean(bool b)
{
    WriteByte(b ? 1 : 0);
}

void Buffer::WriteLong(int32_t v)
{
    auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        WriteByte(static_cast<uint8_t>(u >> (8 * i)));
}

void Buffer::WriteString(const std::string& s)
{
    size_t n = std::min<size_t>(s.size(), 32767);
    WriteByte(static_cast<uint8_t>(n));
    WriteByte(static_cast<uint8_t>(n >> 8));
    WriteBytes(s.data(), static_cast<int>(n));
}

void Buffer::WriteByteVector(const std::vector<uint8_t>& v)
{
    WriteLong(static_cast<int32_t>(v.size()));
    WriteBytes(v.data(), static_cast<int>(v.size()));
}

void Buffer::WriteBytes(const void* p, int n)
{
    const auto* bytes = static_cast<const uint8_t*>(p);
    for (int i = 0; i < n; ++i)
        WriteByte(bytes[i]);
}

uint8_t Buffer::ReadByte()
{
    size_t index = static_cast<size_t>(readPos) / 8;
    if ((static_cast<size_t>(readPos) + 7) / 8 >= data.size())
        return 0;
    int k = readPos % 8;
    uint8_t b = k == 0 ? data[index] : static_cast<uint8_t>((data[index] >> k) | (data[index + 1] << (8 - k)));
    readPos += 8;
    return b;
}

uint32_t Buffer::ReadNumBits(int n, bool signExtend)
{
    n = std::min(n, 32);
    uint32_t value = 0;
    bool lastBit = false;
    for (int i = 0; i < n && static_cast<size_t>(readPos) / 8 < data.size(); ++i) {
        lastBit = (data[static_cast<size_t>(readPos) / 8] >> (readPos % 8)) & 1u;
        if (lastBit)
            value |= 1u << i;
        ++readPos;
    }
    if (signExtend && lastBit && n < 32)
        value |= ~0u << n;
    return value;
}

bool Buffer::ReadBoolean()
{
    return ReadByte() != 0;
}

int32_t Buffer::ReadLong()
{
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= uint32_t(ReadByte()) << (8 * i);
    return static_cast<int32_t>(u);
}

std::string Buffer::ReadString()
{
    uint16_t raw = ReadByte();
    raw = static_cast<uint16_t>(raw | (ReadByte() << 8));
    int length = static_cast<int16_t>(raw);
    std::string s;
    if (length < 1)
        return s;
    s.resize(static_cast<size_t>(length));
    ReadBytes(s.data(), length);
    return s;
}

void Buffer::ReadByteVector(std::vector<uint8_t>& v)
{
    v.clear();
    auto length = static_cast<uint32_t>(ReadLong());
    uint32_t remaining = readPos < bitSize ? static_cast<uint32_t>(bitSize - readPos) / 8 : 0;
    if (length == 0 || length > remaining)
        return;
    v.resize(length);
    ReadBytes(v.data(), static_cast<int>(length));
}

void Buffer::ReadBytes(void* p, int n)
{
    auto* bytes = static_cast<uint8_t*>(p);
    for (int i = 0; i < n; ++i)
        bytes[i] = ReadByte();
}

uint32_t Buffer::GetCheckSum(uint32_t start) const
{
    uint32_t crc = start;
    for (uint8_t b : data)
        crc = (crc << 8) ^ kCrcTable[(crc >> 24) ^ b];
    return crc;
}

} // namespace Kivo
