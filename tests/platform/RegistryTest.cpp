#include "platform/Backend.h"
#include "platform/win32/Registry.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class Registry : public ::testing::Test {
protected:
    void SetUp() override { platform::UseMemoryRegistry(true); }
    void TearDown() override { platform::UseMemoryRegistry(true); }

    static HKEY Create(const char* path)
    {
        HKEY key = nullptr;
        DWORD disposition = 0;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, const_cast<LPSTR>("Key"), REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
        return key;
    }
};

TEST_F(Registry, TypedValuesRoundTrip)
{
    HKEY missing = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Co\\Game", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);

    HKEY key = Create("SOFTWARE\\Co\\Game\\Test3D");
    DWORD dword = 0x12345678;
    const BYTE blob[] = { 0, 1, 0xFF, '"', '\n' };
    ASSERT_EQ(RegSetValueExA(key, "Dword", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dword), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>("a]b"), 3), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Blob", 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);
    RegCloseKey(key);

    // Parents exist once a child was created; names ignore case.
    HKEY parent = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\co", 0, KEY_READ, &parent), ERROR_SUCCESS);
    RegCloseKey(parent);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\C", 0, KEY_READ, &parent), ERROR_FILE_NOT_FOUND);

    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\CO\\game\\test3d", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, size = 4, out = 0;
    EXPECT_EQ(RegQueryValueExA(key, "dword", nullptr, &type, reinterpret_cast<BYTE*>(&out), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(out, dword);
    char text[8] = {};
    size = 2;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
    EXPECT_STREQ(text, "a]b");
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof blob);
    EXPECT_EQ(RegSetValueExA(key, "Dword", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dword), 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(key, "Dword"), ERROR_ACCESS_DENIED);
    RegCloseKey(key);

    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Co\\Game\\Test3D", 0, KEY_WRITE, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "Dword"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "Dword"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key, "Dword", nullptr, &type, nullptr, &size), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
}

TEST_F(Registry, FileIsRewrittenWholeAndReadBack)
{
    testsupport::TempDir dir;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    platform::UseMemoryRegistry(false);
    EXPECT_EQ(platform::RegistryFilePath(), dir.Path() + "/kivo/registry.ini");

    // Key names with path-like text stay names inside the one file.
    HKEY key = Create("SOFTWARE\\..\\..\\etc\\[x]\\\"q\"");
    const BYTE blob[] = { 0, 0x80, '\\' };
    DWORD n = 55;
    ASSERT_EQ(RegSetValueExA(key, "MusicVolume", 0, REG_DWORD, reinterpret_cast<BYTE*>(&n), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Name\n=x", 0, REG_SZ, reinterpret_cast<const BYTE*>("caf\xE9 \"1\""), 8), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Blob", 0, REG_BINARY, blob, 3), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Other", 0, 7, blob, 2), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_FALSE(std::ifstream(dir.Path() + "/kivo/registry.ini.tmp").good());
    std::ifstream in(dir.Path() + "/kivo/registry.ini");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("\"MusicVolume\"=dword:00000037"), std::string::npos) << text;

    platform::UseMemoryRegistry(false); // read the file again
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\..\\..\\etc\\[x]\\\"q\"", 0, KEY_READ, &key), ERROR_SUCCESS);
    struct Row {
        const char* name;
        DWORD type;
        std::string bytes;
    } rows[] = {
        { "MusicVolume", REG_DWORD, std::string("\x37\0\0\0", 4) },
        { "Name\n=x", REG_SZ, "caf\xE9 \"1\"" },
        { "Blob", REG_BINARY, std::string("\0\x80\\", 3) },
        { "Other", 7, std::string("\0\x80", 2) },
    };
    for (const Row& r : rows) {
        char buf[32];
        DWORD type = 0, size = sizeof buf;
        ASSERT_EQ(RegQueryValueExA(key, r.name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS) << r.name;
        EXPECT_EQ(type, r.type) << r.name;
        EXPECT_EQ(std::string(buf, size), r.bytes) << r.name;
    }
    RegCloseKey(key);

    // A damaged line loses only itself.
    std::ofstream(dir.Path() + "/kivo/registry.ini") << "[\"HKEY_CURRENT_USER\\\\S\"]\n\"A\"=dword:zz\n\"B\"=dword:00000002\n\"C\"=\"open\n";
    platform::UseMemoryRegistry(false);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "S", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD size = 4, value = 0;
    EXPECT_EQ(RegQueryValueExA(key, "A", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key, "B", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(RegQueryValueExA(key, "C", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    // The headless backend keeps the registry in memory.
    std::remove((dir.Path() + "/kivo/registry.ini").c_str());
    platform::UseMemoryRegistry(false);
    ASSERT_TRUE(platform::UseBackend("headless"));
    key = Create("SOFTWARE\\Headless");
    RegCloseKey(key);
    EXPECT_FALSE(std::ifstream(dir.Path() + "/kivo/registry.ini").good());

    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

// Changes in a batch are read back at once and reach the file together as
// the outermost batch ends; a value set to what it holds writes nothing.
TEST_F(Registry, ABatchIsWrittenOnceAtItsEnd)
{
    testsupport::TempDir dir;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    platform::UseMemoryRegistry(false);
    const std::string file = dir.Path() + "/kivo/registry.ini";
    const auto onDisk = [&] {
        std::ifstream in(file);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    };
    const char* const names[] = { "A", "B", "C" };
    HKEY key = nullptr;
    {
        const platform::RegistryBatch outer;
        key = Create("SOFTWARE\\Batch");
        {
            const platform::RegistryBatch inner;
            for (DWORD i = 0; i < 3; ++i) {
                const DWORD value = i + 1;
                ASSERT_EQ(RegSetValueExA(key, names[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
                          ERROR_SUCCESS);
            }
        }
        EXPECT_FALSE(std::filesystem::exists(file));
        DWORD value = 0, size = 4;
        EXPECT_EQ(RegQueryValueExA(key, "B", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
        EXPECT_EQ(value, 2u);
    }
    const std::string text = onDisk();
    for (const char* line : { "\"A\"=dword:00000001", "\"B\"=dword:00000002", "\"C\"=dword:00000003" })
        EXPECT_NE(text.find(line), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));

    std::filesystem::remove(file);
    const DWORD same = 1, changed = 9;
    ASSERT_EQ(RegSetValueExA(key, "A", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&same), 4), ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(file));
    ASSERT_EQ(RegSetValueExA(key, "A", 0, REG_SZ, reinterpret_cast<const BYTE*>(&same), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "A", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&changed), 4), ERROR_SUCCESS);
    EXPECT_NE(onDisk().find("\"A\"=dword:00000009"), std::string::npos) << onDisk();
    RegCloseKey(key);

    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

} // namespace

namespace {

TEST(RegistryFile, AFolderWhereTheFileShouldBeIsSaidOnce)
{
    testsupport::TempDir dir;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    std::filesystem::create_directories(dir.Path() + "/kivo/registry.ini");
    platform::UseMemoryRegistry(false);
    testing::internal::CaptureStderr();
    for (int attempt = 0; attempt < 3; ++attempt) {
        HKEY key = nullptr;
        DWORD disposition = 0;
        // Every write tries to save; the failure shows in the result too.
        EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, ("Software\\Test" + std::to_string(attempt)).c_str(), 0,
                      const_cast<LPSTR>("Key"), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
        if (key)
            RegCloseKey(key);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Settings not saved: cannot write " + dir.Path() + "/kivo/registry.ini"), std::string::npos)
        << err;
    EXPECT_EQ(err.find("Settings not saved", err.find("Settings not saved") + 1), std::string::npos) << err;
    platform::UseMemoryRegistry(true);
    old ? setenv("XDG_CONFIG_HOME", saved.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
}

// A settings file with lines that cannot be read keeps what it can, is kept
// aside as registry.ini.bad before anything writes over it, and that is said
// in one line naming the copy. A file of our own making is left alone.
TEST_F(Registry, ADamagedFileIsKeptAsideAndSaidOnce)
{
    testsupport::TempDir dir;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    const std::string file = dir.Path() + "/kivo/registry.ini";
    const std::string section = "[\"HKEY_CURRENT_USER\\\\S\"]\n";
    struct Case {
        const char* what;
        std::string text;
        bool damaged;
        DWORD b; // the value "B" read back, 0 when missing
    };
    const Case cases[] = {
        { "garbage", std::string("\x7f" "ELF\0\x01\x02 garbage\n\xff\xfe", 16), true, 0 },
        { "a bad value among good ones", section + "\"A\"=dword:zz\n\"B\"=dword:00000002\n", true, 2 },
        { "a value outside any section", "\"B\"=dword:00000002\n" + section, true, 0 },
        { "ours", "; comment\n\n" + section + "\"B\"=dword:00000003\r\n", false, 3 },
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(dir.Path() + "/kivo");
        std::filesystem::create_directories(dir.Path() + "/kivo");
        std::ofstream(file, std::ios::binary) << c.text;
        platform::UseMemoryRegistry(false);
        testing::internal::CaptureStderr();
        HKEY key = nullptr;
        DWORD value = 0, size = 4;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "S", 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegQueryValueExA(key, "B", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
            RegCloseKey(key);
        }
        key = Create("Software\\New");
        RegCloseKey(key);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(value, c.b) << c.what;
        std::ifstream copy(file + ".bad", std::ios::binary);
        const std::string kept((std::istreambuf_iterator<char>(copy)), std::istreambuf_iterator<char>());
        if (c.damaged) {
            EXPECT_EQ(kept, c.text) << c.what;
            EXPECT_EQ(err, "Settings file " + file + " is damaged; kept as " + file + ".bad\n") << c.what;
        } else {
            EXPECT_FALSE(copy.is_open()) << c.what;
            EXPECT_EQ(err, "") << c.what;
        }
        // The new file holds what was read and the new key, and reads clean.
        platform::UseMemoryRegistry(false);
        testing::internal::CaptureStderr();
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, KEY_READ, &key), ERROR_SUCCESS) << c.what;
        RegCloseKey(key);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.what;
    }
    platform::UseMemoryRegistry(true);
    old ? setenv("XDG_CONFIG_HOME", saved.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
}

// Settings changed in a batch that cannot be saved are tried once more as
// the process ends, after other function-local statics are gone: a child
// process that exits normally must end cleanly and say so once.
TEST(RegistryFile, AnUnwritableFolderAtExitEndsCleanlyWithOneWarning)
{
    testsupport::TempDir dir;
    // A file named like the settings folder: nothing below it can be made.
    const std::string config = dir.Write("config/kivo", "x");
    const std::string err = dir.Path() + "/stderr.txt";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("XDG_CONFIG_HOME", (dir.Path() + "/config").c_str(), 1);
        if (!std::freopen(err.c_str(), "w", stderr))
            _exit(2);
        platform::UseMemoryRegistry(false);
        {
            platform::RegistryBatch batch;
            HKEY key = nullptr;
            RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Test", 0, const_cast<LPSTR>("Key"), REG_OPTION_NON_VOLATILE,
                KEY_ALL_ACCESS, nullptr, &key, nullptr);
            const DWORD one = 1;
            RegSetValueExA(key, "Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
            RegCloseKey(key);
        }
        std::exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    std::ifstream in(err);
    const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
    EXPECT_EQ(said, "Settings not saved: cannot write " + dir.Path() + "/config/kivo/registry.ini (Not a directory)\n");
}

} // namespace
