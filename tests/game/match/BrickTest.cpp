#include "MatchTestSupport.h"
#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "game/match/BrickColored.h"
#include "game/match/BrickHelper.h"
#include "game/match/BrickKey.h"
#include "game/match/CellBase.h"
#include "game/match/CellItem.h"
#include "tests/support/DiscImage.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>
#include <memory>
#include <set>

namespace {

TEST(Brick, FactoryByCode)
{
    struct Case {
        int code;
        int made;
    };
    const Case cases[] = { { 0, 0 }, { 1, 1 }, { 10, 10 }, { 11, 0 }, { 12, 12 }, { 250, 0 }, { 255, 0 }, { -3, 0 } };
    for (const Case& c : cases) {
        std::unique_ptr<BrickBase> brick(CreateBrick(c.code));
        EXPECT_EQ(brick->GetCode(), c.made) << c.code;
    }
    std::unique_ptr<BrickBase> key(CreateBrick(12));
    EXPECT_NE(dynamic_cast<BrickKey*>(key.get()), nullptr);
    for (int kind : { 0, 1, 2, 255 }) {
        std::unique_ptr<CellBase> cell(CreateCell(kind, 0, 0));
        EXPECT_EQ(cell->GetKind(), kind == 1 ? 1 : 0) << kind;
    }
    EXPECT_EQ(ClassifyCode(1), 1);
    EXPECT_EQ(ClassifyCode(10), 1);
    EXPECT_EQ(ClassifyCode(11), 2);
    EXPECT_EQ(ClassifyCode(12), 0);
    EXPECT_EQ(ClassifyCode(0), 0);
}

TEST(Brick, Flags)
{
    std::unique_ptr<BrickBase> brick(CreateBrick(3));
    brick->SetFlag(2);
    EXPECT_TRUE(brick->HasFlag(3));
    EXPECT_FALSE(brick->HasFlag(1));
    brick->ToggleFlag(6);
    EXPECT_EQ(brick->GetFlags(), 4u);
    brick->ClearFlag(4);
    EXPECT_EQ(brick->GetFlags(), 0u);

    std::unique_ptr<BrickBase> key(CreateBrick(12));
    key->SetFlag(4);
    key->ToggleFlag(1);
    EXPECT_EQ(key->GetFlags(), 0u);
}

TEST(Brick, FallOverTwoCellsLandsOnce)
{
    LandingLog log;
    std::unique_ptr<BrickBase> brick(CreateBrick(5));
    brick->mListener = &log;
    brick->PlaceAt(3, 0);
    brick->MoveTo(3, 1);
    EXPECT_TRUE(brick->IsBusy());
    // The next cell of the fall is ordered as soon as the first is reached.
    while (brick->IsBusy())
        brick->Update(1.0f);
    brick->MoveTo(3, 2);
    for (int i = 0; i < 200; ++i)
        brick->Update(1.0f);
    ASSERT_EQ(log.landings.size(), 1u);
    BrickBase placed;
    placed.PlaceAt(3, 2);
    EXPECT_EQ(log.landings[0].x, static_cast<int>(placed.mX));
    EXPECT_EQ(log.landings[0].y, static_cast<int>(placed.mY));
    EXPECT_FALSE(brick->IsBusy());
}

TEST(Brick, HoldStateHidesAndKeepsBusy)
{
    std::unique_ptr<BrickBase> brick(CreateBrick(2));
    brick->PlaceAt(0, 0);
    brick->SetState(9);
    EXPECT_TRUE(brick->IsBusy());
    brick->StopAllStates();
    EXPECT_FALSE(brick->IsBusy());
}

// A shaking brick jitters each frame it is drawn; the game's generator must
// not count the frames, or a replayed game would draw other numbers.
TEST(Brick, ShakingBrickDrawsWithoutTheGamesGenerator)
{
    RecordingImage screen(800, 600);
    Kivo::Graphics g(&screen);
    BrickColored brick(3);
    brick.SetState(4);
    ASSERT_TRUE(brick.IsStateOn(4));
    Kivo::SeedRandomInt(77);
    const uint32_t before = Kivo::GetRandomIntState();
    for (int i = 0; i < 5; ++i)
        brick.DrawTop(g);
    EXPECT_EQ(Kivo::GetRandomIntState(), before);
}

// A glowing brick faded out draws nothing, glow included, until it fades in.
TEST(Brick, FadedOutBrickStaysHidden)
{
    struct Glowing : BrickColored {
        Glowing() : BrickColored(3) { mImage = mGlowImage = picture.get(); }
        std::unique_ptr<Kivo::MemoryImage> picture = testsupport::DiscImage(45, 45, 20);
    } brick;
    brick.PlaceAt(0, 0);
    brick.StartState(3, 1.0f);
    RecordingImage screen(800, 600);
    Kivo::Graphics g(&screen);
    // The largest alpha of what one draw puts on the screen, -1 for nothing.
    auto drawnAlpha = [&] {
        screen.mOps.clear();
        brick.DrawTop(g);
        int alpha = -1;
        for (const RecordingImage::Op& op : screen.mOps)
            alpha = std::max(alpha, static_cast<int>(op.mColor.mAlpha));
        return alpha;
    };
    auto run = [&](int frames) {
        for (int i = 0; i < frames; ++i)
            brick.Update(1.0f);
    };
    run(30);
    EXPECT_EQ(drawnAlpha(), 255);
    brick.SetState(8);
    run(12);
    const int halfWay = drawnAlpha();
    EXPECT_GT(halfWay, 0);
    EXPECT_LT(halfWay, 255);
    // Turned back mid-way, the fade runs on from where the alpha stands.
    brick.SetState(7);
    run(1);
    EXPECT_GT(drawnAlpha(), halfWay);
    brick.SetState(8);
    run(1);
    EXPECT_NEAR(drawnAlpha(), halfWay, 1);
    run(40);
    EXPECT_FALSE(brick.IsStateOn(8));
    EXPECT_EQ(drawnAlpha(), -1);
    brick.SetState(8); // asked again while hidden: stays hidden
    run(5);
    EXPECT_EQ(drawnAlpha(), -1);
    brick.SetState(7);
    run(40);
    EXPECT_EQ(drawnAlpha(), 255);
}

// An energised brick's halo: its glow 1.4 times its size about its centre,
// white, added with an alpha that pulses with the tick count.
TEST(Brick, EnergizedGlowPulsesEnlarged)
{
    struct Energized : BrickColored {
        Energized() : BrickColored(3) { mImage = nullptr, mGlowImage = glow.get(); }
        void SetTick(int tick) { mTickCount = tick; }
        std::unique_ptr<Kivo::MemoryImage> glow = testsupport::DiscImage(20, 20, 8);
    } brick;
    brick.mX = 100;
    brick.mY = 200;
    brick.SetFlag(kBrickEnergized);
    struct Stretches : RecordingImage {
        Stretches() : RecordingImage(800, 600) {}
        void StretchBlt(Kivo::Image*, const Kivo::Rect& dest, const Kivo::Rect&, const Kivo::Rect&,
                        const Kivo::Color& color, int mode, bool) override
        {
            drawn.push_back({ dest, color, mode });
        }
        struct Drawn {
            Kivo::Rect dest;
            Kivo::Color color;
            int mode;
        };
        std::vector<Drawn> drawn;
    } screen;
    Kivo::Graphics g(&screen);
    struct Case {
        int tick, alpha; // 40 + 30 |sin(tick / 10)|, truncated
    } cases[] = { { 0, 40 }, { 16, 69 }, { 31, 41 }, { 47, 69 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tick);
        screen.drawn.clear();
        brick.SetTick(c.tick);
        brick.DrawTop(g);
        ASSERT_EQ(screen.drawn.size(), 1u);
        EXPECT_EQ(screen.drawn[0].dest, Kivo::Rect(96, 196, 28, 28));
        Kivo::Color white(255, 255, 255);
        white.mAlpha = c.alpha;
        EXPECT_EQ(screen.drawn[0].color, white);
        EXPECT_EQ(screen.drawn[0].mode, 1);
    }
}

TEST(Brick, KeyAlwaysAnimatesAndNeverShines)
{
    BrickKey key;
    EXPECT_TRUE(key.IsStateOn(1));
    key.StopState(1);
    key.StopAllStates();
    EXPECT_TRUE(key.IsStateOn(1));
    key.SetState(2);
    EXPECT_FALSE(key.IsStateOn(2));
}

TEST(BonusTables, SlotsKindsAndColours)
{
    const int kinds[5] = { 4, 1, 5, 6, 0 };
    for (int slot = 0; slot < 5; ++slot) {
        EXPECT_EQ(BonusSlotToKind(slot), kinds[slot]);
        EXPECT_EQ(BonusKindToSlot(kinds[slot]), slot);
    }
    for (int bad : { -1, 5 })
        EXPECT_EQ(BonusSlotToKind(bad), -1);
    for (int bad : { 2, 3, 7, -1 })
        EXPECT_EQ(BonusKindToSlot(bad), -1);
    EXPECT_STREQ(GetBonusBrickImageId(5), "BRICK_BONUS_ROW");
    EXPECT_STREQ(GetBonusBrickImageId(2), "");
    const int slotOfCode[13] = { -1, 0, -1, -1, 1, 1, 0, 3, 4, 2, 3, -1, -1 };
    for (int code = 0; code <= 12; ++code)
        EXPECT_EQ(ColourToBonusSlot(code), slotOfCode[code]) << code;
}

TEST(ColourSets, ParseAndPick)
{
    auto sets = ParseColourSets("<chipsets><chipset>0347</chipset><chipset>9x9</chipset><chipset/></chipsets>");
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_EQ(sets[0], (std::vector<int> { 0, 3, 4, 7 }));
    EXPECT_EQ(sets[1], (std::vector<int> { 9, 9 }));
    EXPECT_TRUE(sets[2].empty());
    EXPECT_TRUE(ParseColourSets("<chipsets><chipset>01</chipset>").empty());

    BrickHelper* helper = BrickHelper::Instance();
    auto saved = helper->mColourSets;
    helper->mColourSets = sets;
    Kivo::SeedRandomInt(99);
    for (int round = 0; round < 20; ++round) {
        std::vector<int> colours;
        ASSERT_TRUE(helper->PickLevelColours(colours, 3, 0));
        ASSERT_EQ(colours.size(), 3u);
        EXPECT_TRUE(std::is_sorted(colours.begin(), colours.end()));
        EXPECT_EQ(std::set<int>(colours.begin(), colours.end()).size(), 3u);
        for (int c : colours)
            EXPECT_TRUE(c == 1 || c == 4 || c == 5 || c == 8) << c;
    }
    // Asking for more colours than a set holds gives all it has instead of
    // drawing for ever; an empty set gives none.
    std::vector<int> colours;
    ASSERT_TRUE(helper->PickLevelColours(colours, 5, 1));
    EXPECT_EQ(colours, (std::vector<int> { 10 }));
    ASSERT_TRUE(helper->PickLevelColours(colours, 5, 2));
    EXPECT_TRUE(colours.empty());
    EXPECT_FALSE(helper->PickLevelColours(colours, 3, 3));
    EXPECT_FALSE(helper->PickLevelColours(colours, 3, -1));

    // Same seed, same choices.
    Kivo::SeedRandomInt(7);
    std::vector<int> first;
    int firstSet = helper->PickRandomColourSet(first, 2);
    Kivo::SeedRandomInt(7);
    std::vector<int> second;
    EXPECT_EQ(helper->PickRandomColourSet(second, 2), firstSet);
    EXPECT_EQ(first, second);

    helper->mColourSets.clear();
    EXPECT_EQ(helper->PickRandomColourSet(colours, 3), -1);
    helper->mColourSets = saved;
}

TEST(BrickHelper, ColoursAndLookups)
{
    BrickHelper* helper = BrickHelper::Instance();
    Kivo::Color c;
    ASSERT_TRUE(helper->GetColour(1, c));
    EXPECT_EQ(c.GetBlue(), 255);
    EXPECT_EQ(c.GetGreen(), 100);
    ASSERT_TRUE(helper->GetColour(12, c));
    EXPECT_EQ(c.GetRed(), 255);
    EXPECT_FALSE(helper->GetColour(0, c));
    EXPECT_FALSE(helper->GetColour(11, c));
    EXPECT_EQ(helper->GetBrickImage(0), nullptr);
    EXPECT_EQ(helper->GetBrickImage(13), nullptr);
    EXPECT_EQ(helper->GetGlowImage(12), nullptr);
}

} // namespace

namespace {

TEST(Cell, VisibilityFades)
{
    std::unique_ptr<CellBase> base(CreateCell(1, 2, 3));
    auto* cell = static_cast<CellItem*>(base.get());
    auto run = [&] {
        for (int i = 0; i < 100; ++i)
            cell->Update(1.0f);
    };
    EXPECT_EQ(cell->GetVisibility(), 1.0f);
    cell->SetState(2);
    cell->Update(1.0f);
    EXPECT_FLOAT_EQ(cell->GetVisibility(), 0.96f);
    run();
    EXPECT_EQ(cell->GetVisibility(), 0.0f);
    // Fading in from rest starts from nothing; a fade out standing at 0
    // stays there.
    cell->SetState(2);
    EXPECT_EQ(cell->GetVisibility(), 0.0f);
    cell->SetState(1);
    run();
    EXPECT_EQ(cell->GetVisibility(), 1.0f);
    cell->SetState(3);
    EXPECT_EQ(cell->GetVisibility(), 0.0f);
    cell->ResetStates();
    EXPECT_EQ(cell->GetVisibility(), 1.0f);
    cell->SetFlag(kCellBreakable | kCellSecondHit);
    cell->ClearFlag(kCellSecondHit);
    EXPECT_TRUE(cell->HasFlag(kCellBreakable));
    EXPECT_FALSE(cell->HasFlag(kCellSecondHit));
}

} // namespace
