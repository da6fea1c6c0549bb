// Reads arbitrary bytes as a music file of the music libraries' stand-ins:
// a WAV, Ogg Vorbis or MP3 stream by its signature.
#include "platform/audio/Decoders.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto pcm = platform::audio::DecodeStream(data, size);
    if (pcm && (!pcm->format.Valid() || pcm->bytes.size() % pcm->format.BlockAlign() != 0))
        __builtin_trap();
    return 0;
}
