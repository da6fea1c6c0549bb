#include "SoundTestSupport.h"

#include "framework/core/Paths.h"
#include "framework/core/Strings.h"
#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/FModMusicInterface.h"
#include "framework/sound/MusicLibraries.h"
#include "platform/audio/Decoders.h"
#include "platform/music/Bass.h"
#include "platform/win32/AudioMixer.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Modules.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

namespace {

using namespace soundtest;
using Kivo::BassMusicInterface;
using Kivo::StrFormat;

HWND const kWindow = reinterpret_cast<HWND>(1);

// Every BASS call the music interface makes, as text.
std::vector<std::string> gCalls;
DWORD gNextHandle = 0;
std::map<DWORD, DWORD> gActive;

void Log(const std::string& s)
{
    gCalls.push_back(s);
}

BOOL RecInit(int device, DWORD freq, DWORD flags, HWND window, const void* clsid)
{
    Log(StrFormat("Init %d %u %u %d %d", device, freq, flags, window == kWindow, clsid == nullptr));
    // The real library may touch the system volume while it starts.
    HMIXER m;
    mixerOpen(&m, 0, 0, 0, 0);
    MIXERCONTROLDETAILS_UNSIGNED zero { 0 };
    MIXERCONTROLDETAILS d { sizeof d, 1, 1, { nullptr }, sizeof zero, &zero };
    mixerSetControlDetails(m, &d, 0);
    return TRUE;
}
BOOL RecSetConfig(DWORD option, DWORD value) { return Log(StrFormat("SetConfig %u %u", option, value)), TRUE; }
BOOL RecStart() { return Log("Start"), TRUE; }
BOOL RecStop() { return Log("Stop"), TRUE; }
BOOL RecFree() { return Log("Free"), TRUE; }
BOOL RecChannelStop(DWORD h) { return Log(StrFormat("ChannelStop %u", h)), TRUE; }
BOOL RecChannelPlay(DWORD h, BOOL restart) { return Log(StrFormat("ChannelPlay %u %d", h, restart)), TRUE; }
BOOL RecChannelPause(DWORD h) { return Log(StrFormat("ChannelPause %u", h)), TRUE; }
BOOL RecSetAttribute(DWORD h, DWORD attrib, float v) { return Log(StrFormat("SetAttribute %u %u %g", h, attrib, v)), TRUE; }
BOOL RecSetPosition(DWORD h, QWORD pos, DWORD mode) { return Log(StrFormat("SetPosition %u %llu %u", h, (unsigned long long)pos, mode)), TRUE; }
DWORD RecFlags(DWORD h, DWORD flags, DWORD mask) { return Log(StrFormat("Flags %u 0x%X 0x%X", h, flags, mask)), flags; }
DWORD RecIsActive(DWORD h) { return gActive[h]; }
HSTREAM RecStreamCreate(BOOL mem, const void*, QWORD offset, QWORD length, DWORD flags)
{
    Log(StrFormat("StreamCreateFile %d %llu %llu %u", mem, (unsigned long long)offset, (unsigned long long)length, flags));
    return ++gNextHandle;
}
HMUSIC RecMusicLoad(BOOL mem, const void*, QWORD offset, DWORD length, DWORD flags, DWORD freq)
{
    Log(StrFormat("MusicLoad %d %llu %u 0x%X %u", mem, (unsigned long long)offset, length, flags, freq));
    return ++gNextHandle;
}
BOOL RecStreamFree(HSTREAM h) { return Log(StrFormat("StreamFree %u", h)), TRUE; }
BOOL RecMusicFree(HMUSIC h) { return Log(StrFormat("MusicFree %u", h)), TRUE; }

class BassLogicTest : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        auto reg = [](const char* name, auto f) { platform::RegisterModuleFunction("bass.dll", name, f); };
        reg("BASS_Init", &RecInit);
        reg("BASS_SetConfig", &RecSetConfig);
        reg("BASS_Start", &RecStart);
        reg("BASS_Stop", &RecStop);
        reg("BASS_Free", &RecFree);
        reg("BASS_ChannelStop", &RecChannelStop);
        reg("BASS_ChannelPlay", &RecChannelPlay);
        reg("BASS_ChannelPause", &RecChannelPause);
        reg("BASS_ChannelSetAttribute", &RecSetAttribute);
        reg("BASS_ChannelSetPosition", &RecSetPosition);
        reg("BASS_ChannelFlags", &RecFlags);
        reg("BASS_ChannelIsActive", &RecIsActive);
        reg("BASS_StreamCreateFile", &RecStreamCreate);
        reg("BASS_MusicLoad", &RecMusicLoad);
        reg("BASS_StreamFree", &RecStreamFree);
        reg("BASS_MusicFree", &RecMusicFree);
        gCalls.clear();
        gActive.clear();
        gNextHandle = 0;
        music = std::make_unique<BassMusicInterface>(kWindow);
    }
    void TearDown() override
    {
        music.reset();
        SoundTest::TearDown();
    }
    std::vector<std::string> Take() { return std::exchange(gCalls, {}); }
    int Count(const std::vector<std::string>& calls, const std::string& call)
    {
        return int(std::count(calls.begin(), calls.end(), call));
    }
    // A file of 1234 bytes named `name`; its contents do not matter here.
    std::string File(const std::string& name) { return dir.Write(name, std::string(1234, 'x')); }

    std::unique_ptr<BassMusicInterface> music;
};

TEST_F(BassLogicTest, StartAndStopTheLibraryKeepingTheSystemVolume)
{
    EXPECT_EQ(Take(), (std::vector<std::string> { "Init 1 44100 0 1 1", "SetConfig 0 2000", "Start" }));
    EXPECT_EQ(platform::WaveOutVolume(), 65535u);
    music.reset();
    EXPECT_EQ(Take(), (std::vector<std::string> { "Stop", "Free" }));
    EXPECT_EQ(platform::ModuleLoadCount("bass.dll"), 0);
}

TEST_F(BassLogicTest, ExtensionsChooseStreamOrModule)
{
    const std::pair<const char*, bool> cases[] = {
        { "a.OGG", true }, { "b.Wav", true }, { "c.mp3", true }, { "d.xm", false }, { "noext", false }, { "e.it", false },
    };
    Take();
    int song = 0;
    for (auto [name, stream] : cases) {
        ASSERT_TRUE(music->LoadMusic(++song, File(name))) << name;
        auto calls = Take();
        ASSERT_EQ(calls.size(), 1u) << name;
        EXPECT_EQ(calls[0], stream ? "StreamCreateFile 1 0 1234 0" : "MusicLoad 1 0 1234 0x204 0") << name;
        EXPECT_EQ(music->mMusicMap[song].mHStream != 0, stream) << name;
    }
    EXPECT_FALSE(music->LoadMusic(99, dir / "missing.ogg"));
    EXPECT_EQ(music->mMusicMap.count(99), 0u);
}

TEST_F(BassLogicTest, ADuplicateSongNumberKeepsTheFirstAndFreesTheSecond)
{
    ASSERT_TRUE(music->LoadMusic(1, File("a.ogg")));
    ASSERT_TRUE(music->LoadMusic(1, File("b.ogg")));
    ASSERT_TRUE(music->LoadMusic(2, File("c.xm")));
    ASSERT_TRUE(music->LoadMusic(2, File("d.xm")));
    auto calls = Take();
    EXPECT_EQ(Count(calls, "StreamFree 2"), 1);
    EXPECT_EQ(Count(calls, "MusicFree 4"), 1);
    EXPECT_EQ(music->mMusicMap[1].mHStream, 1u);
    EXPECT_EQ(music->mMusicMap[2].mHMusic, 3u);
    music->UnloadAllMusic();
    calls = Take();
    EXPECT_EQ(Count(calls, "StreamFree 1"), 1);
    EXPECT_EQ(Count(calls, "MusicFree 3"), 1);
    EXPECT_TRUE(music->mMusicMap.empty());
}

TEST_F(BassLogicTest, PlayMusicSequences)
{
    music->LoadMusic(1, File("a.ogg"));
    music->LoadMusic(2, File("b.mod"));
    music->SetVolume(0.5);
    music->SetSongMaxVolume(2, 0.8);
    Take();
    music->PlayMusic(1, 100, false);
    EXPECT_EQ(Take(), (std::vector<std::string> { "SetAttribute 1 2 0.5", "ChannelStop 1", "ChannelPlay 1 1",
                          "Flags 1 0x4 0xFFFFFFFF", "SetPosition 1 100 0" }));
    music->PlayMusic(1, -1, true);
    EXPECT_EQ(Take(), (std::vector<std::string> { "SetAttribute 1 2 0.5", "ChannelStop 1", "ChannelPlay 1 0" }));
    EXPECT_TRUE(music->mMusicMap[1].stopOnFade);
    music->PlayMusic(2, 3, false);
    EXPECT_EQ(Take(), (std::vector<std::string> { "SetAttribute 2 2 0.4", "ChannelStop 2", "ChannelStop 2",
                          "SetPosition 2 3 1", "Flags 2 0x8204 0xFFFFFFFF", "ChannelPlay 2 0" }));
    music->FadeIn(2, -1, 0.1, true);
    EXPECT_EQ(Take(), (std::vector<std::string> { "ChannelStop 2", "SetAttribute 2 2 0.4", "ChannelPlay 2 1" }));
    music->FadeIn(2, 1, 0.1, false);
    EXPECT_EQ(Take(), (std::vector<std::string> { "ChannelStop 2", "SetAttribute 2 2 0.4", "ChannelStop 2",
                          "SetPosition 2 1 1", "Flags 2 0x204 0xFFFFFFFF", "ChannelPlay 2 0" }));
    music->SetMusicAmplify(2, 0.5);
    EXPECT_EQ(Take(), (std::vector<std::string> { "SetAttribute 2 256 50" }));
    gActive[1] = BASS_ACTIVE_PLAYING;
    gActive[2] = BASS_ACTIVE_PAUSED;
    EXPECT_TRUE(music->IsPlaying(1));
    EXPECT_FALSE(music->IsPlaying(2));
    EXPECT_FALSE(music->IsPlaying(7));
    music->PauseAllMusic();
    music->ResumeAllMusic();
    EXPECT_EQ(Take(), (std::vector<std::string> { "ChannelPause 1", "ChannelPlay 2 0" }));
    music->StopMusic(7); // not loaded: nothing happens
    EXPECT_TRUE(Take().empty());
}

TEST_F(BassLogicTest, FadesRunThroughUpdate)
{
    music->LoadMusic(1, File("a.ogg"));
    music->PlayMusic(1, 0, false);
    music->FadeOut(1, true, 0.01);
    Take();
    int updates = 0;
    for (; updates < 150 && Count(gCalls, "ChannelStop 1") == 0; ++updates)
        music->Update();
    EXPECT_GE(updates, 100);
    EXPECT_LE(updates, 101);
    for (int i = 0; i < 50; ++i)
        music->Update();
    EXPECT_EQ(Count(Take(), "ChannelStop 1"), 1);
    EXPECT_EQ(music->mMusicMap[1].volume, 0.0);
    EXPECT_EQ(music->mMusicMap[1].step, 0.0);

    music->FadeIn(1, -1, 0.01, false);
    for (int i = 0; i < 150; ++i)
        music->Update();
    EXPECT_EQ(music->mMusicMap[1].volume, 1.0);
    EXPECT_EQ(music->mMusicMap[1].step, 0.0);
    Take();
    music->Update(); // steady: the library is left alone
    EXPECT_TRUE(Take().empty());

    music->SetSongVolume(1, 0.0);
    music->FadeIn(1, -1, 0.02, false);
    music->FadeOut(1, true, 0.01); // at volume 0 the step stays
    EXPECT_EQ(music->mMusicMap[1].step, 0.02);
    EXPECT_TRUE(music->mMusicMap[1].stopOnFade);

    for (auto [volume, expected] : { std::pair { 0.8, 0.5 }, { 0.3, 0.3 } }) {
        music->SetSongVolume(1, volume);
        music->SetSongMaxVolume(1, 0.5);
        EXPECT_EQ(music->mMusicMap[1].volume, expected);
        EXPECT_EQ(music->mMusicMap[1].ceiling, 0.5);
    }
}

class LibraryTableTest : public SoundTest { };

TEST_F(LibraryTableTest, AMissingLibraryOrFunctionIsFatalWithItsMessage)
{
    struct Case {
        const char* module;
        const char* function; // removed; null removes the library
        std::string message;
    } cases[] = {
        { "bass.dll", nullptr, "Can't find bass.dll." },
        { "bass.dll", "BASS_ChannelPlay", "BASS_ChannelPlay function not found in bass.dll" },
        { "bass.dll", "BASS_ErrorGetCode", "BASS_ErrorGetCode function not found in bass.dll" },
        { "bass.dll", "BASS_SetVolume", "BASS_SetVolume found in bass.dll" },
        { "fmod.dll", nullptr, "Can't find fmod.dll." },
        { "fmod.dll", "_FSOUND_Init@12", "\"_FSOUND_Init@12\" function not found in fmod.dll" },
        { "fmod.dll", "_FMUSIC_IsPlaying@4", "\"_FMUSIC_IsPlaying@4\" function not found in fmod.dll" },
    };
    for (const Case& c : cases) {
        if (c.function)
            platform::UnregisterModuleFunction(c.module, c.function);
        else
            platform::UnregisterModule(c.module);
        bool bass = std::string(c.module) == "bass.dll";
        EXPECT_EQ(bass ? (void*)Kivo::LoadBassDLL() : (void*)Kivo::LoadFModDLL(), nullptr) << c.message;
        ASSERT_EQ(host.fatals.size(), 1u) << c.message;
        EXPECT_EQ(host.fatals[0].text, c.message);
        EXPECT_EQ(host.fatals[0].caption, "Error");
        EXPECT_EQ(host.fatals[0].type, MB_ICONERROR);
        host.fatals.clear();
        EXPECT_EQ(platform::ModuleLoadCount(c.module), 0) << c.message;
        platform::RegisterBassLibrary();
        platform::RegisterFmodLibrary();
    }
    // The two configuration functions may be missing.
    platform::UnregisterModuleFunction("bass.dll", "BASS_SetConfig");
    platform::UnregisterModuleFunction("bass.dll", "BASS_GetConfig");
    {
        BassMusicInterface music(kWindow);
        EXPECT_TRUE(host.fatals.empty());
        EXPECT_EQ(Kivo::GetBassInstance()->BASS_SetConfig, nullptr);
    }
    EXPECT_EQ(Kivo::GetBassInstance(), nullptr);
}

TEST_F(LibraryTableTest, TablesAreSharedByReference)
{
    Kivo::BASS_INSTANCE* first = Kivo::LoadBassDLL();
    EXPECT_EQ(Kivo::LoadBassDLL(), first);
    EXPECT_EQ(platform::ModuleLoadCount("bass.dll"), 1);
    Kivo::FreeBassDLL();
    EXPECT_EQ(Kivo::GetBassInstance(), first);
    Kivo::FreeBassDLL();
    EXPECT_EQ(Kivo::GetBassInstance(), nullptr);
    EXPECT_EQ(platform::ModuleLoadCount("bass.dll"), 0);
    Kivo::FreeBassDLL(); // nothing left to free
}

class RealMusicTest : public SoundTest { };

TEST_F(RealMusicTest, BassPlaysAWavAndAnOggSongWithFades)
{
    BassMusicInterface music(kWindow);
    std::string wav = dir.Write("w.wav", Riff(Fmt(1, 1, 22050, 16) + Chunk("data", Tone16(22050, 1, 500, 22050))));
    WriteOgg(dir / "o.ogg", 44100, 2, 44100, 1000);
    ASSERT_TRUE(music.LoadMusic(1, wav));
    ASSERT_TRUE(music.LoadMusic(2, dir / "o.ogg"));
    const double full = 16000 / std::sqrt(2.0);

    music.PlayMusic(1, 0, false);
    EXPECT_TRUE(music.IsPlaying(1));
    EXPECT_NEAR(Rms(Play(4410, 0)) / full, 1.0, 0.02);
    music.FadeOut(1, true, 0.25);
    for (double expected : { 0.75, 0.5, 0.25 }) {
        music.Update();
        EXPECT_NEAR(Rms(Play(4410, 1)) / full, expected, 0.02);
    }
    music.Update();
    music.Update();
    EXPECT_FALSE(music.IsPlaying(1));
    EXPECT_EQ(Rms(Play(100, 0)), 0);

    music.SetSongVolume(2, 0.0);
    music.FadeIn(2, -1, 0.5, false);
    EXPECT_EQ(Rms(Play(100, 0)), 0);
    music.Update();
    EXPECT_NEAR(Rms(Play(4410, 0)) / (16384 / std::sqrt(2.0)), 0.5, 0.05);
    music.PauseMusic(2);
    EXPECT_EQ(Rms(Play(100, 0)), 0);
    music.ResumeMusic(2);
    EXPECT_TRUE(music.IsPlaying(2));
    music.UnloadAllMusic();
    EXPECT_EQ(Rms(Play(100, 0)), 0);
}

// An Ogg song opened as a stream (over bytes of its own or borrowed ones)
// costs its headers: it has its whole length at once, nothing decoded yet,
// and mixes (in pieces of any size, at the output's rate and off it, once
// through and looping) exactly what the whole decoding mixes.
TEST_F(RealMusicTest, AnOggStreamDecodesAsItPlaysAndSoundsAsTheWholeDecoding)
{
    using namespace platform::audio;
    for (long rate : { 44100L, 22050L })
        for (bool looping : { false, true })
            for (bool borrowed : { false, true }) {
                SCOPED_TRACE(testing::Message() << "rate " << rate << " looping " << looping << " borrowed " << borrowed);
                WriteOgg(dir / "s.ogg", rate, 2, 30000, 700);
                std::ifstream in(dir / "s.ogg", std::ios::binary);
                std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                const std::shared_ptr<PcmData> whole = DecodeOgg(bytes.data(), bytes.size());
                const std::shared_ptr<PcmData> streamed =
                    borrowed ? OpenStream(bytes.data(), bytes.size()) : OpenStream(bytes);
                ASSERT_TRUE(whole && streamed);
                EXPECT_EQ(streamed->Frames(), whole->Frames());
                EXPECT_TRUE(streamed->bytes.empty());

                Mixer a, b;
                std::unique_ptr<Voice> va = a.CreateVoice(whole), vb = b.CreateVoice(streamed);
                va->Play(looping);
                vb->Play(looping);
                if (looping) {
                    va->SetLoop(1000, 20000);
                    vb->SetLoop(1000, 20000);
                }
                for (size_t piece : { 1, 7, 512, 4096, 20000, 33333, 40000 }) {
                    std::vector<int32_t> mixA(2 * piece), mixB(2 * piece);
                    a.MixInto(mixA.data(), piece);
                    b.MixInto(mixB.data(), piece);
                    ASSERT_EQ(mixA, mixB) << "piece " << piece;
                }
                EXPECT_EQ(vb->IsPlaying(), looping);
                if (!looping) {
                    EXPECT_EQ(streamed->bytes.size(), whole->bytes.size());
                }
            }
}

TEST_F(RealMusicTest, FModPlaysASampleSongAndJoinsAnIntroToItsLoop)
{
    Kivo::SetAppDataFolder(dir / "data/");
    Kivo::FModMusicInterface music(kWindow);
    WriteOgg(dir / "intro.ogg", 22050, 1, 2205, 441);
    WriteOgg(dir / "loop.ogg", 22050, 1, 4410, 882);
    ASSERT_TRUE(music.LoadSingleSampleMusic(1, dir / "loop", true));
    music.PlayMusic(1, 0, false);
    // Volume 1.0 on the scale of 100 is 100 of the library's 255.
    EXPECT_NEAR(Rms(Play(4410, 0)) / (16384 / std::sqrt(2.0)), 100 / 255.0, 0.03);
    music.FadeOut(1, true, 0.5);
    music.Update();
    music.Update();
    music.Update();
    EXPECT_EQ(Rms(Play(100, 0)), 0);

    ASSERT_TRUE(music.LoadSampleMusic(2, dir / "intro", dir / "loop", true));
    FSOUND_SAMPLE* joined = music.mMusicMap[2].mHSample;
    EXPECT_EQ(Kivo::GetFModInstance()->FSOUND_Sample_GetLength(joined), 2205u + 4410u);
    EXPECT_FALSE(music.LoadSampleMusic(3, dir / "intro", dir / "absent", true));
    Kivo::SetAppDataFolder("");
}

} // namespace
