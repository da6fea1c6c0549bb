// Reads every encoding of the byte buffer from arbitrary bytes: the first
// byte chooses the order of reads, the rest is the data.
#include "framework/core/Buffer.h"

#include <cstdint>
#include <cstddef>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    Kivo::Buffer b;
    b.SetData(data + 1, static_cast<int>(size - 1));
    b.readPos = data[0] & 7;
    std::vector<uint8_t> v;
    for (int step = 0; !b.AtEnd() && step < 4096; ++step) {
        switch (((data[0] >> 3) + step) & 7) {
        case 0: b.ReadByte(); break;
        case 1: b.ReadNumBits(data[step % size] % 40, true); break;
        case 2: b.ReadBoolean(); break;
        case 3: b.ReadLong(); break;
        case 4: b.ReadString(); break;
        case 5: b.ReadByteVector(v); break;
        case 6: b.ReadNumBits(1, false); break;
        default: {
            uint8_t out[3];
            b.ReadBytes(out, 3);
        }
        }
        if (b.readPos > b.bitSize)
            __builtin_trap();
    }
    b.GetCheckSum(0xFFFFFFFF);
    return 0;
}
