#include "tests/game/meta/TownTestSupport.h"

#include <gtest/gtest.h>

using namespace towntest;

namespace {

TownCommand Command(uint8_t kind, const std::string& target, const std::string& gfx = "")
{
    TownCommand c;
    c.kind = kind;
    c.target = target;
    c.gfx = gfx;
    return c;
}

bool Waiting(const Town* town, const std::string& id, int ticks)
{
    for (const GamePlaySound::Waiting& w : town->waiting)
        if (w.id == id && w.ticks == ticks)
            return true;
    return false;
}

} // namespace

TEST(TownCommands, ItemCommandsWithAndWithoutEffects)
{
    TownFixture f;
    Town* town = f.town;
    TownItem* path = town->FindItem("path");
    TownItem* deco = town->FindItem("deco");

    // A delay of 0 or less adds the effect itself and plays at once.
    for (float delay : {0.0f, -1.0f}) {
        TownCommand show = Command(TownCommand::kShow, "path");
        f.ClearEffects();
        town->RunCommand(&show, true, delay);
        ASSERT_EQ(f.added().size(), 1u);
        EXPECT_EQ(f.added()[0].kind, "Visible");
        EXPECT_EQ(f.added()[0].delay, 0.0f);
        EXPECT_TRUE(town->playedThisTick.count("SOUND_TOWN_BUILDING_APPEAR"));
        EXPECT_FALSE(path->shown); // the effect shows it
        town->GamePlaySound::Clear();
    }

    // A delay waits trunc(delay * 100) ticks; a stage item has its own sound.
    TownCommand showDeco = Command(TownCommand::kShow, "deco");
    f.ClearEffects();
    town->RunCommand(&showDeco, true, 2.5f);
    ASSERT_EQ(f.added().size(), 1u);
    EXPECT_EQ(f.added()[0].delay, 2.5f);
    EXPECT_TRUE(Waiting(town, "SOUND_TOWN_STAGE_APPEAR", 250));

    // Already shown, or no effect asked for: set at once, nothing added.
    deco->shown = true;
    town->GamePlaySound::Clear();
    f.ClearEffects();
    town->RunCommand(&showDeco, true, 0);
    TownCommand hidePath = Command(TownCommand::kHide, "path");
    path->shown = true;
    town->RunCommand(&hidePath, false, 0);
    EXPECT_FALSE(path->shown);
    // Hiding with an effect plays nothing.
    path->shown = true;
    town->RunCommand(&hidePath, true, 0);
    EXPECT_EQ(f.added().size(), 1u);
    EXPECT_TRUE(town->playedThisTick.empty());
    EXPECT_TRUE(town->waiting.empty());

    // Unknown items, kinds and null change nothing.
    TownCommand unknown = Command(TownCommand::kShow, "nowhere:gfx", "animation");
    TownCommand none = Command(TownCommand::kNone, "path");
    town->RunCommand(&unknown, true, 0);
    town->RunCommand(&none, true, 0);
    town->RunCommand(nullptr, true, 0);
    EXPECT_EQ(f.added().size(), 1u);
    EXPECT_TRUE(path->shown);
}

TEST(TownCommands, LayerCommands)
{
    TownFixture f;
    Town* town = f.town;
    TownItem* b01 = town->FindItem("b01");

    // Only gfx "animation" with effects asked for fades.
    TownCommand fade = Command(TownCommand::kShow, "b01:animation", "animation");
    town->RunCommand(&fade, true, 1.0f);
    ASSERT_EQ(f.added().size(), 1u);
    EXPECT_EQ(f.added()[0].kind, "LayerVisible:animation");
    EXPECT_EQ(f.added()[0].delay, 1.0f);
    EXPECT_TRUE(Waiting(town, "SOUND_TOWN_ANIMATION_APPEAR", 100));
    EXPECT_FALSE(b01->IsLayerVisible("animation"));

    town->RunCommand(&fade, false, 1.0f);
    EXPECT_TRUE(b01->IsLayerVisible("animation"));
    TownCommand plain = Command(TownCommand::kHide, "b01:gfx");
    town->RunCommand(&plain, true, 0);
    EXPECT_FALSE(b01->IsLayerVisible("gfx"));
    TownCommand showGfx = Command(TownCommand::kShow, "b01:gfx");
    town->RunCommand(&showGfx, true, 0);
    EXPECT_TRUE(b01->IsLayerVisible("gfx"));
    // A path that leads nowhere reads as hidden, yet has nothing to fade.
    TownCommand nowhere = Command(TownCommand::kShow, "b01:roof:animation", "animation");
    town->RunCommand(&nowhere, true, 0);
    EXPECT_EQ(f.added().size(), 1u);
    EXPECT_TRUE(town->waiting.size() == 1 && town->playedThisTick.empty());
}

TEST(TownCommands, ShowingBuildingsAndStages)
{
    TownFixture f;
    Town* town = f.town;
    for (int i = 0; i < 3; ++i)
        Town::SetBought(i);
    EXPECT_FALSE(town->ShowBuilding(0, 0, true));
    ASSERT_EQ(f.added().size(), 2u);
    EXPECT_EQ(f.added()[0].kind, "Fall");
    EXPECT_EQ(f.added()[0].item, "b00");
    EXPECT_EQ(f.added()[1].item, "path");
    EXPECT_EQ(f.added()[1].delay, 1.5f);
    EXPECT_TRUE(Waiting(town, "SOUND_TOWN_BUILDING_APPEAR", 150));
    EXPECT_FALSE(town->playedThisTick.count("SOUND_TOWN_BUILDING_APPEAR")); // falling sounds itself

    // The fourth purchase completes the stage; its commands wait 2.5 s.
    Town::SetBought(3);
    f.ClearEffects();
    EXPECT_TRUE(town->ShowBuilding(0, 3, true));
    ASSERT_EQ(f.added().size(), 2u);
    EXPECT_EQ(f.added()[0].kind, "Visible");
    EXPECT_TRUE(town->playedThisTick.count("SOUND_TOWN_BUILDING_APPEAR"));
    EXPECT_EQ(f.added()[1].item, "deco");
    EXPECT_EQ(f.added()[1].delay, 2.5f);

    // Not bought: hidden (with the fade when shown), no commands.
    f.ClearEffects();
    EXPECT_FALSE(town->ShowBuilding(1, 0, true));
    EXPECT_TRUE(f.added().empty());
    town->FindItem("b04")->shown = true;
    EXPECT_FALSE(town->ShowBuilding(1, 0, true));
    ASSERT_EQ(f.added().size(), 1u);
    EXPECT_FALSE(f.added()[0].show);
    EXPECT_TRUE(town->FindItem("b04")->shown);
    f.ClearEffects();

    // Indices beyond the progress or the stage file do nothing.
    for (auto [s, b] : {std::pair{0, 4}, {5, 0}, {-1, 0}, {0, -1}}) {
        EXPECT_FALSE(town->ShowBuilding(s, b, true));
        EXPECT_FALSE(town->ReplayBuildingAnimation(s, b, true));
        EXPECT_EQ(Town::GetBuildingItem(s, b), nullptr);
    }
    EXPECT_TRUE(f.added().empty());
}

TEST(TownCommands, RebuildFollowsTheProgressQuietly)
{
    TownFixture f;
    Town* town = f.town;
    for (int i = 0; i < 4; ++i)
        Town::SetBought(i);
    Town::SetAnimationDone(1);
    Town::SetBought(6); // after a gap: shown, but the stage is not complete
    town->FindItem("b10")->shown = true;
    town->FindItem("bg")->shown = false;
    town->FindItem("b02")->SetLayerVisible("animation", true);
    town->PlaySoundDelayed("SOUND_X", 10);
    town->PlaySound("SOUND_Y");

    town->Rebuild();
    for (int i = 0; i < 20; ++i) {
        char id[8];
        std::snprintf(id, sizeof id, "b%02d", i);
        EXPECT_EQ(town->FindItem(id)->shown, i < 4 || i == 6) << id;
        EXPECT_EQ(town->FindItem(id)->IsLayerVisible("animation"), i == 1) << id;
    }
    EXPECT_TRUE(town->FindItem("path")->shown);
    EXPECT_TRUE(town->FindItem("deco")->shown);
    EXPECT_TRUE(town->FindItem("bg")->shown);
    EXPECT_TRUE(f.added().empty());
    EXPECT_TRUE(town->waiting.empty());
    EXPECT_TRUE(town->playedThisTick.empty());

    // The end animation replays only once applied and bought.
    EXPECT_TRUE(town->ReplayBuildingAnimation(0, 1, true));
    EXPECT_FALSE(town->ReplayBuildingAnimation(0, 2, true));
}

TEST(GamePlaySoundTest, DelaysAndOncePerTick)
{
    GamePlaySound sounds;
    sounds.PlaySoundDelayed("A", 2);
    sounds.PlaySoundDelayed("A", 2);
    sounds.PlaySoundDelayed("B", 0);
    EXPECT_TRUE(sounds.playedThisTick.count("B"));
    sounds.Update();
    EXPECT_TRUE(sounds.playedThisTick.empty());
    ASSERT_EQ(sounds.waiting.size(), 2u);
    sounds.Update();
    EXPECT_TRUE(sounds.waiting.empty());
    sounds.PlaySoundDelayed("C", 5);
    sounds.Clear();
    EXPECT_TRUE(sounds.waiting.empty());
}
