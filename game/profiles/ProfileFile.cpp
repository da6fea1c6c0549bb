#include "game/profiles/ProfileFile.h"

#include "framework/core/Buffer.h"
#include "game/profiles/Profile.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr uint8_t kVersion = 1;
// Payload byte i is stored XORed with (i + kScrambleBase) mod 256.
constexpr uint8_t kScrambleBase = 0x71;
// Magic and checksum.
constexpr size_t kFrameSize = 8;

void Scramble(uint8_t* bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        bytes[i] ^= static_cast<uint8_t>(i + kScrambleBase);
}

uint32_t LoadLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Reads the unscrambled payload. The counts and the fixed fields around them
// read as zero past the end, so that a payload cut after a whole map still
// loads; inside an entry every field must be there in full.
class PayloadReader {
public:
    PayloadReader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}

    size_t Remaining() const { return mSize - mPos; }

    void Skip(size_t n) { mPos += std::min(n, Remaining()); }

    uint32_t CountOrZero()
    {
        uint8_t bytes[4] = {};
        size_t n = std::min<size_t>(4, Remaining());
        if (n)
            std::memcpy(bytes, mData + mPos, n);
        mPos += n;
        return LoadLE32(bytes);
    }

    // A count of entries of at least `minEntrySize` bytes each; false when
    // they cannot all fit in what remains. Counts below 1 read no entries.
    bool Count(size_t minEntrySize, int32_t& count)
    {
        count = static_cast<int32_t>(CountOrZero());
        return count <= 0 || static_cast<size_t>(count) <= Remaining() / minEntrySize;
    }

    bool U32(uint32_t& value)
    {
        if (Remaining() < 4)
            return false;
        value = LoadLE32(mData + mPos);
        mPos += 4;
        return true;
    }

    bool Bytes(size_t n, const uint8_t*& p)
    {
        if (n > Remaining())
            return false;
        p = mData + mPos;
        mPos += n;
        return true;
    }

    // The length is signed 16-bit; below 1 it is an empty text.
    bool Text(std::string& text)
    {
        const uint8_t* p = nullptr;
        if (!Bytes(2, p))
            return false;
        int16_t length = static_cast<int16_t>(p[0] | p[1] << 8);
        text.clear();
        if (length < 1)
            return true;
        if (!Bytes(static_cast<size_t>(length), p))
            return false;
        text.assign(reinterpret_cast<const char*>(p), static_cast<size_t>(length));
        return true;
    }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPos = 0;
};

// Smallest entries: two empty texts; an empty key and a 32-bit value.
constexpr size_t kMinStringEntry = 4;
constexpr size_t kMinNumberEntry = 6;

// Bytes of a text as the buffer writes it: cut to 32767 bytes.
size_t TextSize(const std::string& s)
{
    return 2 + std::min<size_t>(s.size(), 32767);
}

size_t PayloadSize(const Profile& profile)
{
    size_t size = 1 + 4 + 3 * 4 + 4;
    for (const auto& [key, value] : profile.strings)
        size += TextSize(key) + TextSize(value);
    for (const auto& entry : profile.ints)
        size += TextSize(entry.first) + 4;
    for (const auto& [key, blob] : profile.blobs)
        size += TextSize(key) + 4 + static_cast<size_t>(blob->GetDataLen());
    return size;
}

} // namespace

std::vector<uint8_t> EncodeProfileFile(const Profile& profile)
{
    if (PayloadSize(profile) > kMaxProfileFileSize - kFrameSize)
        return {};
    Kivo::Buffer payload;
    payload.WriteByte(kVersion);
    payload.WriteLong(0);
    payload.WriteLong(static_cast<int32_t>(profile.strings.size()));
    for (const auto& [key, value] : profile.strings) {
        payload.WriteString(key);
        payload.WriteString(value);
    }
    payload.WriteLong(static_cast<int32_t>(profile.ints.size()));
    for (const auto& [key, value] : profile.ints) {
        payload.WriteString(key);
        payload.WriteLong(value);
    }
    payload.WriteLong(static_cast<int32_t>(profile.blobs.size()));
    for (const auto& [key, blob] : profile.blobs) {
        payload.WriteString(key);
        payload.WriteLong(blob->GetDataLen());
        payload.WriteBytes(blob->GetDataPtr(), blob->GetDataLen());
    }
    payload.WriteLong(0);

    Scramble(payload.data.data(), payload.data.size());
    payload.WriteLong(static_cast<int32_t>(payload.GetCheckSum(0)));

    std::vector<uint8_t> file = { uint8_t(kProfileMagic), uint8_t(kProfileMagic >> 8), uint8_t(kProfileMagic >> 16),
                                  uint8_t(kProfileMagic >> 24) };
    file.insert(file.end(), payload.data.begin(), payload.data.end());
    return file;
}

bool DecodeProfileFile(const uint8_t* data, size_t size, Profile& profile)
{
    if (size < kFrameSize || size > kMaxProfileFileSize || LoadLE32(data) != kProfileMagic)
        return false;
    const size_t n = size - kFrameSize;
    Kivo::Buffer payload;
    payload.SetData(data + 4, static_cast<int>(n));
    if (payload.GetCheckSum(0) != LoadLE32(data + 4 + n))
        return false;
    Scramble(payload.data.data(), n);

    // Everything is read into copies first, so that a damaged entry leaves
    // the profile as it was.
    std::map<std::string, std::string> strings = profile.strings;
    std::map<std::string, int32_t> ints = profile.ints;
    std::map<std::string, std::unique_ptr<Kivo::Buffer>> blobs;

    PayloadReader in(payload.data.data(), n);
    in.Skip(1 + 4); // version and reserved word carry no meaning
    int32_t count = 0;
    std::string key;
    if (!in.Count(kMinStringEntry, count))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        std::string value;
        if (!in.Text(key) || !in.Text(value))
            return false;
        strings[key] = std::move(value);
    }
    if (!in.Count(kMinNumberEntry, count))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t value = 0;
        if (!in.Text(key) || !in.U32(value))
            return false;
        ints[key] = static_cast<int32_t>(value);
    }
    if (!in.Count(kMinNumberEntry, count))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t length = 0;
        const uint8_t* bytes = nullptr;
        if (!in.Text(key) || !in.U32(length) || !in.Bytes(length, bytes))
            return false;
        auto blob = std::make_unique<Kivo::Buffer>();
        blob->SetData(bytes, static_cast<int>(length));
        blobs[key] = std::move(blob);
    }
    // The trailer is not checked.

    profile.strings = std::move(strings);
    profile.ints = std::move(ints);
    profile.blobs = std::move(blobs);
    return true;
}
