#include "SoundTestSupport.h"

#include "tests/fuzz/FuzzChecksums.h"

#include "framework/core/Paths.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/MusicLibraries.h"
#include "framework/sound/SoundFiles.h"
#include "platform/audio/Decoders.h"
#include "platform/dsound/DSound.h"
#include "platform/win32/Modules.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>

namespace {

using namespace soundtest;
using Kivo::DSoundManager;

HWND const kWindow = reinterpret_cast<HWND>(1);

struct Loaded {
    WAVEFORMATEX format {};
    std::string data;
};

class SoundFilesTest : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        manager = std::make_unique<DSoundManager>(kWindow, false);
    }
    void TearDown() override
    {
        manager.reset();
        SoundTest::TearDown();
    }

    // Writes `bytes` as `name` and loads "name" without its extension into id 0.
    bool Load(const std::string& fileName, const std::string& bytes)
    {
        std::string path = dir.Write(fileName, bytes);
        return manager->LoadSound(0, path.substr(0, path.rfind('.')));
    }
    Loaded Buffer(int id = 0)
    {
        Loaded out;
        IDirectSoundBuffer* b = manager->mSourceSounds[id];
        EXPECT_NE(b, nullptr);
        if (!b)
            return out;
        b->GetFormat(&out.format, sizeof out.format, nullptr);
        LPVOID p;
        DWORD n;
        EXPECT_EQ(b->Lock(0, manager->mSourceDataSizes[id], &p, &n, nullptr, nullptr, 0), DS_OK);
        out.data.assign(static_cast<char*>(p), n);
        b->Unlock(p, n, nullptr, 0);
        return out;
    }

    std::unique_ptr<DSoundManager> manager;
};

TEST_F(SoundFilesTest, WavFormatsAndOwnChunks)
{
    const std::string pcm = Samples16({ 1000, -2000, 3000, -4000 });
    std::string xored = pcm;
    for (char& c : xored)
        c ^= 0x5A;
    // Only 255 name bytes are read and the time follows them (0: no such
    // file); the rest of the chunk is skipped by its size.
    std::string longName = Le(300, 2) + std::string(255, 'n') + std::string(8, '\0') + std::string(45, 'x');
    struct Case {
        const char* what;
        std::string file;
        WORD channels, bits;
        DWORD rate;
        std::string data;
    } cases[] = {
        { "16-bit mono", Riff(Fmt(1, 1, 22050, 16) + Chunk("data", pcm)), 1, 16, 22050, pcm },
        { "16-bit stereo", Riff(Fmt(1, 2, 44100, 16) + Chunk("data", pcm)), 2, 16, 44100, pcm },
        { "8-bit mono", Riff(Fmt(1, 1, 8000, 8) + Chunk("data", "\x10\x20\x30\x40")), 1, 8, 8000, "\x10\x20\x30\x40" },
        { "8-bit stereo", Riff(Fmt(1, 2, 11025, 8) + Chunk("data", "\x10\x20\x30\x40")), 2, 8, 11025, "\x10\x20\x30\x40" },
        { "no fmt chunk", Riff(Chunk("LIST", "abcd") + Chunk("data", pcm)), 1, 16, 22050, pcm },
        { "xor key", Riff(Fmt(1, 1, 22050, 16) + Chunk("xor ", "\x5A") + Chunk("data", xored)), 1, 16, 22050, pcm },
        { "xor key 0", Riff(Fmt(1, 1, 22050, 16) + Chunk("xor ", std::string(1, '\0')) + Chunk("data", pcm)), 1, 16, 22050, pcm },
        { "dep name of 300", Riff(Chunk("dep ", longName) + Fmt(1, 1, 22050, 16) + Chunk("data", pcm)), 1, 16, 22050, pcm },
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Load("s.wav", c.file)) << c.what;
        Loaded b = Buffer();
        EXPECT_EQ(b.format.nChannels, c.channels) << c.what;
        EXPECT_EQ(b.format.wBitsPerSample, c.bits) << c.what;
        EXPECT_EQ(b.format.nSamplesPerSec, c.rate) << c.what;
        EXPECT_EQ(b.data, c.data) << c.what;
    }
}

TEST_F(SoundFilesTest, BadWavFilesFailAndTheNextExtensionIsTried)
{
    const std::string pcm = Samples16({ 1, 2 });
    const std::string cases[] = {
        Riff(Fmt(3, 1, 22050, 32) + Chunk("data", pcm)),  // floating point
        Riff(Fmt(1, 0, 22050, 16) + Chunk("data", pcm)),  // no channels
        Riff(Fmt(1, 1, 0, 16) + Chunk("data", pcm)),      // rate 0
        Riff(Fmt(1, 1, 22050, 16)),                       // no data chunk
        Riff(Fmt(1, 1, 22050, 16) + "da"),                // truncated chunk header
        "RIFF" + Le(4, 4) + "WAV",                        // truncated header
        Riff(Chunk("dep ", Le(3, 2) + "abc")),            // dep without its time
        Riff(Fmt(1, 1, 22050, 16) + Chunk("data", "")),   // no samples
        Riff(Fmt(1, 1, 22050, 16)) + "data" + Le(100, 4) + std::string(10, 'x'), // 10 of its 100 bytes
    };
    for (const std::string& file : cases) {
        EXPECT_FALSE(Load("bad.wav", file));
        EXPECT_EQ(manager->mSourceSounds[0], nullptr);
        EXPECT_EQ(manager->GetNumSounds(), 0);
    }
    // A WAV that fails leaves the load to the Sun audio file of the same name.
    dir.Write("both.au", std::string(".snd") + std::string("\0\0\0\x18\0\0\0\x04\0\0\0\x02\0\0\x1F\x40\0\0\0\x01", 20) + "\x01\x02\x03\x04");
    ASSERT_TRUE(Load("both.wav", cases[0]));
    EXPECT_EQ(Buffer().format.wBitsPerSample, 8);
}

TEST_F(SoundFilesTest, DependencyChunkComparesTheFilesLastWriteTime)
{
    std::string source = dir.Write("source.txt", "x");
    struct stat st {};
    ASSERT_EQ(stat(source.c_str(), &st), 0);
    uint64_t t = (uint64_t(st.st_mtim.tv_sec) + 11644473600ull) * 10000000ull + uint64_t(st.st_mtim.tv_nsec) / 100;
    auto dep = [&](uint64_t time) {
        return Riff(Chunk("dep ", Le(uint32_t(source.size()), 2) + source + Le(uint32_t(time), 4) + Le(uint32_t(time >> 32), 4))
            + Chunk("data", Samples16({ 5, 6 })));
    };
    EXPECT_TRUE(Load("d.wav", dep(t)));
    EXPECT_FALSE(Load("d.wav", dep(t + 1)));
    EXPECT_FALSE(Load("d.wav", dep(t + (uint64_t(1) << 32))));
}

TEST_F(SoundFilesTest, SunAudio)
{
    const std::pair<uint8_t, int16_t> muLaw[] = { { 0xFF, 0 }, { 0x7F, 0 }, { 0x80, 1020 }, { 0x00, -1020 }, { 0x81, 30592 },
        { 0x01, -30592 }, { 0xF0, 120 }, { 0xA0, 4 * (12192 - 64 * 160) } };
    for (auto [code, linear] : muLaw)
        EXPECT_EQ(Kivo::MuLawToLinear(code), linear) << int(code);

    auto au = [](uint32_t offset, uint32_t size, uint32_t encoding, uint32_t channels, const std::string& data) {
        auto be = [](uint32_t v) { return std::string { char(v >> 24), char(v >> 16), char(v >> 8), char(v) }; };
        return ".snd" + be(offset) + be(size) + be(encoding) + be(8000) + be(channels) + std::string(offset - 24, '\0') + data;
    };
    ASSERT_TRUE(Load("m.au", au(32, 2, 1, 1, std::string("\x81\x00", 2))));
    EXPECT_EQ(Buffer().data, Samples16({ 30592, -1020 }));
    ASSERT_TRUE(Load("m.au", au(24, 4, 2, 2, std::string("\x00\x7F\x80\xFF", 4))));
    EXPECT_EQ(Buffer().data, std::string("\x80\xFF\x00\x7F", 4));
    EXPECT_EQ(Buffer().format.nChannels, 2);
    // Data that names more bytes than the file holds is not a sound.
    EXPECT_FALSE(Load("m.au", au(24, 100, 2, 1, std::string(10, 'x'))));
    EXPECT_FALSE(Load("m.au", au(24, 0xFFFFFFFF, 2, 2, std::string("\x00\x7F\x80\xFF", 4))));
    EXPECT_FALSE(Load("m.au", au(24, 2, 3, 1, "ab")));
    EXPECT_FALSE(Load("m.au", au(24, 2, 1, 0, "ab")));
    EXPECT_FALSE(Load("m.au", au(24, 2, 1, 1, "ab").substr(0, 20)));
    std::string farOffset = au(24, 2, 1, 1, "ab");
    farOffset[7] = char(200);
    EXPECT_FALSE(Load("m.au", farOffset));
}

TEST_F(SoundFilesTest, OggDecodesToEveryFrameOfTheStream)
{
    WriteOgg(dir / "tone.ogg", 22050, 1, 11025, 441);
    ASSERT_TRUE(manager->LoadSound(0, dir / "tone"));
    Loaded b = Buffer();
    EXPECT_EQ(b.format.nChannels, 1);
    EXPECT_EQ(b.format.wBitsPerSample, 16);
    EXPECT_EQ(b.format.nSamplesPerSec, 22050u);
    ASSERT_EQ(b.data.size(), 11025u * 2);
    std::vector<int16_t> s(11025);
    std::memcpy(s.data(), b.data.data(), b.data.size());
    int rises = 0;
    for (size_t i = 1; i < s.size(); ++i)
        rises += s[i - 1] < 0 && s[i] >= 0;
    EXPECT_NEAR(rises * 2.0, 441, 4);
    EXPECT_NEAR(Rms(s), 16384 / std::sqrt(2.0), 600);

    WriteOgg(dir / "stereo.ogg", 44100, 2, 4410, 1000);
    ASSERT_TRUE(manager->LoadSound(1, dir / "stereo"));
    EXPECT_EQ(manager->mSourceDataSizes[1], 4410u * 4);

    std::string ogg = dir.Write("cut.ogg", "");
    std::filesystem::copy_file(dir / "tone.ogg", ogg, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::resize_file(ogg, 200);
    EXPECT_FALSE(manager->LoadSound(2, dir / "cut"));
    EXPECT_FALSE(Load("junk.ogg", "OggS and nothing else"));
}

// Tremor, given a codebook whose code lengths do not fill its prefix code
// exactly, leaves the decoder half built and divides by zero in ov_read. Each
// Ogg loader refuses such a file, in any stream of a chain, and still takes
// the file it was damaged from.
TEST_F(SoundFilesTest, OggWithABrokenCodebookFailsEveryLoader)
{
    std::ifstream in(std::string(KIVO_FUZZ_CORPUS) + "/audio_streams/ogg", std::ios::binary);
    const std::string seed((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(seed.substr(417, 1), "\xAA");
    auto withCrcs = [](const std::string& file) {
        const std::vector<uint8_t> out = fuzz::WithOggCrcs(reinterpret_cast<const uint8_t*>(file.data()), file.size());
        return std::string(out.begin(), out.end());
    };
    auto changed = [&](size_t at, char to) {
        std::string file = seed;
        file[at] = to;
        return file;
    };
    auto otherSerial = [](std::string file) {
        for (size_t at = file.find("OggS"); at != std::string::npos; at = file.find("OggS", at + 4))
            file[at + 14] ^= 1;
        return file;
    };
    // Both bytes hold code lengths of the fifth codebook: a 12-bit code becomes
    // 28 bits long (the code is left incomplete), or a 4-bit one 2 (over-full).
    const std::string incomplete = changed(417, '\xAB'), overfull = changed(398, '\x08');
    struct Case {
        const char* what;
        std::string file;
        bool loads;
    } cases[] = {
        { "undamaged", withCrcs(seed), true },
        { "incomplete code", withCrcs(incomplete), false },
        { "over-full code", withCrcs(overfull), false },
        { "incomplete code in a chain's second stream", withCrcs(seed + otherSerial(incomplete)), false },
    };
    using namespace platform::audio;
    for (const Case& c : cases) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(c.file.data());
        EXPECT_EQ(Load("fx.ogg", c.file), c.loads) << c.what;
        EXPECT_EQ(manager->mSourceSounds[0] != nullptr, c.loads) << c.what;
        EXPECT_EQ(DecodeOgg(bytes, c.file.size()) != nullptr, c.loads) << c.what;
        EXPECT_EQ(DecodeStream(bytes, c.file.size()) != nullptr, c.loads) << c.what;
        EXPECT_EQ(OpenStream(bytes, c.file.size()) != nullptr, c.loads) << c.what;
        EXPECT_EQ(OpenStream(std::vector<uint8_t>(c.file.begin(), c.file.end())) != nullptr, c.loads) << c.what;
        manager->ReleaseSound(0);
    }
    // Chains are not refused as such (the sound effect loader wants the
    // length of the whole chain decoded, which Tremor does not give).
    const std::string chain = withCrcs(seed + otherSerial(seed));
    EXPECT_NE(DecodeOgg(reinterpret_cast<const uint8_t*>(chain.data()), chain.size()), nullptr);
}

std::vector<std::string> gSampleLoads;
FSOUND_SAMPLE* RecordSampleLoad(int, const char* name, unsigned, int)
{
    gSampleLoads.push_back(name);
    return nullptr;
}

TEST_F(SoundFilesTest, Mp3GoesThroughFModOnlyWithItsFlag)
{
    platform::RegisterModuleFunction("fmod.dll", "_FSOUND_Sample_Load@16", &RecordSampleLoad);
    dir.Write("m.mp3", "not really");
    gSampleLoads.clear();
    EXPECT_FALSE(manager->LoadSound(0, dir / "m"));
    EXPECT_TRUE(gSampleLoads.empty());
    manager.reset();
    manager = std::make_unique<DSoundManager>(kWindow, true);
    ASSERT_NE(Kivo::GetFModInstance(), nullptr);
    EXPECT_FALSE(manager->LoadSound(0, dir / "m"));
    EXPECT_EQ(gSampleLoads, std::vector<std::string> { dir / "m.mp3" });
    manager.reset();
    EXPECT_EQ(Kivo::GetFModInstance(), nullptr);
}

TEST_F(SoundFilesTest, CachedWavIsWrittenOnceAndReadBack)
{
    Kivo::SetAppDataFolder(dir / "data/");
    WriteOgg(dir / "song.ogg", 22050, 1, 2205, 441);
    Kivo::FMOD_INSTANCE* fmod = Kivo::LoadFModDLL();
    ASSERT_NE(fmod, nullptr);
    FSOUND_SAMPLE* first = Kivo::WriteCachedWav(dir / "song");
    ASSERT_NE(first, nullptr);
    std::ifstream in(dir / "data/cached/song.wav", std::ios::binary);
    std::string file((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(file.size(), 44u + 2205 * 2);
    EXPECT_EQ(file.substr(0, 44), "RIFF" + Le(2205 * 2 + 36, 4) + "WAVE" + Fmt(1, 1, 22050, 16).substr(0, 24) + "data" + Le(2205 * 2, 4));
    std::filesystem::remove(dir / "song.ogg");
    FSOUND_SAMPLE* again = Kivo::WriteCachedWav(dir / "song");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(fmod->FSOUND_Sample_GetLength(again), 2205u);
    EXPECT_EQ(Kivo::WriteCachedWav(dir / "nothing"), nullptr);
    fmod->FSOUND_Sample_Free(first);
    fmod->FSOUND_Sample_Free(again);
    Kivo::FreeFModDLL();
    Kivo::SetAppDataFolder("");
}

} // namespace
