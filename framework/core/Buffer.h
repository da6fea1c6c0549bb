#pragma once
// A growable byte buffer read and written bit by bit. Bit p of the stream is
// bit (p mod 8), counted from the least significant, of byte p / 8, so bytes
// may start at any bit. Multi-byte numbers are little-endian. Demo files,
// profile files and stored games are serialised through it.
#include <cstdint>
#include <string>
#include <vector>

namespace Kivo {

class Buffer {
public:
    Buffer() = default;
    Buffer(const Buffer&) = default;
    Buffer& operator=(const Buffer&) = default;
    virtual ~Buffer() = default;

    // Replaces the contents; the read and write positions stay where they were.
    Buffer& operator=(const std::vector<uint8_t>& bytes);
    void SetData(const void* p, int n);

    void WriteByte(uint8_t b);
    void WriteNumBits(uint32_t value, int n);
    void WriteBoolean(bool b);
    void WriteLong(int32_t v);
    // A string longer than 32767 bytes is cut to 32767: the reader takes the
    // 16-bit length as signed.
    void WriteString(const std::string& s);
    void WriteByteVector(const std::vector<uint8_t>& v);
    void WriteBytes(const void* p, int n);

    // 0, without moving, when the 8 bits are not all there.
    uint8_t ReadByte();
    // Up to n (at most 32) bits, lowest first; stops early at the end of the data.
    uint32_t ReadNumBits(int n, bool signExtend);
    bool ReadBoolean();
    int32_t ReadLong();
    std::string ReadString();
    // A length larger than the bytes that remain gives an empty vector: a
    // corrupt file must not make us allocate gigabytes.
    void ReadByteVector(std::vector<uint8_t>& v);
    void ReadBytes(void* p, int n);

    void SeekFront() { readPos = 0; }
    void Clear();
    bool AtEnd() const { return readPos >= bitSize; }
    int GetDataLen() const { return (bitSize + 7) / 8; }
    const uint8_t* GetDataPtr() const { return data.empty() ? nullptr : data.data(); }
    // CRC-32 (polynomial 0x04C11DB7, most significant bit first, no
    // reflection, no final XOR) of all data bytes from the given start value.
    uint32_t GetCheckSum(uint32_t start) const;

    std::vector<uint8_t> data;
    int32_t bitSize = 0;
    int32_t readPos = 0;
    int32_t writePos = 0;

private:
    void WriteBit(bool bit);
};

} // namespace Kivo
