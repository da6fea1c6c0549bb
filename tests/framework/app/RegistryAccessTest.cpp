#include "framework/app/KivoAppBase.h"

#include <gtest/gtest.h>

using namespace Kivo;

namespace {

class RegistryAccess : public ::testing::Test {
protected:
    void SetUp() override { platform::UseMemoryRegistry(true); }

    static bool Exists(const std::string& key, const std::string& name)
    {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
            return false;
        DWORD size = 0;
        bool found = RegQueryValueExA(k, name.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
        RegCloseKey(k);
        return found;
    }
};

TEST_F(RegistryAccess, SubkeysAndTypedHelpers)
{
    KivoAppBase app;
    app.registryKey = "Olvane Studio\\Marrowfen\\";
    EXPECT_TRUE(app.RegistryWriteInteger("Test3D\\RuntimeError", 7));
    EXPECT_TRUE(Exists("SOFTWARE\\Olvane Studio\\Marrowfen\\Test3D", "RuntimeError"));
    EXPECT_FALSE(Exists("SOFTWARE\\Olvane Studio\\Marrowfen", "Test3D\\RuntimeError"));

    int n = 0;
    EXPECT_TRUE(app.RegistryReadInteger("Test3D\\RuntimeError", &n));
    EXPECT_EQ(n, 7);
    EXPECT_TRUE(app.RegistryWriteString("Name", "abc"));
    DWORD type = 0, size = 16;
    char text[16] = {};
    EXPECT_TRUE(app.RegistryRead("Name", &type, reinterpret_cast<BYTE*>(text), &size));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 3u); // no terminator stored
    n = 5;
    EXPECT_FALSE(app.RegistryReadInteger("Name", &n)); // not a DWORD
    EXPECT_EQ(n, 5);
    bool b = false;
    EXPECT_TRUE(app.RegistryReadBoolean("Test3D\\RuntimeError", &b));
    EXPECT_TRUE(b);
    app.RegistryEraseValue("Test3D\\RuntimeError");
    EXPECT_FALSE(app.RegistryReadInteger("Test3D\\RuntimeError", &n));
}

TEST_F(RegistryAccess, EmptyKeyTouchesNothing)
{
    KivoAppBase app;
    app.registryKey = "Game";
    app.SetString("RegistryKey", L"");
    app.ReadFromRegistry();
    EXPECT_TRUE(app.registryLoaded);
    EXPECT_EQ(app.registryKey, "");
    EXPECT_FALSE(app.RegistryWriteInteger("X", 1));
    int n;
    EXPECT_FALSE(app.RegistryReadInteger("X", &n));
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryAccess, ApplicationValuesRoundTrip)
{
    KivoAppBase first;
    first.registryKey = "Game";
    first.ReadFromRegistry();
    EXPECT_TRUE(first.lastRunClean);
    EXPECT_TRUE(Exists("SOFTWARE\\Game", "InProgress"));
    // A run that does not shut down cleanly is noticed by the next one.
    KivoAppBase crashed;
    crashed.registryKey = "Game";
    crashed.ReadFromRegistry();
    EXPECT_FALSE(crashed.lastRunClean);

    first.musicVolume = 0.29;
    first.sfxVolume = 0.557;
    first.muteCount = 2;
    first.autoMuteCount = 1;
    first.windowed = false;
    first.preferredX = 12;
    first.preferredY = -1;
    first.customCursorsOn = true;
    first.adjustJerking = true;
    first.mouseSensitivity = 0.53f;
    first.WriteToRegistry();

    KivoAppBase second;
    second.registryKey = "Game";
    second.ReadFromRegistry();
    EXPECT_DOUBLE_EQ(second.musicVolume, 0.29);
    EXPECT_DOUBLE_EQ(second.sfxVolume, 0.55);
    EXPECT_EQ(second.muteCount, 1);
    EXPECT_FALSE(second.windowed);
    EXPECT_EQ(second.preferredX, 12);
    EXPECT_EQ(second.preferredY, -1);
    EXPECT_TRUE(second.customCursorsOn);
    EXPECT_TRUE(second.adjustJerking);
    EXPECT_FLOAT_EQ(second.mouseSensitivity, 0.53f);
    EXPECT_TRUE(second.lastRunClean);

    // Every stored hundredth survives a read and a write.
    for (int v = 0; v <= 200; ++v) {
        second.musicVolume = v / 100.0;
        second.mouseSensitivity = static_cast<float>(v / 100.0);
        second.WriteToRegistry();
        int music = -1, mouse = -1;
        ASSERT_TRUE(second.RegistryReadInteger("MusicVolume", &music));
        ASSERT_TRUE(second.RegistryReadInteger("MouseSensitivity", &mouse));
        EXPECT_EQ(music, v);
        EXPECT_EQ(mouse, v);
    }

    // A sensitivity of 0 would freeze the pointer.
    second.RegistryWriteInteger("MouseSensitivity", 0);
    KivoAppBase third;
    third.registryKey = "Game";
    third.mouseSensitivity = 3.0f;
    third.ReadFromRegistry();
    EXPECT_EQ(third.mouseSensitivity, 1.0f);
}

TEST_F(RegistryAccess, DemoRecordsAndReplays)
{
    KivoAppBase recorder;
    recorder.registryKey = "Game";
    recorder.demoRecording = true;
    recorder.RegistryWriteInteger("A", 41);
    recorder.updateCount = 40;
    int n = 0;
    EXPECT_TRUE(recorder.RegistryReadInteger("A", &n));
    EXPECT_FALSE(recorder.RegistryReadInteger("Missing", &n));
    EXPECT_EQ(recorder.eventCount, 5); // 40 updates later: two fillers first

    platform::UseMemoryRegistry(true); // the registry of another machine
    KivoAppBase player;
    player.registryKey = "Game";
    player.demoPlaying = true;
    player.demoBuffer = recorder.demoBuffer;
    player.demoBuffer.SeekFront();
    EXPECT_TRUE(player.RegistryWriteInteger("A", 99));
    EXPECT_FALSE(Exists("SOFTWARE\\Game", "A")); // nothing written
    // Skip the two fillers, as the main loop would.
    for (int i = 0; i < 2; ++i) {
        player.ReadEventHeader();
        player.needHeader = true;
    }
    EXPECT_TRUE(player.RegistryReadInteger("A", &n));
    EXPECT_EQ(n, 41);
    EXPECT_FALSE(player.RegistryReadInteger("Missing", &n));
    EXPECT_TRUE(player.demoBuffer.AtEnd());
    EXPECT_TRUE(player.RegistryWriteInteger("B", 1)); // the demo has ended
    EXPECT_FALSE(player.RegistryReadInteger("B", &n));

    // Erasing acts on the registry even during playback.
    KivoAppBase writer;
    writer.registryKey = "Game";
    writer.RegistryWriteInteger("Is3D", 1);
    player.RegistryEraseValue("Is3D");
    EXPECT_FALSE(Exists("SOFTWARE\\Game", "Is3D"));
}

TEST_F(RegistryAccess, ReplayedValueLargerThanTheBufferIsNotCopied)
{
    KivoAppBase recorder;
    recorder.registryKey = "Game";
    recorder.RegistryWriteString("Long", "twelve bytes");
    recorder.demoRecording = true;
    char big[16];
    DWORD type, size = sizeof big;
    ASSERT_TRUE(recorder.RegistryRead("Long", &type, reinterpret_cast<BYTE*>(big), &size));
    recorder.RegistryWriteInteger("After", 1);

    KivoAppBase player;
    player.registryKey = "Game";
    player.demoPlaying = true;
    player.demoBuffer = recorder.demoBuffer;
    player.demoBuffer.SeekFront();
    char small[4] = { 'x', 'x', 'x', 'x' };
    size = sizeof small;
    EXPECT_FALSE(player.RegistryRead("Long", &type, reinterpret_cast<BYTE*>(small), &size));
    EXPECT_EQ(std::string(small, 4), "xxxx");
    EXPECT_EQ(size, 12u);
    EXPECT_TRUE(player.RegistryWriteInteger("After", 1)); // the stream stayed in step
    EXPECT_TRUE(player.demoBuffer.AtEnd());
}

// A damaged stream whose recorded value claims more bytes than remain, with
// a few bits after the last whole byte: the read stops at the stream's end
// instead of counting through the claimed length.
TEST_F(RegistryAccess, ReplayedLengthBeyondTheStreamStopsAtItsEnd)
{
    KivoAppBase player;
    player.registryKey = "Game";
    player.demoPlaying = true;
    Buffer& stream = player.demoBuffer;
    stream.WriteNumBits(0, 4); // delta
    stream.WriteNumBits(0, 1); // long form
    stream.WriteNumBits(11, 5); // registry read
    stream.WriteNumBits(1, 1); // found
    stream.WriteLong(REG_BINARY);
    stream.WriteLong(-1); // 4294967295 bytes claimed
    stream.WriteByte('a');
    stream.WriteNumBits(5, 3); // not a whole byte
    stream.SeekFront();
    char value[8] = {};
    DWORD type = 0, size = sizeof value;
    EXPECT_FALSE(player.RegistryRead("Long", &type, reinterpret_cast<BYTE*>(value), &size));
    EXPECT_EQ(size, 0xFFFFFFFFu);
    EXPECT_EQ(stream.bitSize - stream.readPos, 3);
}

} // namespace
