#include "game/effects/baseObject.h"
#include "game/effects/mutLerpTo.h"
#include "game/effects/mutValueTo.h"
#include "game/effects/mutWait.h"

#include "tests/game/effects/EffectsFixture.h"

namespace {

using ModuleTest = EffectTest;

TEST_F(ModuleTest, ZeroWaitForOthersOnAnEmptyObjectIsDropped)
{
    baseObject object;
    object.addModule(new mutWait(0, true));
    EXPECT_EQ(object.updateModules(), 0);
    EXPECT_EQ(object.activeModule(), nullptr);
}

TEST_F(ModuleTest, LerpOfNoDurationEndsAtOnceWithFullProgress)
{
    mutLerpTo lerp(0);
    ASSERT_TRUE(lerp.start());
    EXPECT_EQ(lerp.update(), -1);
    EXPECT_EQ(lerp.mProgress, 1.0f);
}

TEST_F(ModuleTest, ValueEndsExactlyOnItsTarget)
{
    for (float target : {0.3f, -7.1f, 1.0f}) {
        float value = 0.1f;
        baseObject object;
        object.addModule(new mutValueTo<float>(0.07f, &value, target));
        int passes = 0;
        float previous = value;
        bool monotonic = true;
        while (object.activeModule() && passes < 100) {
            object.updateModules();
            monotonic &= target > 0.1f ? value >= previous : value <= previous;
            previous = value;
            ++passes;
        }
        EXPECT_EQ(value, target);
        EXPECT_TRUE(monotonic);
        EXPECT_GE(passes, 7);
        EXPECT_LE(passes, 8);
    }
}

TEST_F(ModuleTest, WaitHoldsBackTheModulesBehindIt)
{
    float value = 0;
    baseObject object;
    object.addModule(new mutWait(0.025f, false));
    object.addModule(new mutValueTo<float>(0.0f, &value, 5.0f));
    EXPECT_EQ(object.updateModules(), 1);
    EXPECT_EQ(object.updateModules(), 1);
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(object.updateModules(), 0); // the wait ends and the value runs in the same pass
    EXPECT_EQ(value, 5.0f);
    EXPECT_EQ(object.activeModule(), nullptr);
}

TEST_F(ModuleTest, WaitForOthersWaitsUntilItStandsFirst)
{
    float head = 0, tail = 0;
    baseObject object;
    object.addModule(new mutValueTo<float>(0.03f, &head, 1.0f));
    object.addModule(new mutWait(0, true));
    object.addModule(new mutValueTo<float>(0.03f, &tail, 1.0f));
    object.addModule(new mutWait(0.5f, true), true); // at the front: holds everything
    gFrameTime = 0.45f;
    EXPECT_EQ(object.updateModules(), 1);
    EXPECT_EQ(head, 0.0f);
    gFrameTime = 0.01f;
    int passes = 0;
    while (head < 1.0f && passes++ < 20) {
        EXPECT_EQ(tail, 0.0f);
        object.updateModules();
    }
    EXPECT_EQ(head, 1.0f);
    EXPECT_LT(tail, 0.5f); // the tail starts in the pass in which the head ends
    while (object.activeModule() && passes++ < 40)
        object.updateModules();
    EXPECT_EQ(tail, 1.0f);
}

TEST_F(ModuleTest, ClonesKeepTheirParameters)
{
    float value = 0;
    mutWait wait(0.5f, true);
    std::unique_ptr<baseModule> copy(wait.clone());
    auto* w = dynamic_cast<mutWait*>(copy.get());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->mDuration, 0.5f);
    EXPECT_TRUE(w->mWaitForOthers);
    mutValueTo<float> to(2.0f, &value, 3.0f);
    std::unique_ptr<baseModule> copy2(to.clone());
    auto* t = dynamic_cast<mutValueTo<float>*>(copy2.get());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->mDuration, 2.0f);
    EXPECT_EQ(t->mValue, &value);
    EXPECT_EQ(t->mTarget, 3.0f);
}

} // namespace
