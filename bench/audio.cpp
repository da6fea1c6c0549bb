// The mixer's output of 32 resampled voices, beside a plain sum of 32
// already-resampled streams into the same accumulator; and opening the data
// set's menu song as a stream, beside decoding it whole.
#include "platform/audio/Decoders.h"
#include "platform/audio/Mixer.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr size_t kFrames = 1024;
constexpr int kVoices = 32;

void BM_MixerMix32Voices(benchmark::State& state)
{
    platform::audio::Mixer mixer;
    auto pcm = std::make_shared<platform::audio::PcmData>();
    pcm->format = { 1, 16, 22050 };
    for (int i = 0; i < 22050; ++i) {
        int16_t s = int16_t(8000 * std::sin(i * 0.1));
        pcm->bytes.push_back(uint8_t(s));
        pcm->bytes.push_back(uint8_t(uint16_t(s) >> 8));
    }
    std::vector<std::unique_ptr<platform::audio::Voice>> voices;
    for (int v = 0; v < kVoices; ++v) {
        voices.push_back(mixer.CreateVoice(pcm));
        voices.back()->SetFrequency(20000 + 300 * v);
        voices.back()->SetPan(-5000 + 300 * v);
        voices.back()->Play(true);
    }
    std::vector<int32_t> mix(kFrames * 2);
    for (auto _ : state) {
        mixer.MixInto(mix.data(), kFrames);
        benchmark::DoNotOptimize(mix.data());
    }
    state.SetItemsProcessed(state.iterations() * kFrames * kVoices);
}

void BM_PlainSumReference(benchmark::State& state)
{
    std::vector<std::vector<int16_t>> streams(kVoices, std::vector<int16_t>(kFrames * 2, 1234));
    std::vector<int32_t> mix(kFrames * 2);
    for (auto _ : state) {
        for (const auto& s : streams)
            for (size_t i = 0; i < s.size(); ++i)
                mix[i] += s[i];
        benchmark::DoNotOptimize(mix.data());
    }
    state.SetItemsProcessed(state.iterations() * kFrames * kVoices);
}

BENCHMARK(BM_MixerMix32Voices);
BENCHMARK(BM_PlainSumReference);

std::vector<uint8_t> MenuSong()
{
    const char* dir = std::getenv("KIVO_DATA_DIR");
    std::ifstream in(std::string(dir && *dir ? dir : KIVO_DATA_DIR) + "/tree/music/menu.ogg", std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

// Opening the song and playing its first second (what start-up waits for).
void BM_OpenSongAsStream(benchmark::State& state)
{
    const std::vector<uint8_t> song = MenuSong();
    std::vector<int32_t> mix(2 * kFrames);
    for (auto _ : state) {
        platform::audio::Mixer mixer;
        auto voice = mixer.CreateVoice(platform::audio::OpenStream(song));
        if (!voice) {
            state.SkipWithError("no song");
            break;
        }
        voice->Play(false);
        for (int i = 0; i < 44; ++i)
            mixer.MixInto(mix.data(), kFrames);
        benchmark::DoNotOptimize(mix.data());
    }
}
BENCHMARK(BM_OpenSongAsStream)->Unit(benchmark::kMillisecond);

void BM_DecodeSongWholeReference(benchmark::State& state)
{
    const std::vector<uint8_t> song = MenuSong();
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::audio::DecodeStream(song.data(), song.size()));
}
BENCHMARK(BM_DecodeSongWholeReference)->Unit(benchmark::kMillisecond);

} // namespace
