// The mixer's output of 32 resampled voices, beside a plain sum of 32
// already-resampled streams into the same accumulator.
#include "platform/audio/Mixer.h"

#include <benchmark/benchmark.h>
#include <cmath>
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

} // namespace
