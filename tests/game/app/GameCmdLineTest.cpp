#include "game/app/GameCmdLine.h"

#include <gtest/gtest.h>

namespace {

class GameApp : public Kivo::KivoAppBase {
public:
    void HandleCmdLineParam(const std::string& name, const std::string& value) override
    {
        HandleGameCmdLineParam(*this, name, value);
    }
};

TEST(GameCmdLine, OnlyTheStartLevelCounts)
{
    struct Row {
        const char* text;
        int level; // -100: unchanged
    } rows[] = {
        { "set_start_level=level12", 12 },
        { "set_start_level=level0071", 7 },
        { "set_start_level=12", -100 },
        { "set_start_level=level5 -screensaver -play -bogus", 5 },
        { "=5 set_start_level=level3", -100 },
        { "set_start_level=\"my level 4\"", 4 },
        { "set_start_level=levelx", 0 },
        { "set_start_level=level-5", -100 },
        { "Set_Start_Level=level5", -100 },
    };
    for (const Row& r : rows) {
        GameApp app;
        app.ParseCmdLineString(r.text);
        EXPECT_EQ(app.GetInteger("set_start_level", -100), r.level) << r.text;
        EXPECT_FALSE(app.screensaverMode);
        EXPECT_FALSE(app.demoPlaying);
    }
}

} // namespace
