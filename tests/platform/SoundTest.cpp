#include "platform/Backend.h"
#include "platform/audio/Decoders.h"
#include "platform/audio/Mixer.h"
#include "platform/dsound/DSound.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/music/Bass.h"
#include "platform/music/Fmod.h"
#include "platform/win32/AudioMixer.h"
#include "platform/win32/Modules.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace platform::audio;

constexpr size_t kFrames = 44100 / 4; // a quarter second of output

std::shared_ptr<PcmData> Sine(uint32_t rate, uint16_t channels, uint16_t bits, double hz, double amplitude, uint32_t frames)
{
    auto pcm = std::make_shared<PcmData>();
    pcm->format = { channels, bits, rate };
    for (uint32_t i = 0; i < frames; ++i) {
        double v = amplitude * std::sin(2 * M_PI * hz * i / rate);
        for (int c = 0; c < channels; ++c) {
            if (bits == 8) {
                pcm->bytes.push_back(uint8_t(128 + int(v / 256)));
            } else {
                int16_t s = int16_t(v);
                pcm->bytes.push_back(uint8_t(s));
                pcm->bytes.push_back(uint8_t(uint16_t(s) >> 8));
            }
        }
    }
    return pcm;
}

// What the device plays, split by channel.
struct Output {
    std::vector<int16_t> left, right;

    static double Rms(const std::vector<int16_t>& v)
    {
        double sum = 0;
        for (int16_t s : v)
            sum += double(s) * s;
        return v.empty() ? 0 : std::sqrt(sum / v.size());
    }
    // Frequency of a tone from the rising zero crossings.
    static double Frequency(const std::vector<int16_t>& v)
    {
        int rises = 0;
        for (size_t i = 1; i < v.size(); ++i)
            rises += v[i - 1] < 0 && v[i] >= 0;
        return rises * double(platform::AudioDevice::kRate) / v.size();
    }
};

Output Render(platform::AudioDevice& device, size_t frames)
{
    std::vector<int16_t> out(frames * 2);
    device.Render(out.data(), frames);
    Output o;
    for (size_t i = 0; i < frames; ++i) {
        o.left.push_back(out[2 * i]);
        o.right.push_back(out[2 * i + 1]);
    }
    return o;
}

TEST(Mixer, LevelPanAndPitchAreMeasuredInTheMix)
{
    struct Case {
        int32_t volume, pan;
        uint32_t frequency;
        double leftGain, rightGain, tone;
    };
    const Case cases[] = {
        { 0, 0, 22050, 1.0, 1.0, 1000 },
        { -600, 0, 22050, 0.501, 0.501, 1000 },
        { 0, 2000, 22050, 0.1, 1.0, 1000 },
        { 0, -10000, 22050, 1.0, 0.0, 1000 },
        { -10000, 0, 22050, 0.0, 0.0, 1000 },
        { 0, 0, 44100, 1.0, 1.0, 2000 },
        { 0, 0, 11025, 1.0, 1.0, 500 },
    };
    const double fullRms = 16000 / std::sqrt(2.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.volume << " " << c.pan << " " << c.frequency);
        platform::AudioDevice device;
        Mixer mixer(&device);
        auto voice = mixer.CreateVoice(Sine(22050, 1, 16, 1000, 16000, 22050));
        voice->SetVolume(c.volume);
        voice->SetPan(c.pan);
        voice->SetFrequency(c.frequency);
        voice->Play(false);
        Output o = Render(device, kFrames);
        EXPECT_NEAR(Output::Rms(o.left) / fullRms, c.leftGain, 0.02);
        EXPECT_NEAR(Output::Rms(o.right) / fullRms, c.rightGain, 0.02);
        if (c.leftGain > 0) {
            EXPECT_NEAR(Output::Frequency(o.left), c.tone, c.tone * 0.02);
        }
    }
}

TEST(Mixer, EightBitStereoKeepsItsChannelsAndDuplicatesShareData)
{
    platform::AudioDevice device;
    Mixer mixer(&device);
    auto pcm = std::make_shared<PcmData>();
    pcm->format = { 2, 8, 44100 };
    for (int i = 0; i < 100; ++i)
        pcm->bytes.insert(pcm->bytes.end(), { 0xA0, 0x60 }); // left +32, right -32 (8-bit units)
    auto a = mixer.CreateVoice(pcm);
    auto b = mixer.CreateVoice(a->Data());
    EXPECT_EQ(a->Data().get(), b->Data().get());
    a->Play(false);
    b->Play(false);
    Output o = Render(device, 50);
    EXPECT_EQ(o.left[10], 2 * 32 * 256);
    EXPECT_EQ(o.right[10], -2 * 32 * 256);
}

TEST(Mixer, LoopingWrapsAndAOneShotStopsAndRewinds)
{
    platform::AudioDevice device;
    Mixer mixer(&device);
    auto pcm = std::make_shared<PcmData>();
    pcm->format = { 1, 16, 44100 };
    for (int i = 0; i < 100; ++i)
        pcm->bytes.insert(pcm->bytes.end(), { uint8_t(i), 0x10 }); // 0x1000 + i
    auto loop = mixer.CreateVoice(pcm);
    loop->Play(true);
    Output o = Render(device, 250);
    EXPECT_EQ(o.left[0], 0x1000);
    EXPECT_EQ(o.left[99], 0x1000 + 99);
    EXPECT_EQ(o.left[100], 0x1000);
    EXPECT_EQ(o.left[249], 0x1000 + 49);
    EXPECT_TRUE(loop->IsPlaying());
    EXPECT_EQ(loop->Position(), 50u * 2);

    loop->Stop();
    auto once = mixer.CreateVoice(pcm);
    once->SetPosition(2 * 90);
    once->Play(false);
    o = Render(device, 20);
    EXPECT_EQ(o.left[9], 0x1000 + 99);
    EXPECT_EQ(o.left[10], 0);
    EXPECT_FALSE(once->IsPlaying());
    EXPECT_EQ(once->Position(), 0u);
}

TEST(AudioDevice, SumsSourcesClipsAndFollowsTheWaveVolume)
{
    platform::AudioDevice device;
    Mixer m1(&device);
    auto m2 = std::make_unique<Mixer>(&device);
    auto pcm = std::make_shared<PcmData>();
    pcm->format = { 1, 16, 44100 };
    for (int i = 0; i < 10; ++i)
        pcm->bytes.insert(pcm->bytes.end(), { 0x00, 0x60 }); // 24576
    auto a = m1.CreateVoice(pcm), b = m2->CreateVoice(pcm);
    a->Play(true);
    b->Play(true);
    EXPECT_EQ(Render(device, 4).left[0], 32767);

    HMIXER mixer = nullptr;
    ASSERT_EQ(mixerOpen(&mixer, 0, 0, 0, 0), MMSYSERR_NOERROR);
    MIXERLINEA line {};
    line.cbStruct = sizeof line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
    ASSERT_EQ(mixerGetLineInfoA(mixer, &line, MIXER_GETLINEINFOF_COMPONENTTYPE), MMSYSERR_NOERROR);
    MIXERCONTROLA control {};
    MIXERLINECONTROLSA controls {};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    ASSERT_EQ(mixerGetLineControlsA(mixer, &controls, MIXER_GETLINECONTROLSF_ONEBYTYPE), MMSYSERR_NOERROR);
    MIXERCONTROLDETAILS_UNSIGNED value { 65535 / 4 };
    MIXERCONTROLDETAILS details {};
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = 1;
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    ASSERT_EQ(mixerSetControlDetails(mixer, &details, 0), MMSYSERR_NOERROR);
    value.dwValue = 0;
    ASSERT_EQ(mixerGetControlDetailsA(mixer, &details, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(value.dwValue, 65535u / 4);
    EXPECT_EQ(Render(device, 4).left[0], 2 * 24576 * (65535 / 4) / 65535);
    b.reset();
    m2.reset(); // removing a source leaves the others playing
    EXPECT_EQ(Render(device, 4).left[0], 24576 * (65535 / 4) / 65535);
    value.dwValue = 65535;
    mixerSetControlDetails(mixer, &details, 0);
    EXPECT_EQ(mixerClose(mixer), MMSYSERR_NOERROR);
    EXPECT_EQ(mixerOpen(&mixer, 1, 0, 0, 0), MMSYSERR_BADDEVICEID);

    // A mixer may outlive its device (the backend changed under it).
    auto gone = std::make_unique<platform::AudioDevice>();
    Mixer orphan(gone.get());
    EXPECT_EQ(orphan.Device(), gone.get());
    gone.reset();
    EXPECT_EQ(orphan.Device(), nullptr);
}

class DirectSoundTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::UseBackend("headless"));
        platform::RegisterDirectSound();
        auto create = reinterpret_cast<DirectSoundCreateProc>(GetProcAddress(LoadLibraryA("DSOUND"), "DirectSoundCreate"));
        ASSERT_NE(create, nullptr);
        ASSERT_EQ(create(nullptr, &ds, nullptr), DS_OK);
        ASSERT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
    }
    void TearDown() override
    {
        if (ds)
            ds->Release();
    }

    IDirectSoundBuffer* Create(DWORD flags, WORD channels, WORD bits, DWORD rate, DWORD bytes, HRESULT* hr = nullptr)
    {
        WAVEFORMATEX wf { WAVE_FORMAT_PCM, channels, rate, rate * channels * bits / 8, WORD(channels * bits / 8), bits, 0 };
        DSBUFFERDESC desc { sizeof(DSBUFFERDESC), flags, bytes, 0, &wf };
        IDirectSoundBuffer* b = nullptr;
        HRESULT r = ds->CreateSoundBuffer(&desc, &b, nullptr);
        if (hr)
            *hr = r;
        return b;
    }

    Output Play(size_t frames) { return Render(platform::HeadlessBackend::Current()->audio, frames); }

    IDirectSound* ds = nullptr;
};

TEST_F(DirectSoundTest, CreateSoundBufferChecksItsDescription)
{
    struct Case {
        WORD channels, bits;
        DWORD rate, bytes;
        HRESULT expected;
    } cases[] = {
        { 1, 16, 22050, 1000, DS_OK },
        { 2, 8, 100000, 4, DS_OK },
        { 0, 16, 22050, 1000, DSERR_BADFORMAT },
        { 3, 16, 22050, 1000, DSERR_BADFORMAT },
        { 1, 12, 22050, 1000, DSERR_BADFORMAT },
        { 1, 16, 99, 1000, DSERR_BADFORMAT },
        { 1, 16, 22050, 3, DSERR_INVALIDPARAM },
        { 1, 16, 22050, DSBSIZE_MAX + 1, DSERR_INVALIDPARAM },
    };
    for (const Case& c : cases) {
        HRESULT hr;
        IDirectSoundBuffer* b = Create(0x80EA, c.channels, c.bits, c.rate, c.bytes, &hr);
        EXPECT_EQ(hr, c.expected) << c.channels << " " << c.bits << " " << c.rate << " " << c.bytes;
        EXPECT_EQ(b != nullptr, c.expected == DS_OK);
        if (b)
            b->Release();
    }
    DSBUFFERDESC primary { sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr };
    IDirectSoundBuffer* p = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&primary, &p, nullptr), DS_OK);
    WAVEFORMATEX wf { WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 18 };
    EXPECT_EQ(p->SetFormat(&wf), DS_OK);
    p->Release();
}

TEST_F(DirectSoundTest, ADuplicatePlaysTheOriginalsSamplesWithItsOwnControls)
{
    IDirectSoundBuffer* b = Create(0x80EA, 1, 16, 22050, 22050 * 2);
    ASSERT_NE(b, nullptr);
    LPVOID p1, p2;
    DWORD n1, n2;
    ASSERT_EQ(b->Lock(0, 22050 * 2, &p1, &n1, &p2, &n2, 0), DS_OK);
    auto tone = Sine(22050, 1, 16, 1000, 16000, 22050);
    std::memcpy(p1, tone->bytes.data(), n1);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);

    IDirectSoundBuffer* d = nullptr;
    ASSERT_EQ(ds->DuplicateSoundBuffer(b, &d), DS_OK);
    DWORD hz = 0, status = 7;
    EXPECT_EQ(d->GetFrequency(&hz), DS_OK);
    EXPECT_EQ(hz, 22050u);
    EXPECT_EQ(d->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(d->SetPan(-10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(d->SetPan(DSBPAN_RIGHT), DS_OK);
    EXPECT_EQ(d->SetFrequency(44100), DS_OK);
    EXPECT_EQ(d->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(d->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_PLAYING);
    Output o = Play(kFrames);
    EXPECT_EQ(Output::Rms(o.left), 0);
    EXPECT_NEAR(Output::Frequency(o.right), 2000, 40);
    o = Play(44100); // the one-shot ends
    EXPECT_EQ(d->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, 0u);
    d->Release();
    b->Release();

    IDirectSoundBuffer* noVolume = Create(DSBCAPS_STATIC, 1, 16, 22050, 100);
    EXPECT_EQ(noVolume->SetVolume(0), DSERR_CONTROLUNAVAIL);
    platform::FailNextDirectSoundCall("DuplicateSoundBuffer", DSERR_OUTOFMEMORY);
    EXPECT_EQ(ds->DuplicateSoundBuffer(noVolume, &d), DSERR_OUTOFMEMORY);
    EXPECT_EQ(ds->DuplicateSoundBuffer(noVolume, &d), DS_OK);
    d->Release();
    noVolume->Release();
}

// A RIFF WAVE file of 16-bit mono PCM.
std::vector<uint8_t> WavBytes(const PcmData& pcm)
{
    std::vector<uint8_t> f;
    auto put = [&f](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            f.push_back(uint8_t(v >> (8 * i)));
    };
    // Byte by byte: GCC 12 at -O2 takes a four-byte insert into a vector
    // that may be empty for a write past its end and warns (falsely).
    auto tag = [&f](const char* t) {
        for (int i = 0; i < 4; ++i)
            f.push_back(uint8_t(t[i]));
    };
    const PcmFormat& fm = pcm.format;
    tag("RIFF");
    put(uint32_t(36 + pcm.bytes.size()), 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);
    put(fm.channels, 2);
    put(fm.rate, 4);
    put(fm.rate * fm.BlockAlign(), 4);
    put(fm.BlockAlign(), 2);
    put(fm.bits, 2);
    tag("data");
    put(uint32_t(pcm.bytes.size()), 4);
    f.insert(f.end(), pcm.bytes.begin(), pcm.bytes.end());
    return f;
}

TEST(Decoders, WavWalkRulesAndLimits)
{
    auto pcm = Sine(8000, 1, 16, 500, 1000, 100);
    std::vector<uint8_t> good = WavBytes(*pcm);
    auto decoded = DecodeWav(good.data(), good.size());
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->bytes, pcm->bytes);
    EXPECT_EQ(decoded->format.rate, 8000u);

    struct Case {
        const char* what;
        size_t offset;
        std::vector<uint8_t> bytes;
        bool ok;
    } cases[] = {
        { "format tag 3", 20, { 3, 0 }, false },
        { "no channels", 22, { 0, 0 }, false },
        { "12 bits", 34, { 12, 0 }, false },
        { "rate 0", 24, { 0, 0, 0, 0 }, false },
        { "data size larger than the file", 40, { 0xFF, 0xFF, 0xFF, 0x7F }, false },
        { "data size one byte more", 40, { uint8_t(pcm->bytes.size() + 1), uint8_t((pcm->bytes.size() + 1) >> 8) }, false },
        { "fmt size past the end", 16, { 0xFF, 0xFF, 0xFF, 0xFF }, false },
        { "not WAVE", 8, { 'A' }, false },
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> f = good;
        std::copy(c.bytes.begin(), c.bytes.end(), f.begin() + c.offset);
        WavLayout layout;
        EXPECT_EQ(ParseWav(f.data(), f.size(), layout), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(layout.dataOffset + layout.dataSize, f.size()) << c.what;
        }
    }
    for (size_t cut : { size_t(0), size_t(11), size_t(20), size_t(36), size_t(43) }) {
        WavLayout layout;
        EXPECT_FALSE(ParseWav(good.data(), cut, layout)) << cut;
    }
    EXPECT_EQ(DecodeStream(good.data(), 30), nullptr);
}

class BassTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::UseBackend("headless"));
        ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    }
    void TearDown() override { BASS_Free(); }
    Output Play(size_t frames) { return Render(platform::HeadlessBackend::Current()->audio, frames); }
};

TEST_F(BassTest, AStreamFromMemoryPlaysPausesLoopsAndFrees)
{
    std::vector<uint8_t> file = WavBytes(*Sine(22050, 1, 16, 1000, 16000, 2205));
    EXPECT_EQ(BASS_StreamCreateFile(TRUE, file.data(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    HSTREAM s = BASS_StreamCreateFile(TRUE, file.data(), 0, file.size(), 0);
    ASSERT_NE(s, 0u);
    EXPECT_EQ(BASS_ChannelGetLength(s, BASS_POS_BYTE), 4410u);
    ASSERT_TRUE(BASS_ChannelSetAttribute(s, BASS_ATTRIB_VOL, 0.5f));
    EXPECT_FALSE(BASS_ChannelSetAttribute(s, BASS_ATTRIB_MUSIC_AMPLIFY, 50));
    ASSERT_TRUE(BASS_ChannelPlay(s, FALSE));
    EXPECT_EQ(BASS_ChannelIsActive(s), BASS_ACTIVE_PLAYING);
    Output o = Play(2000);
    EXPECT_NEAR(Output::Rms(o.left) / (16000 / std::sqrt(2.0)), 0.5, 0.02);
    EXPECT_TRUE(BASS_ChannelPause(s));
    EXPECT_EQ(BASS_ChannelIsActive(s), BASS_ACTIVE_PAUSED);
    EXPECT_EQ(Output::Rms(Play(100).left), 0);
    EXPECT_EQ(BASS_ChannelFlags(s, BASS_SAMPLE_LOOP, 0xFFFFFFFF), BASS_SAMPLE_LOOP);
    EXPECT_TRUE(BASS_ChannelPlay(s, FALSE));
    Play(44100); // far past the end: a looping stream goes on
    EXPECT_EQ(BASS_ChannelIsActive(s), BASS_ACTIVE_PLAYING);
    EXPECT_TRUE(BASS_ChannelSetPosition(s, 4000, BASS_POS_BYTE));
    EXPECT_FALSE(BASS_ChannelSetPosition(s, 4410, BASS_POS_BYTE));
    EXPECT_TRUE(BASS_ChannelStop(s));
    EXPECT_EQ(BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
    EXPECT_FALSE(BASS_MusicFree(s));
    EXPECT_TRUE(BASS_StreamFree(s));
    EXPECT_EQ(BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

// A four-channel ProTracker module: one pattern whose first row plays a
// square-wave sample on channel 1, then breaks to the next order.
std::vector<uint8_t> TinyModule()
{
    std::vector<uint8_t> m(1084, 0);
    std::memcpy(m.data(), "tiny", 4);
    uint8_t* s = m.data() + 20; // sample 1
    s[22] = 0;
    s[23] = 32; // 64 bytes long
    s[25] = 64; // volume
    s[27] = 0;
    s[29] = 32; // loops over all of it
    m[950] = 2; // two orders, both pattern 0
    m[952] = 0;
    m[953] = 0;
    std::memcpy(m.data() + 1080, "M.K.", 4);
    std::vector<uint8_t> pattern(1024, 0);
    pattern[0] = 0x01; // sample 1, period 428
    pattern[1] = 0xAC;
    pattern[2] = 0x10;
    pattern[16 * 16 + 2] = 0x0D; // row 16: pattern break
    m.insert(m.end(), pattern.begin(), pattern.end());
    for (int i = 0; i < 64; ++i)
        m.push_back(i % 16 < 8 ? 0x60 : 0xA0);
    return m;
}

TEST_F(BassTest, AModuleRendersAndSeeksByOrder)
{
    std::vector<uint8_t> mod = TinyModule();
    EXPECT_EQ(BASS_MusicLoad(TRUE, mod.data(), 0, 100, 0x204, 0), 0u);
    HMUSIC m = BASS_MusicLoad(TRUE, mod.data(), 0, DWORD(mod.size()), 0x204, 0);
    ASSERT_NE(m, 0u);
    EXPECT_TRUE(BASS_ChannelSetPosition(m, 1, BASS_POS_MUSIC_ORDER));
    EXPECT_FALSE(BASS_ChannelSetPosition(m, 2, BASS_POS_MUSIC_ORDER));
    EXPECT_TRUE(BASS_ChannelSetAttribute(m, BASS_ATTRIB_MUSIC_AMPLIFY, 50));
    EXPECT_TRUE(BASS_ChannelPlay(m, TRUE));
    EXPECT_GT(Output::Rms(Play(4410).left), 100);
    EXPECT_TRUE(BASS_MusicFree(m));
}

TEST(Decoders, ALongModuleIsRenderedAsItPlays)
{
    // 128 orders of the tiny module's pattern at the slowest speed and tempo
    // (31 ticks a row, 32 beats a minute): hours of music in 2 KB.
    std::vector<uint8_t> mod = TinyModule();
    mod[950] = 128;
    const uint8_t slowest[] = { 0, 0, 0x0F, 0x1F, 0, 0, 0x0F, 0x20 }; // rows 0 of channels 2 and 3
    std::memcpy(mod.data() + 1084 + 4, slowest, sizeof slowest);
    RenderedModule module;
    ASSERT_TRUE(DecodeModule(mod.data(), mod.size(), module));
    const uint32_t rowFrames = 31 * 44100 * 5 / 64; // 31 ticks of 2.5 / 32 s
    ASSERT_EQ(module.orderFrames.size(), 128u);
    EXPECT_EQ(module.orderFrames[1], 17 * 31 * 44100 * 5 / 64); // 17 rows up to the break
    EXPECT_EQ(module.pcm->Frames(), 10u * 60 * 44100); // as much as is ever played
    EXPECT_LE(module.pcm->bytes.size(), 4u * 4096); // nothing is rendered at load
    module.pcm->MakeFrames(rowFrames);
    ASSERT_GE(module.pcm->bytes.size(), 4u * rowFrames);
    EXPECT_LT(module.pcm->bytes.size(), 4u * (rowFrames + 4096));
    EXPECT_TRUE(std::any_of(module.pcm->bytes.begin(), module.pcm->bytes.end(), [](uint8_t b) { return b != 0; }));
}

TEST(MusicLibraries, EveryFunctionIsFoundByItsName)
{
    platform::RegisterBassLibrary();
    platform::RegisterFmodLibrary();
    HMODULE bass = LoadLibraryA(".\\bass.dll");
    HMODULE fmod = LoadLibraryA("fmod.dll");
    for (const char* name : { "BASS_Init", "BASS_ChannelSlideAttribute", "BASS_PluginLoad", "BASS_ErrorGetCode" })
        EXPECT_NE(GetProcAddress(bass, name), nullptr) << name;
    for (const char* name : { "_FSOUND_Init@12", "_FSOUND_Close@0", "_FSOUND_Sample_Lock@28", "_FMUSIC_IsPlaying@4" })
        EXPECT_NE(GetProcAddress(fmod, name), nullptr) << name;
    EXPECT_EQ(GetProcAddress(fmod, "FSOUND_Init"), nullptr);
    FreeLibrary(bass);
    FreeLibrary(fmod);
}

TEST(Fmod, AJoinedSampleLoopsItsSecondPart)
{
    ASSERT_TRUE(platform::UseBackend("headless"));
    FSOUND_SAMPLE* s = FSOUND_Sample_Alloc(-1, 10, FSOUND_16BITS | FSOUND_MONO | FSOUND_LOOP_NORMAL, 44100, 255, 128, 0);
    ASSERT_NE(s, nullptr);
    void *p1, *p2;
    unsigned n1, n2;
    ASSERT_TRUE(FSOUND_Sample_Lock(s, 0, 20, &p1, &p2, &n1, &n2));
    EXPECT_FALSE(FSOUND_Sample_Lock(s, 0, 21, &p1, &p2, &n1, &n2));
    auto* samples = static_cast<int16_t*>(p1);
    for (int i = 0; i < 10; ++i)
        samples[i] = int16_t(1000 * (i + 1));
    FSOUND_Sample_Unlock(s, p1, p2, n1, n2);
    ASSERT_TRUE(FSOUND_Sample_SetLoopPoints(s, 6, 4));
    ASSERT_EQ(FSOUND_PlaySound(3, s), 3);
    Output o = Render(platform::HeadlessBackend::Current()->audio, 16);
    EXPECT_EQ(o.left[5], 6000);
    EXPECT_EQ(o.left[9], 10000);
    EXPECT_EQ(o.left[10], 7000);
    EXPECT_EQ(o.left[14], 7000);
    EXPECT_TRUE(FSOUND_IsPlaying(3));
    EXPECT_TRUE(FSOUND_SetPaused(3, 1));
    EXPECT_FALSE(FSOUND_IsPlaying(3));
    FSOUND_Close();
    FSOUND_Sample_Free(s);
}

} // namespace

namespace {

// MPEG-1 layer III frames at 128 kbit/s, 44.1 kHz, stereo,
// whose side information and main data are all zero: silence.
TEST(Decoders, Mp3FramesDecodeToTheirFormat)
{
    std::vector<uint8_t> mp3;
    for (int frame = 0; frame < 20; ++frame) {
        const uint8_t header[] = { 0xFF, 0xFB, 0x90, 0x00 };
        mp3.insert(mp3.end(), header, header + 4);
        mp3.resize(mp3.size() + 417 - 4, 0);
    }
    auto pcm = platform::audio::DecodeMp3(mp3.data(), mp3.size());
    ASSERT_NE(pcm, nullptr);
    EXPECT_EQ(pcm->format.rate, 44100u);
    EXPECT_EQ(pcm->format.channels, 2);
    EXPECT_EQ(pcm->format.bits, 16);
    EXPECT_GE(pcm->Frames(), 18u * 1152);
    EXPECT_LE(pcm->Frames(), 20u * 1152);
    EXPECT_EQ(platform::audio::DecodeStream(mp3.data(), 100), nullptr);
}

} // namespace
