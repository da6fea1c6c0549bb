// Reads arbitrary bytes as a tracker module handed to the music library's
// stand-in from memory, then plays a little of it (modules are rendered as
// they play), from the start and from its second order, and frees it.
#include "platform/Backend.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/music/Bass.h"

#include <cstddef>
#include <cstdint>
#include <vector>

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
        std::vector<int16_t> out(2 * 4096);
        BASS_ChannelPlay(music, TRUE);
        platform::HeadlessBackend::Current()->audio.Render(out.data(), 4096);
        BASS_ChannelGetLength(music, 0);
        BASS_ChannelSetPosition(music, 1, BASS_POS_MUSIC_ORDER);
        platform::HeadlessBackend::Current()->audio.Render(out.data(), 4096);
        BASS_MusicFree(music);
    }
    return 0;
}
