// The own particle engine: definitions read from system files, systems
// stepped over a fixed clock, and the manager that runs them.
#include "game/effects/ParticleLibraryManager.h"
#include "game/effects/ParticleManager.h"
#include "game/effects/ParticleSystem.h"

#include "framework/core/Random.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <memory>

namespace {

ParticleSystemInfo Info(int emission, float lifetime, float life = 1.0f)
{
    ParticleSystemInfo s;
    s.emission = emission;
    s.lifetime = lifetime;
    s.particleLifeMin = s.particleLifeMax = life;
    s.colorEnd = {0, 1, 1, 1};
    return s;
}

ParticleSystemInfo Read(const std::string& body)
{
    TiXmlDocument doc;
    doc.Parse(("<particles>" + body + "</particles>").c_str());
    ParticleSystemInfo s;
    EXPECT_TRUE(ParticleLibraryManager::ReadSystem(doc.RootElement(), s));
    return s;
}

TEST(ParticleSystem, ABurstEmitsItsCountOnceThenStops)
{
    Kivo::SeedRandomInt(7);
    ParticleSystem s(Info(20, ParticleSystem::kBurst, 0.5f), 0);
    s.FireAt(100, 100);
    EXPECT_EQ(s.mAge, ParticleSystem::kBurst);
    s.Update(1);
    EXPECT_EQ(s.mCount, 20);
    EXPECT_EQ(s.mAge, ParticleSystem::kStopped);
    for (int i = 0; i < 40; ++i)
        s.Update(1);
    EXPECT_EQ(s.mCount, 20);
    for (int i = 0; i < 20; ++i)
        s.Update(1);
    EXPECT_EQ(s.mCount, 0);
}

TEST(ParticleSystem, EndlessNeverStopsAndTimedStopsAtItsLifetime)
{
    ParticleSystem endless(Info(100, ParticleSystem::kEndless), 0);
    endless.FireAt(0, 0);
    ParticleSystem timed(Info(100, 0.5f), 0);
    timed.FireAt(0, 0);
    for (int i = 0; i < 1000; ++i) {
        endless.Update(1);
        timed.Update(1);
    }
    EXPECT_EQ(endless.mAge, ParticleSystem::kEndless);
    EXPECT_EQ(timed.mAge, ParticleSystem::kStopped);
    EXPECT_EQ(timed.mCount, 0);
}

TEST(ParticleSystem, TheFractionOfAParticleCarriesOver)
{
    ParticleSystem s(Info(25, ParticleSystem::kEndless, 100), 0); // a quarter particle a step
    s.FireAt(0, 0);
    std::vector<int> counts;
    for (int i = 0; i < 8; ++i) {
        s.Update(1);
        counts.push_back(s.mCount);
    }
    EXPECT_EQ(counts, (std::vector<int>{0, 0, 0, 1, 1, 1, 1, 2}));
}

TEST(ParticleSystem, ADeadParticleTakesTheLastOnesSlot)
{
    Kivo::SeedRandomInt(3);
    ParticleSystemInfo info = Info(3, ParticleSystem::kBurst);
    ParticleSystem s(info, 0);
    s.FireAt(0, 0);
    s.Update(1);
    ASSERT_EQ(s.mCount, 3);
    s.mParticles[0].terminalAge = 0.005f; // dies at the next step
    s.mParticles[2].x = 1234;
    s.Update(1);
    ASSERT_EQ(s.mCount, 2);
    EXPECT_NEAR(s.mParticles[0].x, 1234, 10);
}

TEST(ParticleSystem, HugeEmissionsAndZeroLivesStaySafe)
{
    ParticleSystemInfo info = Info(100000, ParticleSystem::kEndless, 0);
    ParticleSystem s(info, 0);
    s.FireAt(0, 0);
    s.Update(1e6f); // one step of 10 000 s
    EXPECT_EQ(s.mCount, ParticleSystem::kMaxParticles);
    for (int i = 0; i < s.mCount; ++i) {
        EXPECT_TRUE(std::isfinite(s.mParticles[i].color.a));
        EXPECT_TRUE(std::isfinite(s.mParticles[i].sizeDelta));
    }
    s.Update(1);
    EXPECT_LE(s.mCount, ParticleSystem::kMaxParticles);
}

TEST(ParticleSystem, AFixedRateRunsWholeStepsOnly)
{
    ParticleSystem s(Info(100, ParticleSystem::kEndless, 100), 10); // steps of 0.1 s
    s.FireAt(0, 0);
    s.Update(5);
    EXPECT_EQ(s.mCount, 0);
    s.Update(5);
    EXPECT_EQ(s.mCount, 10);
    s.Update(25);
    EXPECT_EQ(s.mCount, 30);
    s.Update(1e9f); // a stall runs a bounded number of steps
    EXPECT_LE(s.mCount, ParticleSystem::kMaxParticles);
}

TEST(ParticleSystem, ParticlesOnTheSystemsPointGetNoDirection)
{
    ParticleSystemInfo info = Info(1, ParticleSystem::kBurst);
    info.radialAccMin = info.radialAccMax = 50;
    ParticleSystem s(info, 0);
    s.FireAt(0, 0);
    s.Update(1);
    s.mParticles[0].x = s.mParticles[0].y = 0;
    s.mParticles[0].vx = s.mParticles[0].vy = 0;
    s.Update(1);
    EXPECT_EQ(s.mParticles[0].vx, 0);
    EXPECT_EQ(s.mParticles[0].vy, 0);
}

TEST(ParticleSystem, MovingCarriesTheParticlesAlongWhenAsked)
{
    ParticleSystem s(Info(5, ParticleSystem::kBurst), 0);
    s.FireAt(10, 10);
    s.Update(1);
    const float x0 = s.mParticles[0].x;
    s.MoveTo(30, 10, true);
    EXPECT_FLOAT_EQ(s.mParticles[0].x, x0 + 20);
    s.MoveTo(50, 10, false);
    EXPECT_FLOAT_EQ(s.mParticles[0].x, x0 + 20);
    EXPECT_EQ(s.mPrevX, 50); // a stopped system starts afresh where it is put
    ParticleSystem running(Info(5, ParticleSystem::kEndless), 0);
    running.FireAt(10, 10);
    running.MoveTo(30, 10, false);
    EXPECT_EQ(running.mPrevX, 10); // a running one emits along the way
}

TEST(ParticleDefinitions, FieldsDefaultsAndColours)
{
    const ParticleSystemInfo missing = Read("");
    EXPECT_EQ(missing.colorStart.a, 1);
    EXPECT_EQ(missing.colorStart.r, 0);
    EXPECT_EQ(missing.emission, 0);
    EXPECT_EQ(missing.lifetime, 0);
    EXPECT_TRUE(missing.imageId.empty());

    const ParticleSystemInfo s = Read(R"(<color_start value="0x80FF0000"/><emission value="20"/>
        <lifetime value="-3"/><relative value="2"/><color_blend value="1"/><spread value="6.5"/>
        <wave_size/><image_id value="IMAGE_X"/>)");
    EXPECT_NEAR(s.colorStart.a, 0.502, 1e-3);
    EXPECT_EQ(s.colorStart.r, 1);
    EXPECT_EQ(s.colorStart.g, 0);
    EXPECT_EQ(s.emission, 20);
    EXPECT_EQ(s.lifetime, -3);
    EXPECT_TRUE(s.relative);
    EXPECT_EQ(s.blend, 1);
    EXPECT_FLOAT_EQ(s.spread, 6.5f);
    EXPECT_EQ(s.waveSize, 0);
    EXPECT_EQ(s.imageId, "IMAGE_X");

    EXPECT_EQ(Read(R"(<emission value="-5"/>)").emission, 0);
    EXPECT_EQ(Read(R"(<emission value="100001"/>)").emission, 0);
    EXPECT_EQ(Read(R"(<speed_min value="nan"/>)").speedMin, 0);
    EXPECT_EQ(Read(R"(<alpha_var value="-1e39"/>)").alphaVar, 0) << "past the float range";
    EXPECT_FLOAT_EQ(Read(R"(<alpha_var value="3e38"/>)").alphaVar, 3e38f);

    TiXmlDocument other;
    other.Parse("<system/>");
    ParticleSystemInfo none;
    EXPECT_FALSE(ParticleLibraryManager::ReadSystem(other.RootElement(), none));
}

struct Library : ::testing::Test {
    ~Library() override { delete ParticleLibraryManager::Existing(); }
    testsupport::TempDir dir;
};

TEST_F(Library, TheIndexNamesTheSystemsAndALaterIdWins)
{
    const std::string a = dir.Write("a.xml", "<particles><emission value=\"1\"/></particles>");
    const std::string b = dir.Write("b.xml", "<particles><emission value=\"2\"/></particles>");
    const std::string index = dir.Write(
        "index.xml", "<particles><system id=\"x\" file=\"" + a + "\"/><system id=\"x\" file=\"" + b +
                         "\"/><system id=\"gone\" file=\"" + dir / "missing.xml" +
                         "\"/><system file=\"" + a + "\"/><system id=\"y\"/></particles>");
    ParticleLibraryManager* library = GetParticleLibraryManager();
    EXPECT_FALSE(library->Load(dir / "nothing.xml"));
    ASSERT_TRUE(library->Load(index));
    EXPECT_EQ(library->Count(), 1u);
    ParticleSystemInfo info;
    ASSERT_TRUE(library->Find("x", info));
    EXPECT_EQ(info.emission, 2);
    EXPECT_FALSE(library->Find("gone", info));
}

TEST_F(Library, TheManagerSpawnsKnownSystemsUpToItsLimitAndDropsEndedOnes)
{
    const std::string a =
        dir.Write("a.xml", "<particles><emission value=\"20\"/><lifetime value=\"-3\"/>"
                           "<particle_life_min value=\"0.1\"/><particle_life_max value=\"0.1\"/></particles>");
    ASSERT_TRUE(GetParticleLibraryManager()->Load(
        dir.Write("index.xml", "<particles><system id=\"burst\" file=\"" + a + "\"/></particles>")));
    ParticleManager manager;
    EXPECT_EQ(manager.Spawn("unknown", 0, 0), nullptr);
    manager.SetOffset(3, 4);
    for (int i = 0; i < ParticleManager::kMaxSystems; ++i)
        ASSERT_NE(manager.Spawn("burst", float(i), 0), nullptr);
    EXPECT_EQ(manager.Spawn("burst", 0, 0), nullptr);
    EXPECT_EQ(manager.Get(0)->mOffsetX, 3);
    EXPECT_TRUE(manager.IsActive());
    manager.Update(1);
    EXPECT_EQ(manager.Count(), ParticleManager::kMaxSystems);
    EXPECT_EQ(manager.Get(0)->mCount, 20);
    for (int i = 0; i < 11; ++i)
        manager.Update(1);
    EXPECT_FALSE(manager.IsActive());
}

TEST_F(Library, RemovingASystemMovesTheLastIntoItsSlot)
{
    const std::string burst = dir.Write("b.xml", "<particles><emission value=\"1\"/><lifetime value=\"-3\"/>"
                                                 "<particle_life_min value=\"0.01\"/><particle_life_max "
                                                 "value=\"0.01\"/></particles>");
    const std::string endless = dir.Write("e.xml", "<particles><emission value=\"1\"/><lifetime value=\"-1\"/>"
                                                   "</particles>");
    ASSERT_TRUE(GetParticleLibraryManager()->Load(dir.Write(
        "index.xml", "<particles><system id=\"b\" file=\"" + burst + "\"/><system id=\"e\" file=\"" + endless +
                         "\"/></particles>")));
    ParticleManager manager;
    manager.Spawn("b", 0, 0);
    manager.Spawn("e", 1, 0);
    ParticleSystem* last = manager.Spawn("e", 2, 0);
    manager.Update(1); // the burst emits
    manager.Update(1); // its particle dies: the last system takes slot 0
    ASSERT_EQ(manager.Count(), 2);
    EXPECT_EQ(manager.Get(0), last);
}

} // namespace
