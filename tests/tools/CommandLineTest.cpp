// The tools' command lines: help, wrong flags and arguments the tool cannot
// use, each with its exit code and what it prints where.
#include "tests/support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/wait.h>

using testsupport::TempDir;

namespace {

struct Outcome {
    int code = -1;
    std::string out, err;
};

std::string Slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

Outcome RunTool(const std::string& exe, const std::string& args)
{
    TempDir io;
    Outcome r;
    const int status = std::system((exe + " " + args + " >" + io / "out" + " 2>" + io / "err").c_str());
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = Slurp(io / "out");
    r.err = Slurp(io / "err");
    return r;
}

std::string Tool(const std::string& name)
{
    return name == "match3sim" ? std::string(MATCH3SIM_EXE) : std::string(TOOLS_DIR) + "/" + name;
}

TEST(ToolCommandLines, HelpSucceedsAndAWrongFlagIsAUsageError)
{
    for (const char* name : { "datacheck", "pakbuild", "datagen", "datagen_audio", "pyropack", "match3sim" }) {
        SCOPED_TRACE(name);
        const std::string usage = std::string("usage: ") + name + " ";
        Outcome help = RunTool(Tool(name), "--help");
        EXPECT_EQ(help.code, 0);
        EXPECT_EQ(help.out.rfind(usage, 0), 0u) << help.out;
        EXPECT_EQ(help.err, "");

        Outcome wrong = RunTool(Tool(name), "--no-such-flag");
        EXPECT_EQ(wrong.code, 2);
        EXPECT_EQ(wrong.out, "");
        EXPECT_NE(wrong.err.find(usage), std::string::npos) << wrong.err;
    }
}

TEST(ToolCommandLines, DatacheckNamesTheRulesForAnUnknownOne)
{
    Outcome r = RunTool(Tool("datacheck"), std::string("--rule BOGUS ") + DATACHECK_FIXTURES + "/music");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("no rule named BOGUS"), std::string::npos) << r.err;
    for (const char* rule : { "manifests_parse", "music", "decode" })
        EXPECT_NE(r.err.find(std::string("  ") + rule + "\n"), std::string::npos) << rule;
    EXPECT_EQ(r.out, "") << "no rule ran";
}

TEST(ToolCommandLines, Match3simRefusesNumbersItCannotReadAndNamesAMissingArchive)
{
    for (const char* args : { "--seed abc", "--seed 12x", "--seed -1", "--level abc", "--level 3x", "--move-limit x" }) {
        SCOPED_TRACE(args);
        Outcome r = RunTool(Tool("match3sim"), args);
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.out, "");
    }
    Outcome r = RunTool(Tool("match3sim"), "--data /nonexistent");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("/nonexistent/main.pak"), std::string::npos) << r.out;
}

TEST(ToolCommandLines, DatagenChecksItsSourceBeforeWriting)
{
    TempDir dir;
    struct Case {
        const char* step;
        std::string missing;
    } cases[] = {
        { "xml", dir / "none/properties" },
        { "pack", dir / "none/config.xml" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        Outcome r = RunTool(Tool("datagen"), std::string(c.step) + " " + dir / "none" + " " + dir / "out");
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find(c.missing + " is missing"), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "out")) << "nothing is written";
    }
    dir.Write("src/properties/a.xml", "<a/>");
    Outcome r = RunTool(Tool("datagen"), "xml " + dir / "src" + " " + dir / "out");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(dir / "src/levels.txt is missing"), std::string::npos) << r.err;
}

TEST(ToolCommandLines, DatagenRefusesAMalformedXmlFileWithItsLine)
{
    struct Case {
        const char* text;
        int line;
    } cases[] = {
        { "<a>\n  <b>\n  </c>\n</a>\n", 3 },                // end tag of another element
        { "<a>\n  <b x=\"1/>\n</a>\n", 2 },                 // quote never closed
        { "<a>\n\n  <b y=\"2\" y=\"3\"/>\n</a>\n", 3 },     // attribute given twice
        { "<a>\n  <b/>\n", 3 },                               // never closed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TempDir dir;
        dir.Write("src/levels.txt", "");
        dir.Write("src/properties/good.xml", "<a/>\n");
        dir.Write("src/properties/sub/bad.xml", c.text);
        Outcome r = RunTool(Tool("datagen"), "xml " + dir / "src" + " " + dir / "out");
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find(dir / "src/properties/sub/bad.xml:" + std::to_string(c.line) + ": "), std::string::npos)
            << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "out/tree/properties/sub/bad.xml"));
        EXPECT_FALSE(std::filesystem::exists(dir / "out/xml.stamp"));
    }
}

} // namespace
