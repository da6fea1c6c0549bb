#include "framework/core/Buffer.h"

#include <gtest/gtest.h>

using Kivo::Buffer;

namespace {

std::vector<uint8_t> Bytes(const Buffer& b)
{
    return b.data;
}

TEST(Buffer, BitsThenByteSpreadOverTwoBytes)
{
    Buffer b;
    b.WriteNumBits(1, 1);
    b.WriteNumBits(0, 1);
    b.WriteNumBits(1, 1);
    b.WriteByte(0xFF);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t> { 0xFD, 0x07 }));
    EXPECT_EQ(b.bitSize, 11);
    EXPECT_EQ(b.GetDataLen(), 2);

    EXPECT_EQ(b.ReadNumBits(3, false), 5u);
    EXPECT_EQ(b.ReadByte(), 0xFF);
    EXPECT_TRUE(b.AtEnd());
}

TEST(Buffer, ReadByteAtUnalignedPositionsAndPastTheEnd)
{
    Buffer b;
    b.SetData("\xAB\xCD", 2);
    b.readPos = 4;
    EXPECT_EQ(b.ReadByte(), 0xDA); // high nibble of 0xAB, low nibble of 0xCD
    EXPECT_EQ(b.readPos, 12);
    EXPECT_EQ(b.ReadByte(), 0); // only 4 bits remain: nothing moves
    EXPECT_EQ(b.readPos, 12);
    EXPECT_EQ(b.ReadNumBits(8, false), 0xCu); // bits stop at the end instead
    EXPECT_EQ(b.readPos, 16);
}

TEST(Buffer, NumBitsSignExtension)
{
    struct Row {
        std::vector<int> bits;
        int n;
        bool signExtend;
        uint32_t expected;
    } rows[] = {
        { { 1, 0, 0, 0, 1 }, 5, true, 0xFFFFFFF1u },
        { { 1, 0, 0, 0, 1 }, 5, false, 17u },
        { { 1, 0, 0, 0, 0 }, 5, true, 1u },
    };
    for (const Row& row : rows) {
        Buffer b;
        for (int bit : row.bits)
            b.WriteNumBits(static_cast<uint32_t>(bit), 1);
        EXPECT_EQ(b.ReadNumBits(row.n, row.signExtend), row.expected);
    }
}

TEST(Buffer, CompositeEncodingsRoundTripAtAnyBitPosition)
{
    for (int offset : { 0, 3 }) {
        Buffer b;
        b.WriteNumBits(0x5, offset);
        b.WriteBoolean(true);
        b.WriteLong(-123456789);
        b.WriteString("Marrowfen");
        b.WriteString("");
        b.WriteByteVector({ 1, 2, 3 });

        b.ReadNumBits(offset, false);
        EXPECT_TRUE(b.ReadBoolean());
        EXPECT_EQ(b.ReadLong(), -123456789);
        EXPECT_EQ(b.ReadString(), "Marrowfen");
        EXPECT_EQ(b.ReadString(), "");
        std::vector<uint8_t> v { 9 };
        b.ReadByteVector(v);
        EXPECT_EQ(v, (std::vector<uint8_t> { 1, 2, 3 }));
        EXPECT_TRUE(b.AtEnd()) << offset;
    }
}

TEST(Buffer, EncodingBytes)
{
    Buffer empty;
    empty.WriteString("");
    EXPECT_EQ(Bytes(empty), (std::vector<uint8_t> { 0, 0 }));

    Buffer longs;
    longs.WriteLong(0x01020304);
    EXPECT_EQ(Bytes(longs), (std::vector<uint8_t> { 4, 3, 2, 1 }));

    Buffer big;
    std::vector<uint8_t> v(40000);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<uint8_t>(i * 7);
    big.WriteByteVector(v);
    EXPECT_EQ(std::vector<uint8_t>(big.data.begin(), big.data.begin() + 4), (std::vector<uint8_t> { 0x40, 0x9C, 0, 0 }));
    std::vector<uint8_t> back;
    big.ReadByteVector(back);
    EXPECT_EQ(back, v);
}

TEST(Buffer, OverlongStringIsCutToWhatTheReaderAccepts)
{
    Buffer b;
    b.WriteString(std::string(40000, 'x'));
    EXPECT_EQ(b.ReadString(), std::string(32767, 'x'));
    EXPECT_TRUE(b.AtEnd());
}

TEST(Buffer, HostileLengthsReadNothingBig)
{
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
    } rows[] = {
        { "2 GiB", { 0xFF, 0xFF, 0xFF, 0x7F, 1, 2 } },
        { "4 GiB", { 0xFF, 0xFF, 0xFF, 0xFF } },
        { "one past the data", { 3, 0, 0, 0, 1, 2 } },
    };
    for (const Row& row : rows) {
        Buffer b;
        b = row.bytes;
        std::vector<uint8_t> v { 1 };
        b.ReadByteVector(v);
        EXPECT_TRUE(v.empty()) << row.name;
        EXPECT_LT(v.capacity(), 16u) << row.name;
    }

    Buffer negative;
    negative = std::vector<uint8_t> { 0xFF, 0xFF, 'a' }; // length -1
    EXPECT_EQ(negative.ReadString(), "");
}

TEST(Buffer, WritesLandAtWritePosAfterReplacingTheData)
{
    Buffer b;
    b.WriteByte(0x11);
    b.SetData("\xAA\xBB\xCC", 3); // writePos stays at 8
    b.WriteByte(0x22);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t> { 0xAA, 0x22, 0xCC }));
    EXPECT_EQ(b.bitSize, 24);
    b.WriteNumBits(0xF, 4);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t> { 0xAA, 0x22, 0xCF }));

    b.writePos = 40; // past the end: the gap fills with zeros
    b.WriteByte(0x33);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t> { 0xAA, 0x22, 0xCF, 0, 0, 0x33 }));
    EXPECT_EQ(b.bitSize, 48);
}

TEST(Buffer, BitCountsAboveThirtyTwoAreClamped)
{
    Buffer b;
    b.WriteNumBits(0xFFFFFFFFu, 40);
    EXPECT_EQ(b.bitSize, 32);
    b.WriteNumBits(7, 0);
    b.WriteNumBits(7, -3);
    EXPECT_EQ(b.bitSize, 32);
    EXPECT_EQ(b.ReadNumBits(40, true), 0xFFFFFFFFu);
}

TEST(Buffer, ClearAndDataPointer)
{
    Buffer b;
    EXPECT_EQ(b.GetDataPtr(), nullptr);
    b.WriteByte(1);
    ASSERT_NE(b.GetDataPtr(), nullptr);
    b.ReadByte();
    b.SeekFront();
    EXPECT_EQ(b.readPos, 0);
    b.Clear();
    EXPECT_EQ(b.GetDataPtr(), nullptr);
    EXPECT_EQ(b.bitSize + b.readPos + b.writePos, 0);
}

TEST(Buffer, CheckSumIsMsbFirstCrc32WithoutFinalXor)
{
    Buffer b;
    EXPECT_EQ(b.GetCheckSum(0x12345678), 0x12345678u);
    b.WriteBytes("123456789", 9);
    EXPECT_EQ(b.GetCheckSum(0xFFFFFFFF), 0x0376E6E7u);
    EXPECT_EQ(b.GetCheckSum(0), 0x89A1897Fu);
}

} // namespace
