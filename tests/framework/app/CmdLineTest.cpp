#include "framework/app/KivoAppBase.h"
#include "framework/core/Paths.h"
#include "platform/Backend.h"
#include "platform/win32/CommandLine.h"
#include "tests/support/ScopedCwd.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace Kivo;

namespace {

class Recorder : public KivoAppBase {
public:
    void HandleCmdLineParam(const std::string& name, const std::string& value) override
    {
        params += "(" + name + "," + value + ")";
    }
    std::string params;
};

std::string Split(const std::string& text)
{
    Recorder app;
    app.ParseCmdLineString(text);
    return app.params;
}

TEST(CmdLine, Splitting)
{
    struct Row {
        const char* text;
        const char* params;
    } rows[] = {
        { "-a=1 \"-b=x y\" c", "(-a,1)(-b,x y)(c,)" },
        { "a  b", "(a,)(b,)" },
        { "=5 set_start_level=level3", "" },
        { "a=1=2 b", "(a,12)(b,)" },
        { "-demofile=\"my demo.dmo\"", "(-demofile,my demo.dmo)" },
        { "\"a b\"c", "(a b,)(c,)" },
        { "", "" },
    };
    for (const Row& r : rows)
        EXPECT_EQ(Split(r.text), r.params) << r.text;
}

TEST(CmdLine, ProgramNameIsSkipped)
{
    struct Row {
        std::vector<const char*> argv;
        const char* params;
    } rows[] = {
        { { "/opt/my game/marrowfen", "a=1", "two words" }, "(a,1)(two words,)" },
        { { "marrowfen", "x" }, "(x,)" },
        { { "marrowfen" }, "" },
    };
    for (const Row& r : rows) {
        platform::SetCommandLine(static_cast<int>(r.argv.size()), r.argv.data());
        Recorder app;
        app.ParseCmdLine();
        EXPECT_TRUE(app.cmdLineParsed);
        EXPECT_EQ(app.params, r.params) << GetCommandLineA();
    }
    const char* unclosed[] = { "\"marrowfen", "a" };
    platform::SetCommandLine(1, unclosed);
    EXPECT_STREQ(GetCommandLineA(), "\"marrowfen");
    Recorder app;
    app.ParseCmdLine();
    EXPECT_EQ(app.params, "");
    EXPECT_TRUE(app.cmdLineParsed);
}

TEST(CmdLine, FrameworkOptions)
{
    testsupport::TempDir dir;
    testsupport::ScopedCwd cwd(dir.Path());
    for (const char* f : { "kivoapp3.dmo", "kivoapp7.dmo", "kivoapp12.dmo", "kivoappX.dmo" })
        dir.Write(f, "");

    KivoAppBase app;
    app.ParseCmdLineString("-screensaver -changedir=\"/some dir\" -play");
    EXPECT_TRUE(app.screensaverMode);
    EXPECT_EQ(app.programFolder, "/some dir");
    EXPECT_TRUE(app.demoPlaying);
    EXPECT_EQ(app.demoFileName, "kivoapp.dmo");

    app.ParseCmdLineString("-playnum=2");
    EXPECT_EQ(app.demoFileName, "kivoapp11.dmo");
    EXPECT_TRUE(app.demoPlaying);

    app.ParseCmdLineString("-recnum=3");
    EXPECT_EQ(app.demoFileName, GetAppDataFolder() + "kivoapp13.dmo");
    EXPECT_TRUE(app.demoRecording);
    EXPECT_FALSE(app.demoPlaying);
    EXPECT_FALSE(std::filesystem::exists(dir / "kivoapp3.dmo")); // the oldest of three goes
    app.ParseCmdLineString("-recnum");
    EXPECT_TRUE(std::filesystem::exists(dir / "kivoapp7.dmo")); // n = 5 keeps it

    app.ParseCmdLineString("-demofile=\"C:\\my demo.dmo\" -record");
    EXPECT_EQ(app.demoFileName, "C:\\my demo.dmo");
    EXPECT_TRUE(app.demoRecording);
}

TEST(CmdLineDeathTest, UnknownOptionIsFatal)
{
    EXPECT_EXIT(
        {
            // The system backend writes the message box to stderr.
            platform::UseBackend("system");
            KivoAppBase app;
            app.ParseCmdLineString("-bogus");
        },
        testing::ExitedWithCode(0), "Invalid command line parameter: -bogus");
}

} // namespace
