#include "SoundTestSupport.h"

#include "framework/sound/MusicLibraries.h"
#include "platform/dsound/DSound.h"
#include "platform/music/Bass.h"
#include "platform/music/Fmod.h"
#include "platform/win32/Modules.h"

#include <cmath>
#include <cstdlib>

namespace soundtest {

HMODULE RecordingHost::GetDSoundModule()
{
    return LoadLibraryA("dsound.dll");
}

void RecordingHost::FatalError(const std::string& text, const std::string& caption, UINT type)
{
    fatals.push_back({ text, caption, type });
}

void SoundTest::SetUp()
{
    ASSERT_TRUE(platform::UseBackend("headless"));
    platform::RegisterDirectSound();
    platform::RegisterBassLibrary();
    platform::RegisterFmodLibrary();
    Kivo::SetSoundHost(&host);
}

void SoundTest::TearDown()
{
    Kivo::SetSoundHost(nullptr);
}

std::vector<int16_t> SoundTest::Play(size_t frames, int channel)
{
    std::vector<int16_t> out(frames * 2), one;
    Backend().audio.Render(out.data(), frames);
    for (size_t i = 0; i < frames; ++i)
        one.push_back(out[2 * i + channel]);
    return one;
}

double SoundTest::Rms(const std::vector<int16_t>& v)
{
    double sum = 0;
    for (int16_t s : v)
        sum += double(s) * s;
    return v.empty() ? 0 : std::sqrt(sum / v.size());
}

std::string Le(uint32_t value, int bytes)
{
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += char(value >> (8 * i));
    return s;
}

std::string Chunk(const std::string& id, const std::string& body)
{
    return id + Le(uint32_t(body.size()), 4) + body;
}

std::string Riff(const std::string& chunks)
{
    return "RIFF" + Le(uint32_t(chunks.size() + 4), 4) + "WAVE" + chunks;
}

std::string Fmt(int tag, int channels, uint32_t rate, int bits)
{
    int align = channels * bits / 8;
    return Chunk("fmt ", Le(tag, 2) + Le(channels, 2) + Le(rate, 4) + Le(rate * align, 4) + Le(align, 2) + Le(bits, 2));
}

std::string Samples16(std::initializer_list<int16_t> samples)
{
    std::string s;
    for (int16_t v : samples)
        s += Le(uint16_t(v), 2);
    return s;
}

std::string Tone16(uint32_t rate, int channels, double hz, uint32_t frames)
{
    std::string s;
    for (uint32_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            s += Le(uint16_t(int16_t(16000 * std::sin(2 * M_PI * hz * i / rate))), 2);
    return s;
}

void WriteOgg(const std::string& path, long rate, int channels, long frames, double hz)
{
    std::string command = std::string(KIVO_OGG_FIXTURE_TOOL) + " '" + path + "' " + std::to_string(rate) + " "
        + std::to_string(channels) + " " + std::to_string(frames) + " " + std::to_string(hz);
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

} // namespace soundtest
