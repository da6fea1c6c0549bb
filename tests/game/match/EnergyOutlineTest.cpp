#include "game/match/BrickColored.h"
#include "game/match/EnergyOutline.h"

#include "framework/graphics/Graphics.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

namespace {

struct Log {
    int made = 0, updates = 0, draws = 0;
    int alpha = 0;
};
Log gLog;

class CountingOutline : public EnergyOutline {
public:
    void Update(float) override { ++gLog.updates; }
    void DrawAt(Kivo::Graphics* g, float, float) override
    {
        ++gLog.draws;
        gLog.alpha = g->GetColor().mAlpha;
    }
};

TEST(EnergyOutline, OnlyEnergisedBricksMakeUpdateAndDrawOne)
{
    gLog = {};
    SetEnergyOutlineMaker([](Kivo::Image*) -> EnergyOutline* {
        ++gLog.made;
        return new CountingOutline;
    });
    RecordingImage screen(800, 600);
    Kivo::Graphics g(&screen);
    BrickColored brick(3);
    brick.Update(1.0f);
    brick.DrawTop(g);
    EXPECT_EQ(gLog.made, 0);
    brick.SetFlag(kBrickEnergized);
    brick.Update(1.0f);
    brick.Update(1.0f);
    brick.DrawTop(g);
    EXPECT_EQ(gLog.made, 1);
    EXPECT_EQ(gLog.updates, 2);
    EXPECT_EQ(gLog.draws, 1);
    EXPECT_EQ(gLog.alpha, 160);
    SetEnergyOutlineMaker(nullptr);
}

} // namespace
