// Reads arbitrary bytes as a tracker module handed to the music library's
// stand-in from memory, then plays and frees it.
#include "platform/Backend.h"
#include "platform/music/Bass.h"

#include <cstddef>
#include <cstdint>

namespace {

const bool kReady = [] {
    platform::UseBackend("headless");
    return BASS_Init(-1, 44100, 0, nullptr, nullptr) != 0;
}();

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!kReady)
        return 0;
    const HMUSIC music = BASS_MusicLoad(TRUE, data, 0, DWORD(size), 0, 0);
    if (music) {
        BASS_ChannelPlay(music, TRUE);
        BASS_ChannelGetLength(music, 0);
        BASS_ChannelSetPosition(music, 1, 0);
        BASS_MusicFree(music);
    }
    return 0;
}
