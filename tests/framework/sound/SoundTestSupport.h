#pragma once
// Shared by the sound tests: the headless backend with every audio library
// registered, a sound host that records fatal errors, and file builders.
#include "framework/sound/SoundHost.h"
#include "platform/headless/HeadlessBackend.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace soundtest {

struct Fatal {
    std::string text, caption;
    unsigned type;
};

class RecordingHost final : public Kivo::SoundHost {
public:
    HMODULE GetDSoundModule() override;
    void FatalError(const std::string& text, const std::string& caption, UINT type) override;
    std::vector<Fatal> fatals;
};

class SoundTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    platform::HeadlessBackend& Backend() { return *platform::HeadlessBackend::Current(); }
    // Left and right samples of the next `frames` frames the device plays.
    std::vector<int16_t> Play(size_t frames, int channel);
    static double Rms(const std::vector<int16_t>& v);

    RecordingHost host;
    testsupport::TempDir dir;
};

std::string Le(uint32_t value, int bytes);
std::string Chunk(const std::string& id, const std::string& body);
// "RIFF" size "WAVE" and the chunks.
std::string Riff(const std::string& chunks);
std::string Fmt(int tag, int channels, uint32_t rate, int bits);
// 16-bit mono samples.
std::string Samples16(std::initializer_list<int16_t> samples);
// A 16-bit tone of `frames` frames, amplitude 16000.
std::string Tone16(uint32_t rate, int channels, double hz, uint32_t frames);
// Encodes an Ogg Vorbis tone (amplitude one half) to `path`.
void WriteOgg(const std::string& path, long rate, int channels, long frames, double hz);

} // namespace soundtest
