// Reads arbitrary bytes as a sound file: the first byte chooses the WAV
// reader (even) or the Sun audio reader (odd), the rest is the file.
#include "framework/sound/SoundDecoders.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    Kivo::DecodedSound sound;
    bool ok = data[0] % 2 == 0 ? Kivo::DecodeWavSound(data + 1, size - 1, sound)
                               : Kivo::DecodeAuSound(data + 1, size - 1, sound);
    if (ok && (!sound.format.Valid() || sound.data.size() > 2 * (size - 1)))
        __builtin_trap();
    return 0;
}
