#include "framework/core/PakInterface.h"
#include "framework/graphics/Graphics.h"
#include "tests/game/meta/TownTestSupport.h"

#include <gtest/gtest.h>

using namespace towntest;

namespace {

// A town of one items text and no stages.
struct ItemsTown {
    explicit ItemsTown(const std::string& xml)
    {
        AddTownImages(resources);
        town = new Town();
        loaded = town->LoadItemsXml(xml);
    }
    ~ItemsTown() { delete town; }
    testsupport::ResourceTable resources;
    Town* town;
    bool loaded;
};

std::vector<std::string> Targets(const std::vector<TownCommand*>& commands)
{
    std::vector<std::string> out;
    for (const TownCommand* c : commands)
        out.push_back(std::to_string(c->kind) + c->target + "/" + c->gfx);
    return out;
}

} // namespace

TEST(TownItems, TypesLayersAndDroppedObjects)
{
    ItemsTown t(R"(<?xml version="1.0"?><Objects>
      <Object id="a"><Type id="Building"/><Layer><Image id="X"/></Layer></Object>
      <Object id="b"><Type id="stage"/><Layer name="first"><Image id="X"/></Layer>
                     <Layer name="second"><Image id="missing"/></Layer></Object>
      <Object id="c"><Type id="building"/><Layer><Image id="missing"/></Layer></Object>
      <Object><Layer><Image id="X"/></Layer></Object>
      <Other id="d"><Layer><Image id="X"/></Layer></Other>
      <Object id="e"><Type id="background"/><Layer>
        <Layer name="gfx"><Layer name="preview"><Image id="X"/></Layer></Layer>
        <Image id="X" name="preview"/><Image id="X" name="animation"/><Image id="X" name="town"/></Layer></Object>
      <Object id="a"><Layer><Image id="X"/></Layer></Object>
    </Objects>)");
    ASSERT_TRUE(t.loaded);
    ASSERT_EQ(t.town->items.size(), 4u);

    TownItem* a = t.town->items[0];
    EXPECT_EQ(a->type, TownItem::kNone); // type names are case-sensitive
    EXPECT_TRUE(a->shown);
    EXPECT_EQ(t.town->FindItem("a"), t.town->items[3]); // the later one owns the id

    TownItem* b = t.town->items[1];
    EXPECT_EQ(b->type, TownItem::kStage);
    EXPECT_FALSE(b->initiallyShown);
    EXPECT_EQ(b->picture->mName, "first");

    // Direct children named gfx, preview or animation start hidden; deeper
    // layers keep their flag.
    TownItem* e = t.town->FindItem("e");
    EXPECT_EQ(e->type, TownItem::kBackground);
    EXPECT_FALSE(e->IsLayerVisible("gfx"));
    EXPECT_FALSE(e->IsLayerVisible("preview"));
    EXPECT_FALSE(e->IsLayerVisible("animation"));
    EXPECT_TRUE(e->IsLayerVisible("town"));
    EXPECT_TRUE(e->IsLayerVisible("gfx:preview"));
}

TEST(TownItems, LaterItemsDrawFirstAndHiddenOnesOnlyTheirEffects)
{
    ItemsTown t(R"(<Objects>
      <Object id="front"><Layer name="front"><Image id="X"/></Layer></Object>
      <Object id="house"><Type id="building"/><Layer name="house"><Image id="T"/></Layer></Object>
      <Object id="bg"><Layer name="bg"><Image id="BG"/></Layer></Object></Objects>)");
    Kivo::Image* x = Kivo::GetResourceHost()->GetResourceManager()->GetImage("X").ToImage();
    Kivo::Image* bg = Kivo::GetResourceHost()->GetResourceManager()->GetImage("BG").ToImage();
    Kivo::Image* house = Kivo::GetResourceHost()->GetResourceManager()->GetImage("T").ToImage();
    // The hidden house fades in through its effect, drawn after its picture.
    TownItem* h = t.town->FindItem("house");
    h->effects.addEffect(new GfxTownItemVisible(h, true));
    h->Update();
    RecordingImage screen(800, 600);
    Kivo::Graphics g(&screen);
    t.town->Draw(&g);
    std::vector<const Kivo::Image*> drawn;
    for (const RecordingImage::Op& op : screen.mOps)
        drawn.push_back(op.mImage);
    EXPECT_EQ(drawn, (std::vector<const Kivo::Image*>{bg, house, x}));
}

TEST(TownItems, LayerPaths)
{
    ItemsTown t(R"(<Objects><Object id="h"><Layer>
        <Layer name="roof"><Image id="X" name="tile"/><Image id="X" name="tile"/></Layer>
        <Layer name=""><Image id="X" name="x"/></Layer>
      </Layer></Object></Objects>)");
    TownItem* h = t.town->FindItem("h");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->GetLayerContainer("roof"), h->picture.get());
    EXPECT_EQ(h->GetLayerContainer("roof:tile"), h->picture->FindLayer("roof"));
    EXPECT_EQ(h->GetLayerContainer(":x"), h->picture->FindLayer(""));
    EXPECT_EQ(h->GetLayerContainer("chimney:tile"), nullptr);

    EXPECT_FALSE(h->IsLayerVisible("chimney:gfx")); // no container
    EXPECT_TRUE(h->IsLayerVisible("roof:gfx"));     // container without such a child
    h->SetLayerVisible("roof:tile", false);
    EXPECT_FALSE(h->IsLayerVisible("roof:tile"));
    h->picture->FindLayer("roof")->GetLayer(0)->mVisible = true;
    EXPECT_FALSE(h->IsLayerVisible("roof:tile")); // one hidden child is enough
    h->SetLayerVisible("chimney:tile", true);     // nothing to change
    EXPECT_EQ(TownItem::SplitPath("a::b"), (std::vector<std::string>{"a", "", "b"}));
}

TEST(TownStagesFile, BuildingsCommandsAndNumbers)
{
    TownStages list;
    ASSERT_TRUE(LoadTownStagesXml(&list, R"(<Stages>
      <Stage><Show id="only_commands"/></Stage>
      <Stage>
        <Building id="b0"><Cost value="5"/><Cost value=" -12abc"/><Gfx name="grow"/>
          <Show id="x"/><Move id="y"/><Hide/>
          <Animation levels="3"><Show id="b0:animation" gfx="animation"/></Animation>
          <Animation><Hide id="z"/><Gfx name="q"/></Animation>
        </Building>
        <Building><Cost value="99999999999"/><Animation levels="x"/></Building>
        <Hide id="s" gfx="animation"/><Building id="b2"/>
      </Stage>
    </Stages>)"));
    ASSERT_EQ(list.stages.size(), 1u); // the stage without buildings is dropped
    const TownStages::Stage* s = list.stages[0];
    ASSERT_EQ(s->buildings.size(), 3u);
    EXPECT_EQ(Targets(s->commands), (std::vector<std::string>{"1s/animation"}));

    const TownStages::Building* b0 = s->buildings[0];
    EXPECT_EQ(b0->cost, -12);
    EXPECT_EQ(b0->gfx, "grow");
    EXPECT_EQ(b0->levels, 0); // the last Animation has no levels
    EXPECT_EQ(Targets(b0->commands), (std::vector<std::string>{"2x/"}));
    EXPECT_EQ(Targets(b0->animationCommands), (std::vector<std::string>{"2b0:animation/animation", "1z/"}));
    EXPECT_EQ(s->buildings[1]->cost, 2147483647);
    EXPECT_EQ(s->buildings[1]->levels, 0);
    EXPECT_EQ(list.GetBuilding(0, 2), s->buildings[2]);
    EXPECT_EQ(list.GetBuilding(0, 3), nullptr);
    EXPECT_EQ(list.GetBuilding(1, 0), nullptr);
    EXPECT_EQ(list.GetBuilding(-1, 0), nullptr);
}

TEST(TownStagesFile, UnreadableTexts)
{
    const char* texts[] = {"", "<Stages><Stage>", "<Other/>", "\xEF\xBB\xBF<Stages/>"};
    for (const char* text : texts) {
        TownStages list;
        LoadTownStagesXml(&list, text);
        EXPECT_TRUE(list.stages.empty()) << text;
    }
    // Nesting deeper than any town file is refused before parsing.
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<Layer>";
    ItemsTown t("<Objects><Object id=\"a\"><Layer>" + deep + "</Objects>");
    EXPECT_FALSE(t.loaded);
    EXPECT_TRUE(t.town->items.empty());
}

// The generated data set: its files load through the archives, with five
// stages of four buildings whose ids and command targets are all items.
TEST(TownDataSet, FilesLoadThroughTheArchives)
{
    PakInterface paks;
    PakInterfaceBase* previous = SetActivePakInterface(&paks);
    ASSERT_TRUE(paks.AddPakFile(std::string(KIVO_DATA_DIR) + "/main.pak"));
    testsupport::ResourceTable resources;
    ASSERT_TRUE(resources.LoadGroup("properties/town.xml", "Town"));
    Town* town = new Town();

    EXPECT_GE(town->items.size(), 26u);
    ASSERT_EQ(town->stages->stages.size(), 5u);
    int buildings = 0;
    auto resolves = [&](const std::vector<TownCommand*>& commands) {
        for (const TownCommand* c : commands) {
            std::vector<std::string> names = TownItem::SplitPath(c->target);
            TownItem* item = town->FindItem(names[0]);
            ASSERT_NE(item, nullptr) << c->target;
            if (names.size() > 1) {
                EXPECT_NE(item->GetLayerContainer(c->target.substr(names[0].size() + 1)), nullptr) << c->target;
            }
        }
    };
    for (const TownStages::Stage* s : town->stages->stages) {
        ASSERT_EQ(s->buildings.size(), 4u);
        resolves(s->commands);
        for (const TownStages::Building* b : s->buildings) {
            TownItem* item = Town::GetBuildingItem(buildings / 4, buildings % 4);
            ASSERT_NE(item, nullptr) << b->id;
            EXPECT_EQ(item->id, b->id);
            EXPECT_EQ(item->type, TownItem::kBuilding);
            EXPECT_FALSE(item->shown);
            EXPECT_GT(b->cost, 0);
            resolves(b->commands);
            resolves(b->animationCommands);
            ++buildings;
        }
    }
    TownItem* bg = town->FindItem("town_bg");
    ASSERT_NE(bg, nullptr);
    EXPECT_EQ(bg->type, TownItem::kBackground);
    EXPECT_EQ(town->items.back(), bg); // drawn first, under everything

    delete town;
    SetActivePakInterface(previous);
}
