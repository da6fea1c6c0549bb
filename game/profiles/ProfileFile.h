#pragma once
// The slot file of a profile: the magic 0xFFAAFFAA, a payload scrambled with
// a position-dependent XOR, and a CRC-32 of the scrambled payload, all
// little-endian. The payload holds a version byte (1), a reserved word (0),
// the string, integer and blob maps (each a count, then its entries in key
// order) and a zero trailer. Texts are a 16-bit length and their bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

class Profile;

constexpr uint32_t kProfileMagic = 0xFFAAFFAA;
// No real profile comes near this; a larger file is refused before it is
// read, and a profile that would exceed it is not written.
constexpr size_t kMaxProfileFileSize = 4u << 20;

// The whole file; empty when the profile is too large to be read back.
std::vector<uint8_t> EncodeProfileFile(const Profile& profile);
// Reads a whole file into the profile. Strings and integers absent from the
// file keep their values; the blobs are replaced. On any damage (short
// file, wrong magic, checksum mismatch, a count or length larger than what
// remains) it returns false and leaves the profile as it was.
bool DecodeProfileFile(const uint8_t* data, size_t size, Profile& profile);
