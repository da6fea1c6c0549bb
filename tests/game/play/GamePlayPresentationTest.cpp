#include "tests/game/play/GamePlayTestSupport.h"

#include "game/effects/GfxDelay.h"
#include "game/effects/GfxFluids.h"
#include "game/effects/GfxParticledText.h"
#include "game/match/BrickColored.h"
#include "game/match/CellItem.h"
#include "game/match/Grid.h"
#include "game/ui/Callback.h"

#include <gtest/gtest.h>

using namespace playtest;

namespace {

TEST(Presentation, ShakeDiesDown)
{
    Swap play;
    play.ShakeField(0.7f);
    play.ShakeField(0.7f);
    EXPECT_FLOAT_EQ(play.GetShake(), 1.0f);
    Grid::Instance()->mShakeX = 2;
    int updates = 0;
    while (play.GetShake() > 0 && updates < 100) {
        play.UpdateShake();
        ++updates;
    }
    EXPECT_GE(updates, 20);
    EXPECT_LE(updates, 21);
    EXPECT_EQ(Grid::Instance()->mShakeX, 0);
}

TEST(Presentation, EffectCounts)
{
    Swap play;
    play.AddDelay(0.5f);
    EXPECT_TRUE(play.HasBoardEffects());
    play.AddOverlay(new GfxDelay(0.5f, true));
    play.AddOverlay(nullptr);
    EXPECT_EQ(play.GetEffectCount(), 2);
    play.Effects(60);
    EXPECT_EQ(play.GetEffectCount(), 0);
    EXPECT_FALSE(play.HasBoardEffects());
}

TEST(Presentation, WaveTimes)
{
    struct Case {
        int pattern, x, y;
        float t;
    };
    const Case cases[] = {
        { 0, 3, 5, 4.0f }, { 1, 0, 0, 9.0f }, { 1, 4, 5, 1.0f }, { 2, 7, 3, 3.0f },
        // The spiral: round the outer ring clockwise from the top-left corner,
        // then the next ring in.
        { 3, 0, 0, 0.1f }, { 3, 9, 0, 1.0f }, { 3, 9, 9, 1.9f }, { 3, 0, 9, 2.8f }, { 3, 0, 1, 3.6f },
        { 3, 1, 1, 3.7f }, { 3, 8, 1, 4.4f }, { 3, 4, 4, 9.7f },
    };
    for (const Case& c : cases)
        EXPECT_NEAR(GamePlayGfx::WaveTime(c.pattern, c.x, c.y, 10), c.t, 1e-4) << c.pattern << " " << c.x << "," << c.y;
}

TEST(Presentation, BoardWideEvents)
{
    Swap play;
    play.Paint({ "-1 -2" });
    auto* brick = static_cast<BrickColored*>(play.GetBrick(1, 0));
    play.DoEvent(0, 0.0f);
    EXPECT_TRUE(brick->IsStateOn(9));
    play.DoEvent(1, 0.0f);
    EXPECT_FALSE(brick->IsStateOn(9));
    play.DoEvent(4, 0.0f);
    EXPECT_EQ(static_cast<CellItem*>(play.GetCell(0, 0))->GetVisibility(), 0.0f);
    play.DoEvent(8, 0.0f);
    EXPECT_FLOAT_EQ(play.GetShake(), 1.0f);
    play.DoEvent(10, 0.3f);
    EXPECT_TRUE(play.HasBoardEffects());
}

TEST(Presentation, StatesIgnoreCellsOffTheBoard)
{
    Swap play;
    play.SelectBrick(-1, 3);
    play.UnselectBrick(10, 0);
    play.HighlightBrick(0, 10);
    play.GlowBrick(-5, -5, 3);
    play.UnglowBrick(12, 1);
    play.ShowWrongSwap(-1, 0, 0, 0);
    SUCCEED();
}

TEST(Presentation, PitchedSoundsOncePerTick)
{
    Swap play;
    play.PlaySoundPitched("SOUND_COMBO", 2, 0);
    play.PlaySoundPitched("SOUND_COMBO", 3, 0);
    EXPECT_EQ(play.playedThisTick.size(), 1u);
    play.UpdateGfx();
    EXPECT_TRUE(play.playedThisTick.empty());
}

struct Hits {
    void Hit() { ++n; }
    int n = 0;
};

TEST(Presentation, EachStreamStrikesOnceWhenItArrives)
{
    TickFrames frames;
    Swap play;
    Hits hits[20];
    for (int i = 0; i < 20; ++i)
        play.ShowFluids(300, 560, 200 + 20 * i, 100, new CB_Callback<Hits, void>(&hits[i], &Hits::Hit));
    EXPECT_EQ(play.Running<GfxFluids>(), 20);
    // Nothing lands before the streams have flown.
    play.Effects(10);
    for (const Hits& h : hits)
        EXPECT_EQ(h.n, 0);
    play.Effects(200);
    for (const Hits& h : hits)
        EXPECT_EQ(h.n, 1);
    EXPECT_EQ(play.GetEffectCount(), 0);
}

TEST(Presentation, WonLevelsShowTheirTextAfterAMoment)
{
    for (int kind : { 11, 12 }) {
        Swap play;
        play.Paint({ Row("1212121212"), Row("3434343434") });
        play.DoEvent(kind, 0.0f);
        auto waitingText = [&play] {
            int n = 0;
            for (gfxBase* e : play.mBoardEffects.mEffects)
                if (auto* delay = dynamic_cast<GfxDelay*>(e))
                    n += dynamic_cast<GfxParticledText*>(delay->mNextEffect) != nullptr;
            return n;
        };
        EXPECT_EQ(waitingText(), 1) << kind;
        play.Effects(118);
        EXPECT_EQ(waitingText(), 1) << kind;
        play.Effects(4);
        EXPECT_EQ(waitingText(), 0) << kind;
        EXPECT_EQ(play.Running<GfxParticledText>(), 1) << kind;
    }
}

} // namespace
