// Reads arbitrary bytes as streamed music: Ogg Vorbis decoded as it plays,
// through the mixer. The first eight bytes set how it plays (bit 0 of the
// first: looping; then the frequency, the loop and a start position); the
// rest is the stream (with its page CRCs made right, so that mutations reach
// the decoding), opened once over borrowed bytes and once over a copy.
#include "FuzzChecksums.h"
#include "platform/audio/Decoders.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

uint32_t Le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

void Play(const uint8_t* control, const std::shared_ptr<platform::audio::PcmData>& pcm)
{
    using namespace platform::audio;
    const size_t whole = size_t(pcm->Frames()) * pcm->format.BlockAlign();
    if (!pcm->stream || pcm->Frames() == 0)
        __builtin_trap();
    Mixer mixer;
    std::unique_ptr<Voice> voice = mixer.CreateVoice(pcm);
    voice->SetFrequency((control[1] + 1u) * 1000u);
    voice->SetLoop(Le16(control + 2) * 64u, Le16(control + 4) * 64u);
    voice->SetPosition(Le16(control + 6) * 16u * pcm->format.BlockAlign());
    voice->Play(control[0] & 1);
    std::vector<int32_t> mix(2 * 2048);
    for (int i = 0; i < 12 && voice->IsPlaying(); ++i) {
        mixer.MixInto(mix.data(), 2048);
        if (pcm->bytes.size() > whole)
            __builtin_trap();
    }
    voice.reset();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    const std::vector<uint8_t> stream = fuzz::WithOggCrcs(data + 8, size - 8);
    if (auto pcm = platform::audio::OpenStream(stream.data(), stream.size()); pcm && pcm->stream)
        Play(data, pcm);
    if (auto pcm = platform::audio::OpenStream(stream); pcm && pcm->stream)
        Play(data, pcm);
    return 0;
}
