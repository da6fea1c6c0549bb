#include "framework/core/PakInterface.h"
#include "game/effects/ActionObject.h"
#include "game/effects/ActionScript.h"
#include "game/effects/ActionScriptManager.h"
#include "game/effects/BaseAction.h"
#include "game/effects/mutatorMoveTo.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<ActionScript> ReadScript(const std::string& body, const std::string& rootAttributes = "")
{
    auto script = std::make_unique<ActionScript>();
    script->Read("<action " + rootAttributes + ">" + body + "</action>");
    return script;
}

ActionObject& Object(ActionScript& script, size_t index = 0)
{
    auto it = script.mObjects.begin();
    std::advance(it, index);
    return **it;
}

} // namespace

TEST(ActionScriptRead, RootAttributesAndVariablesFeedEveryList)
{
    // The variable comes after the list that uses it: all variables are read
    // first. setVar changes only its own list's table.
    auto script = ReadScript(R"(
        <texture name="red" dataRef="BRICK_8"/><texture name="nodata"/>
        <dataMutList name="l"><mutMoveTo x="cx" y="1" time="0"/></dataMutList>
        <object name="a"><setVar name="cx" value="cx+1"/><mutMoveTo x="cx*2" y="-30" time="0.5"/></object>
        <object name="b"><mutMoveTo x="cx" y="y" time="0"/></object>
        <object><mutMoveTo x="1"/></object>
        <variable name="cx" value="28"/><variable name="k" value="cx*2"/>)",
                             R"(speed="2.5" width="160" height="oops")");
    EXPECT_FLOAT_EQ(script->mSpeed, 2.5f);
    EXPECT_EQ(script->mWidth, 160);
    EXPECT_EQ(script->mHeight, 0);
    EXPECT_EQ(script->mTextures.size(), 1u);
    EXPECT_EQ(script->mTextures["red"], "BRICK_8");
    ASSERT_EQ(script->mObjects.size(), 2u); // the nameless object is skipped

    auto* a = dynamic_cast<mutatorMoveTo*>(Object(*script).mSteps.front());
    ASSERT_NE(a, nullptr);
    EXPECT_FLOAT_EQ(a->mX, 58);
    EXPECT_FLOAT_EQ(a->mY, -30);
    EXPECT_FLOAT_EQ(a->mDuration, 50); // times count 10 ms steps
    auto* b = dynamic_cast<mutatorMoveTo*>(Object(*script, 1).mSteps.front());
    ASSERT_NE(b, nullptr);
    EXPECT_FLOAT_EQ(b->mX, 28);
    EXPECT_FLOAT_EQ(b->mY, 0); // an unknown variable gives 0
    auto* listed = dynamic_cast<mutatorMoveTo*>(script->mMutLists["l"].front());
    ASSERT_NE(listed, nullptr);
    EXPECT_FLOAT_EQ(listed->mX, 28);
}

TEST(ActionScriptRead, LaterListWinsUnlessEmptyAndBadDocumentsGiveEmptyScripts)
{
    auto script = ReadScript(R"(
        <dataMutList name="l"><mutWait time="1"/></dataMutList>
        <dataMutList name="l"><mutWait time="2"/><mutWait time="3"/></dataMutList>
        <dataMutList name="l"><unknown/><!-- comment --></dataMutList>
        <object name="empty"/>)");
    EXPECT_EQ(script->mMutLists["l"].size(), 2u);
    EXPECT_EQ(script->mObjects.size(), 1u);

    for (const char* text : { "", "<other><object name=\"a\"/></other>", "<action><object name=\"a\">", "\xEF\xBB\xBF" }) {
        ActionScript bad;
        bad.Read(text);
        EXPECT_TRUE(bad.mObjects.empty()) << text;
        EXPECT_FLOAT_EQ(bad.mSpeed, 1.0f);
    }
}

TEST(ActionScriptRun, StepsRunSideBySideUntilABarrier)
{
    // The move and the scale run together; the wait holds the second move
    // until both finished and its own time has passed.
    auto script = ReadScript(R"(<object name="a">
        <mutMoveTo x="10" y="20" time="0.1"/><mutScaleTo x="0" y="2" time="0.2"/>
        <mutWait time="0.2"/><mutMoveOffset x="5" y="0" time="0"/></object>)");
    ActionObject& a = Object(*script);
    script->Update(5);
    EXPECT_FLOAT_EQ(a.mPosition[0], 5);
    EXPECT_FLOAT_EQ(a.mPosition[1], 10);
    EXPECT_FLOAT_EQ(a.mScale[1], 1.25f);
    script->Update(5);
    EXPECT_FLOAT_EQ(a.mPosition[0], 10); // the target is reached exactly
    script->Update(10); // scale done; the wait starts counting
    EXPECT_FLOAT_EQ(a.mScale[0], 0);
    EXPECT_FLOAT_EQ(a.mPosition[0], 10);
    script->Update(10);
    EXPECT_FLOAT_EQ(a.mPosition[0], 15); // wait over, offset applied in the same frame
    EXPECT_TRUE(a.mSteps.empty());
}

TEST(ActionScriptRun, TicksRotationColourAndEndlessMove)
{
    auto script = ReadScript(R"(<object name="a">
        <mutWait time="0"/><mutRotateTo angle="180" time="0"/>
        <mutColorTo a="0" r="0.5" g="1" b="1" time="0"/>
        <mutMove x="1" y="0" speed="2"/>
        <mutWaitTick time="0.01"/><mutWaitTick time="0.25"/><mutResetTick time="0.5"/>
        <mutMoveOffset x="0" y="7" time="0"/><mutWaitTick time="0.75"/><mutMoveOffset x="0" y="1" time="0"/>
        </object>)");
    ActionObject& a = Object(*script);
    script->Update(3); // the leading zero wait and the passed tick wait drop at once
    EXPECT_FLOAT_EQ(a.mRotation, 3.1415925f);
    EXPECT_EQ(a.mColor.mAlpha, 0);
    EXPECT_EQ(a.mColor.mRed, 127);
    EXPECT_FLOAT_EQ(a.mPosition[0], 6);
    script->Update(22); // clock 25: tick wait passes, clock reset to 50
    EXPECT_FLOAT_EQ(a.mClock, 50);
    EXPECT_FLOAT_EQ(a.mPosition[1], 7);
    script->Update(24);
    EXPECT_FLOAT_EQ(a.mPosition[1], 7);
    script->Update(1);
    EXPECT_FLOAT_EQ(a.mPosition[1], 8);
    EXPECT_FLOAT_EQ(a.mPosition[0], 2 * 50); // the endless move runs beside the rest
    EXPECT_EQ(a.mSteps.size(), 1u);
}

TEST(ActionScriptRun, ListsInsertInOrderAndLoopsStayBounded)
{
    auto script = ReadScript(R"(
        <dataMutList name="step"><mutMoveOffset x="1" y="0" time="0"/><mutMoveOffset x="0" y="1" time="0"/>
            <mutWait time="0.1"/><addMutList dataRef="step"/></dataMutList>
        <dataMutList name="spin"><addMutList dataRef="spin"/></dataMutList>
        <object name="a"><addMutList dataRef="missing"/><addMutList dataRef="step"/></object>
        <object name="b"><addMutList dataRef="spin"/><mutMoveTo x="1" y="1" time="0"/></object>)");
    ActionObject& a = Object(*script);
    script->Update(1);
    EXPECT_FLOAT_EQ(a.mPosition[0], 1);
    EXPECT_FLOAT_EQ(a.mPosition[1], 1);
    for (int i = 0; i < 10; ++i)
        script->Update(1);
    EXPECT_FLOAT_EQ(a.mPosition[0], 2);
    EXPECT_EQ(a.mSteps.size(), 2u); // the wait and the re-inserted list

    // A list that only re-inserts itself never blocks; the update still ends.
    ActionObject& b = Object(*script, 1);
    script->Update(1);
    EXPECT_EQ(b.mSteps.size(), 2u);
}

TEST(ActionScriptRun, SpeedScalesFreezesOrReverses)
{
    const std::string body = R"(<object name="a"><mutMove x="1" y="0" speed="1"/></object>)";
    struct Case {
        const char* speed;
        float x;
    };
    for (const Case& c : { Case{ "0", 0 }, Case{ "0.0009", 0 }, Case{ "-1", -4 }, Case{ "2", 8 } }) {
        auto script = ReadScript(body, std::string("speed=\"") + c.speed + "\"");
        script->Update(4);
        EXPECT_FLOAT_EQ(Object(*script).mPosition[0], c.x) << c.speed;
    }
}

TEST(ActionScriptRun, ClonesRunIndependentlyFromFreshState)
{
    auto script = ReadScript(R"(<texture name="t" dataRef="X"/>
        <dataMutList name="l"><mutMoveOffset x="1" y="0" time="0"/></dataMutList>
        <object name="a"><addMutList dataRef="l"/><mutWaitTick time="1"/></object>)", R"(speed="2" width="7")");
    std::unique_ptr<ActionScript> first(script->Clone());
    first->Update(1);
    std::unique_ptr<ActionScript> second(first->Clone());
    EXPECT_FLOAT_EQ(Object(*first).mPosition[0], 1);
    EXPECT_FLOAT_EQ(Object(*second).mPosition[0], 0);
    EXPECT_EQ(second->mWidth, 7);
    EXPECT_EQ(second->mTextures["t"], "X");
    EXPECT_EQ(Object(*second).mSteps.size(), 1u); // the clone copies the remaining steps
    EXPECT_EQ(Object(*script).mSteps.size(), 2u);
}

TEST(ActionScriptManager, StoresReplacesAndCopiesScripts)
{
    ActionScriptManager manager;
    EXPECT_EQ(GetActionScriptManager(), &manager);
    ActionScript* copy = nullptr;
    EXPECT_FALSE(manager.GetScriptCopy("demo", copy));
    EXPECT_TRUE(manager.LoadScript("no/such/file.xml", "demo"));
    ASSERT_TRUE(manager.GetScriptCopy("demo", copy));
    std::unique_ptr<ActionScript> owned(copy);
    EXPECT_TRUE(owned->mObjects.empty());
}

class DataSetScripts : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = SetActivePakInterface(&paks);
        ASSERT_TRUE(paks.AddPakFile(std::string(KIVO_DATA_DIR) + "/main.pak"));
    }
    void TearDown() override { SetActivePakInterface(previous); }
    PakInterface paks;
    PakInterfaceBase* previous = nullptr;
};

TEST_F(DataSetScripts, TutorialScriptsLoadAndRun)
{
    ActionScriptManager manager;
    for (const char* mode : { "chain", "swap", "group" }) {
        const std::string name = std::string("demo_gameplay") + mode;
        ASSERT_TRUE(manager.LoadScript("properties/tutorial/" + name + ".xml", name));
        ActionScript* copy = nullptr;
        ASSERT_TRUE(manager.GetScriptCopy(name, copy));
        std::unique_ptr<ActionScript> script(copy);
        EXPECT_FALSE(script->mObjects.empty()) << name;
        EXPECT_FALSE(script->mTextures.empty()) << name;
        EXPECT_GT(script->mWidth, 0) << name;
        // Ten seconds of frames: the demo loops, so some object is still busy.
        for (int frame = 0; frame < 1000; ++frame)
            script->Update(1);
        bool running = false;
        for (ActionObject* object : script->mObjects)
            running = running || !object->mSteps.empty();
        EXPECT_TRUE(running) << name;
    }
}
