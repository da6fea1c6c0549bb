#include "game/effects/GfxManager.h"
#include "game/meta/TownScreen.h"
#include "tests/game/meta/ScreenTestSupport.h"

#include <gtest/gtest.h>

using namespace towntest;

TEST(TownScreenTest, ClicksDuringTheFadePopOnceAndEachVisitHasOnePrompt)
{
    ScreenFixture f;
    auto screen = std::make_unique<TownScreen>();
    screen->mStateManager = &f.states;
    for (int visit = 0; visit < 2; ++visit) {
        screen->mLeft = false;
        screen->Enter();
        ASSERT_EQ(screen->mEffects->size(), 1u);
        EXPECT_EQ(screen->mEffects->mEffects.front()->name(), "GfxClickToContinue");
        f.app.Steps(3);
        screen->MouseDownButton(10, 10, 1, 1);
        screen->KeyDown(13);
        screen->KeyDown(27);
        screen->MouseDownButton(10, 10, 1, 1);
        f.app.Steps(100);
        EXPECT_EQ(f.states.mCalls, (std::vector<std::string>{"pop"})) << visit;
        f.states.mCalls.clear();
    }
    // Other keys do nothing.
    screen->mLeft = false;
    screen->Enter();
    screen->KeyDown('A');
    f.app.Steps(100);
    EXPECT_TRUE(f.states.mCalls.empty());
    screen->Leave();
}
