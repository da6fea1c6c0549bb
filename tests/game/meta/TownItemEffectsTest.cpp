#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "game/effects/GfxPyroSystem.h"
#include "tests/game/meta/TownTestSupport.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

using namespace towntest;

namespace {

// The particle bursts an effect has queued to follow it: emitter positions.
std::vector<std::pair<int, int>> Bursts(gfxBase* effect)
{
    std::vector<std::pair<int, int>> out;
    for (gfxBase* next : effect->mNext)
        if (auto* pyro = dynamic_cast<GfxPyroSystem*>(next))
            out.push_back({static_cast<int>(pyro->Emitter().mX), static_cast<int>(pyro->Emitter().mY)});
    return out;
}

const std::vector<std::string> kSounds = {"SOUND_TOWN_BUILDING_FALL_START", "SOUND_TOWN_BUILDING_FALL_END",
                                          "SOUND_TOWN_BUILDING_GROW"};

// One item built from an "Object" element over registered images: "H100"
// is 20 x 100, "P1".."P3" parts of 10 x 10, 10 x 20 and 10 x 30.
class EffectsFixture : public ::testing::Test {
protected:
    EffectsFixture()
    {
        AddTownImages(resources);
        resources.AddImage("H100", 20, 100);
        for (int i = 1; i <= 3; ++i)
            resources.AddImage("P" + std::to_string(i), 10, 10 * i);
        resources.AddSounds(kSounds);
    }
    TownItem* Item(const std::string& xml)
    {
        doc.Clear();
        doc.Parse(xml.c_str());
        item = std::make_unique<TownItem>();
        return item->Load(doc.RootElement()) ? item.get() : nullptr;
    }
    // One update as the screens run it: the per-tick pass, then dt 1.
    void Step()
    {
        item->Update();
        item->UpdateF(1);
    }
    std::vector<RecordingImage::Op> Draw()
    {
        RecordingImage screen(800, 600);
        Kivo::Graphics g(&screen);
        item->Draw(&g);
        return screen.mOps;
    }
    // Steps until the item's effects are all gone; the number of steps.
    int RunOut(int limit = 1000)
    {
        int steps = 0;
        while (!item->effects.empty() && steps < limit) {
            Step();
            ++steps;
        }
        return steps;
    }
    int Played(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& s : resources.mPlayed)
            n += s.rfind(prefix, 0) == 0;
        return n;
    }

    testsupport::ResourceTable resources;
    TiXmlDocument doc;
    std::unique_ptr<TownItem> item;
};

TEST_F(EffectsFixture, FallDropsFromAboveTheScreenOntoItsPlace)
{
    ASSERT_TRUE(Item(R"(<Object id="h"><Type id="building"/><Layer x="50" y="300">
        <Layer name="gfx"><Image id="H100"/></Layer><Layer name="town"><Image id="X"/></Layer></Layer></Object>)"));
    auto* fall = new GfxTownItemFall(item.get());
    item->effects.addEffect(fall);
    item->Update();
    EXPECT_FALSE(item->shown);
    EXPECT_EQ(resources.mPlayed, (std::vector<std::string>{"SOUND_TOWN_BUILDING_FALL_START"}));
    EXPECT_EQ(fall->mCurrentY, -100);
    EXPECT_EQ(fall->mX, 50);
    EXPECT_EQ(fall->mY, 300);
    item->UpdateF(150); // well on its way
    std::vector<RecordingImage::Op> ops = Draw();
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].mRect.mX, 50);
    EXPECT_EQ(ops[0].mRect.mY + ops[0].mRect.mHeight, static_cast<int>(fall->mCurrentY) + 100);

    // It ends on the first pass where it has reached y 300.
    float before = 0;
    int steps = 0;
    while (!item->effects.empty()) {
        before = fall->mCurrentY;
        item->UpdateF(1);
        item->Update();
        ++steps;
        ASSERT_LT(steps, 1000);
    }
    EXPECT_LT(before, 300);
    EXPECT_TRUE(item->shown);
    EXPECT_EQ(Played("SOUND_TOWN_BUILDING_FALL_END"), 1);

    // Landing raises dust at the picture's centre.
    GfxTownItemFall direct(item.get());
    ASSERT_TRUE(direct.start());
    EXPECT_TRUE(Bursts(&direct).empty());
    while (direct.process() == 0)
        direct.update(10);
    EXPECT_EQ(Bursts(&direct), (std::vector<std::pair<int, int>>{{70, 350}}));
}

TEST_F(EffectsFixture, FallPartsLandOneByOneThenBlendIntoTheFinishedLook)
{
    ASSERT_TRUE(Item(R"(<Object id="h"><Type id="building"/><Layer x="100" y="100">
        <Layer name="gfx"><Image id="P1" y="20"/><Image id="P2" x="10" y="10"/><Image id="P3" x="20"/></Layer>
        <Layer name="town"><Image id="X"/></Layer></Layer></Object>)"));
    Kivo::SeedRandomInt(1234);
    auto* parts = new GfxTownItemFallParts(item.get());
    item->effects.addEffect(parts);
    item->Update();
    ASSERT_EQ(parts->mParts.size(), 3u);
    for (const auto& p : parts->mParts) {
        EXPECT_LE(p.currentY, -p.layer->GetHeight());
        EXPECT_GE(p.currentY, -4 * p.layer->GetHeight());
    }
    EXPECT_EQ(parts->mParts[0].targetY, 120);
    EXPECT_EQ(parts->mParts[1].x, 110);

    // Each landing has its own sound, one at a time; the morph follows the
    // last landing.
    int landed = 0;
    while (item->effects.mEffects.front() == parts) {
        item->UpdateF(1);
        int now = 0;
        for (const auto& p : parts->mParts)
            now += p.landed;
        EXPECT_EQ(Played("SOUND_TOWN_BUILDING_FALL_END@"), now);
        EXPECT_EQ(item->effects.size(), 1u);
        landed = now;
        item->Update();
    }
    EXPECT_EQ(landed, 3);
    ASSERT_EQ(item->effects.size(), 1u);
    EXPECT_NE(dynamic_cast<GfxTownItemMorph*>(item->effects.mEffects.front()), nullptr);
    EXPECT_FALSE(item->shown); // the morph draws it

    // The blend takes 50 units, from the construction look to the finished one.
    item->UpdateF(25);
    std::vector<RecordingImage::Op> ops = Draw();
    ASSERT_EQ(ops.size(), 4u);
    EXPECT_EQ(ops.back().mColor.mAlpha, 127);
    // (Float steps of 0.02 may need one more unit to arrive.)
    EXPECT_NEAR(RunOut(), 26, 1);
    EXPECT_TRUE(item->shown);
}

TEST_F(EffectsFixture, FallPartsOfALayerWithoutChildrenEndsAtOnce)
{
    ASSERT_TRUE(Item(R"(<Object id="h"><Layer><Layer name="town"><Image id="X"/></Layer></Layer></Object>)"));
    auto* empty = new LayerSet();
    empty->mName = "gfx";
    item->picture->mChildren.push_back(empty);
    item->picture->mByName["gfx"] = empty;
    item->effects.addEffect(new GfxTownItemFallParts(item.get()));
    item->Update();
    EXPECT_TRUE(item->shown || dynamic_cast<GfxTownItemMorph*>(item->effects.mEffects.front()));
    ASSERT_EQ(item->effects.size(), 1u);
    EXPECT_NE(dynamic_cast<GfxTownItemMorph*>(item->effects.mEffects.front()), nullptr);
}

TEST_F(EffectsFixture, GrowRisesOutOfTheGroundIn125Units)
{
    ASSERT_TRUE(Item(R"(<Object id="h"><Type id="building"/><Layer x="10" y="400">
        <Layer name="town"><Image id="H100"/></Layer></Layer></Object>)"));
    auto* grow = new GfxTownItemGrow(item.get());
    item->effects.addEffect(grow);
    item->Update();
    EXPECT_EQ(resources.mPlayed, (std::vector<std::string>{"SOUND_TOWN_BUILDING_GROW"}));
    item->UpdateF(62.5f);
    EXPECT_FLOAT_EQ(grow->mT, 0.5f);
    std::vector<RecordingImage::Op> ops = Draw();
    ASSERT_EQ(ops.size(), 1u);
    // Half its height below its place, clipped to its own rectangle.
    EXPECT_EQ(ops[0].mRect.mY, 450);
    EXPECT_EQ(ops[0].mRect.mHeight, 50);
    EXPECT_EQ(ops[0].mRect.mX, 10);

    // Dust rises at the picture's bottom centre beside the growth.
    GfxTownItemGrow direct(item.get());
    direct.start();
    EXPECT_EQ(Bursts(&direct), (std::vector<std::pair<int, int>>{{20, 500}}));

    grow->mT = 0;
    EXPECT_EQ(RunOut(), 126); // 125 updates, the last pass ends it
    EXPECT_TRUE(item->shown);
}

TEST_F(EffectsFixture, FadesTakeFiftyUnitsEitherWay)
{
    ASSERT_TRUE(Item(R"(<Object id="h"><Type id="building"/><Layer>
        <Layer name="town"><Image id="X"/></Layer><Layer name="animation"><Image id="Y"/></Layer></Layer></Object>)"));
    item->effects.addEffect(new GfxTownItemVisible(item.get(), true));
    item->Update();
    item->UpdateF(25);
    std::vector<RecordingImage::Op> ops = Draw();
    ASSERT_EQ(ops.size(), 1u); // the hidden "animation" layer stays hidden
    EXPECT_EQ(ops[0].mColor.mAlpha, 127);
    EXPECT_NEAR(RunOut(), 26, 1); // float steps of 0.02 may need one more unit
    EXPECT_TRUE(item->shown);

    item->effects.addEffect(new GfxTownItemVisible(item.get(), false));
    EXPECT_NEAR(RunOut(), 51, 1);
    EXPECT_FALSE(item->shown);

    // Appearing sparkles at the picture's centre (a stage item has its own
    // emitter); hiding does not.
    GfxTownItemVisible show(item.get(), true), hide(item.get(), false);
    show.start();
    hide.start();
    EXPECT_EQ(Bursts(&show), (std::vector<std::pair<int, int>>{{20, 15}}));
    EXPECT_TRUE(Bursts(&hide).empty());
    GfxTownItemLayerVisible showLayer(item.get(), "animation", true), hideLayer(item.get(), "animation", false);
    showLayer.start();
    hideLayer.start();
    EXPECT_EQ(Bursts(&showLayer), (std::vector<std::pair<int, int>>{{20, -5}}));
    EXPECT_TRUE(Bursts(&hideLayer).empty());

    item->effects.addEffect(new GfxTownItemLayerVisible(item.get(), "animation", true));
    item->Update();
    item->UpdateF(10);
    item->shown = true;
    ops = Draw();
    ASSERT_EQ(ops.size(), 2u); // the item, then the fading layer
    EXPECT_NEAR(ops[1].mColor.mAlpha, 51, 1);
    EXPECT_NEAR(RunOut(), 41, 1);
    EXPECT_TRUE(item->IsLayerVisible("animation"));
}

TEST_F(EffectsFixture, EffectsRefuseWithoutTheirLayers)
{
    ASSERT_TRUE(Item(R"(<Object id="h"><Type id="building"/><Layer><Image id="X" name="roof"/></Layer></Object>)"));
    item->effects.addEffect(new GfxTownItemFall(item.get()));
    item->effects.addEffect(new GfxTownItemFallParts(item.get()));
    item->effects.addEffect(new GfxTownItemGrow(item.get()));
    item->effects.addEffect(new GfxTownItemMorph(item.get(), item->picture->FindLayer("roof"), nullptr));
    item->effects.addEffect(new GfxTownItemLayerVisible(item.get(), "chimney:smoke", true));
    item->Update();
    EXPECT_TRUE(item->effects.empty());
    EXPECT_FALSE(item->shown); // as the file left it
    EXPECT_TRUE(resources.mPlayed.empty());
}

} // namespace
