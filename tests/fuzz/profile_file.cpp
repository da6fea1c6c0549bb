// Reads arbitrary bytes as a profile slot file, twice: as they stand, and as
// a plain payload framed with the magic and a correct checksum, so that the
// fuzzer reaches the entries behind the checksum. A file that loads must
// write back into one that loads to the same values.
#include "game/profiles/Profile.h"
#include "game/profiles/ProfileFile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

bool Same(const Profile& a, const Profile& b)
{
    if (a.strings != b.strings || a.ints != b.ints || a.blobs.size() != b.blobs.size())
        return false;
    for (auto i = a.blobs.begin(), j = b.blobs.begin(); i != a.blobs.end(); ++i, ++j)
        if (i->first != j->first || i->second->data != j->second->data)
            return false;
    return true;
}

void Check(const uint8_t* data, size_t size)
{
    Profile profile;
    if (!DecodeProfileFile(data, size, profile))
        return;
    std::vector<uint8_t> written = EncodeProfileFile(profile);
    Profile again;
    if (!DecodeProfileFile(written.data(), written.size(), again) || !Same(profile, again))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kMaxProfileFileSize - 8)
        return 0;
    Check(data, size);

    Kivo::Buffer payload;
    payload.SetData(data, static_cast<int>(size));
    for (size_t i = 0; i < size; ++i)
        payload.data[i] ^= static_cast<uint8_t>(i + 0x71);
    uint32_t crc = payload.GetCheckSum(0);
    std::vector<uint8_t> file = { 0xAA, 0xFF, 0xAA, 0xFF };
    file.insert(file.end(), payload.data.begin(), payload.data.end());
    for (int i = 0; i < 4; ++i)
        file.push_back(static_cast<uint8_t>(crc >> (8 * i)));
    Check(file.data(), file.size());
    return 0;
}
