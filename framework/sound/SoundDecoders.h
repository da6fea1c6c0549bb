#pragma once
// The sound file formats read from bytes in memory. Any bytes are safe:
// anything that is not a well-formed file fails.
#include "platform/audio/Mixer.h"

#include <cstdint>
#include <vector>

namespace Kivo {

// Decoded PCM, 8-bit unsigned or 16-bit signed little-endian.
struct DecodedSound {
    platform::audio::PcmFormat format;
    std::vector<uint8_t> data;
};

// A WAV file with this program's own chunks: "dep " (the named file must
// still have the recorded last-write time) and "xor " (a key every data byte
// is XOR-ed with). The data is cut to what the file holds.
bool DecodeWavSound(const uint8_t* bytes, size_t size, DecodedSound& out);
// A Sun audio file: 8-bit mu-law becomes 16-bit linear, 8-bit linear
// becomes unsigned 8-bit. An unknown or oversized data size means the rest
// of the file.
bool DecodeAuSound(const uint8_t* bytes, size_t size, DecodedSound& out);
int16_t MuLawToLinear(uint8_t code);

} // namespace Kivo
