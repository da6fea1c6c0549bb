#include "tests/game/meta/TownTestSupport.h"

#include <gtest/gtest.h>

using namespace towntest;

namespace {

std::vector<uint8_t> Blob(Profile* p)
{
    Kivo::Buffer* b = p->GetBuffer("town_info");
    return b ? std::vector<uint8_t>(b->GetDataPtr(), b->GetDataPtr() + b->GetDataLen()) : std::vector<uint8_t>();
}

} // namespace

TEST(TownProgress, BuyingFirstBuildingCreatesTheBlob)
{
    TownFixture f;
    EXPECT_FALSE(Town::HasProgress());
    EXPECT_EQ(Town::GetBuiltCount(), 0);
    EXPECT_EQ(Town::GetCurrentStage(), 0);
    EXPECT_FALSE(Town::IsComplete());

    Town::SetBought(0);
    Town::SetAnimationLevels(0, 7);
    std::vector<uint8_t> blob = Blob(f.current.profile());
    ASSERT_EQ(blob.size(), 40u);
    EXPECT_EQ(blob[0], 1);
    EXPECT_EQ(blob[1], 7);
    EXPECT_EQ(std::count(blob.begin(), blob.end(), 0), 38);
    EXPECT_EQ(Town::GetBuiltCount(), 1);
}

TEST(TownProgress, BuiltCountStopsAtTheFirstGap)
{
    TownFixture f;
    struct Case {
        std::vector<int> bought;
        int built;
        int stage;
        bool complete;
    };
    std::vector<int> all;
    for (int i = 0; i < 20; ++i)
        all.push_back(i);
    const Case cases[] = {
        {{0, 1, 3}, 2, 0, false},
        {{0, 1, 2, 3, 4}, 5, 1, false},
        {{5, 6}, 0, 0, false},
        {all, 20, 4, true},
    };
    for (const Case& c : cases) {
        Town::CreateProgress();
        for (int i : c.bought)
            Town::SetBought(i);
        EXPECT_EQ(Town::GetBuiltCount(), c.built) << c.bought.size();
        EXPECT_EQ(Town::GetCurrentStage(), c.stage) << c.bought.size();
        EXPECT_EQ(Town::IsComplete(), c.complete) << c.bought.size();
    }
}

TEST(TownProgress, AgeingCountsBoughtBuildingsDownToZero)
{
    TownFixture f;
    Town::SetBought(0);
    Town::SetAnimationLevels(0, 1);
    Town::SetAnimationLevels(1, 3); // not bought: left alone
    Town::SetBought(2);
    for (int n = 0; n < 3; ++n)
        Town::AgeBuildingAnimations();
    EXPECT_EQ(Town::GetAnimationLevels(0), 0);
    EXPECT_EQ(Town::GetAnimationLevels(1), 3);
    EXPECT_EQ(Town::GetAnimationLevels(2), 0);
    Town::SetAnimationDone(0);
    EXPECT_TRUE(Town::IsAnimationDone(0));
    EXPECT_TRUE(Town::IsBought(0));
    EXPECT_FALSE(Town::IsAnimationDone(2));
}

TEST(TownProgress, OutOfRangeMissingOrShortProgress)
{
    TownFixture f;
    // Without a blob only SetBought writes.
    Town::SetAnimationDone(3);
    Town::SetAnimationLevels(3, 4);
    Town::AgeBuildingAnimations();
    EXPECT_FALSE(Town::HasProgress());

    for (int i : {-1, 20, 1 << 30}) {
        Town::SetBought(i);
        EXPECT_FALSE(Town::IsBought(i));
        EXPECT_EQ(Town::GetAnimationLevels(i), 0);
        EXPECT_FALSE(Town::CanAfford(i));
    }
    EXPECT_FALSE(Town::HasProgress());

    // A stored blob of three bytes: missing bytes read as 0, and a write
    // widens it to the full progress.
    Kivo::Buffer shortBlob;
    const uint8_t bytes[] = {1, 5, 1};
    shortBlob.SetData(bytes, 3);
    f.current.profile()->SetBuffer("town_info", &shortBlob);
    EXPECT_EQ(Town::GetBuiltCount(), 2);
    EXPECT_EQ(Town::GetAnimationLevels(1), 0);
    Town::SetAnimationLevels(19, 9);
    EXPECT_EQ(Blob(f.current.profile()).size(), 40u);
    EXPECT_EQ(Town::GetAnimationLevels(19), 9);
    EXPECT_EQ(Town::GetAnimationLevels(0), 5);

    // The game reset empties the blob.
    f.current.profile()->ResetGame();
    EXPECT_FALSE(Town::HasProgress());
    EXPECT_EQ(Town::GetBuiltCount(), 0);
}

TEST(TownProgress, NothingWithoutAProfile)
{
    TownFixture f;
    f.current.manager->slotIndex = -1;
    Town::SetBought(0);
    Town::CreateProgress();
    EXPECT_FALSE(Town::HasProgress());
    EXPECT_FALSE(Town::IsBought(0));
    EXPECT_FALSE(Town::CanAfford(0));
    f.current.manager->slotIndex = 0;
    EXPECT_FALSE(Town::HasProgress());
}

TEST(TownProgress, CanAffordComparesScoreWithCost)
{
    TownFixture f;
    f.current.profile()->SetInt("score_total", 500);
    EXPECT_TRUE(Town::CanAfford(4));  // costs 500
    EXPECT_FALSE(Town::CanAfford(5)); // costs 600
    // A stage file without the building makes nothing affordable.
    delete f.town->stages->stages.back();
    f.town->stages->stages.pop_back();
    f.current.profile()->SetInt("score_total", 100000);
    EXPECT_FALSE(Town::CanAfford(19));
}
