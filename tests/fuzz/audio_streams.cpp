// Reads arbitrary bytes as a music file of the music libraries' stand-ins:
// a WAV, Ogg Vorbis or MP3 stream by its signature. Ogg page CRCs are made
// right, so that mutations reach the decoding.
#include "FuzzChecksums.h"
#include "platform/audio/Decoders.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> file = fuzz::WithOggCrcs(data, size);
    auto pcm = platform::audio::DecodeStream(file.data(), file.size());
    if (pcm && (!pcm->format.Valid() || pcm->bytes.size() % pcm->format.BlockAlign() != 0))
        __builtin_trap();
    return 0;
}
