// The program's side of the particle library: the device, the emitter
// wrapper and its list, the manager's files, and the effects built on them,
// driven by a scripted library.
#include "game/effects/CGraphics_Kivo.h"
#include "game/effects/GfxPyroSystem.h"
#include "game/effects/GfxRoundFly.h"
#include "game/effects/LayerParticles.h"
#include "game/effects/LayerSet.h"
#include "game/effects/EffectHooks.h"
#include "game/effects/PyroEmitterList.h"
#include "game/effects/PyroLibraryManager.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "tests/support/PyroMemory.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cstring>
#include <map>
#include <memory>

using namespace PyroParticles;
using namespace PyroParticles::PyroGraphics;

namespace {

// A destination that records textured triangle draws.
class TriangleRecorder : public Kivo::Image {
public:
    TriangleRecorder()
    {
        mWidth = 800;
        mHeight = 600;
    }
    void BltTrianglesTex(Kivo::Image* source, const Kivo::TriVertex (*v)[3], int count, const Kivo::Rect&,
                         const Kivo::Color&, int drawMode, float, float, bool) override
    {
        mBatches.push_back({source, drawMode, std::vector<Kivo::TriVertex>(v[0], v[0] + count * 3)});
    }
    struct Batch {
        Kivo::Image* source;
        int drawMode;
        std::vector<Kivo::TriVertex> vertices;
    };
    std::vector<Batch> mBatches;
};

// Quads written with a stride of 32: x = quad·10 + corner, y = −x,
// colour = quad, u = corner, v = corner·2.
std::unique_ptr<CVertexBuffer_Kivo> Quads(uint32_t count, uint32_t stride = 32)
{
    std::unique_ptr<CVertexBuffer_Kivo> vb(CVertexBuffer_Kivo::Create(count * 4, stride, 0));
    for (uint32_t i = 0; i < count * 4; ++i) {
        uint8_t* p = vb->mMemory.data() + size_t(i) * stride;
        const float x = float(i / 4 * 10 + i % 4), y = -x, u = float(i % 4), v = u * 2;
        const uint32_t color = i / 4;
        std::memcpy(p, &x, 4);
        std::memcpy(p + 4, &y, 4);
        std::memcpy(p + 16, &color, 4);
        std::memcpy(p + 20, &u, 4);
        std::memcpy(p + 24, &v, 4);
    }
    return vb;
}

struct DeviceFixture : ::testing::Test {
    DeviceFixture()
    {
        const uint8_t pixel[4] = {1, 2, 3, 4};
        CBitmap bitmap(pixel, 1, 1, 32);
        ITexture* t = nullptr;
        device.CreateTexture(&t, &bitmap, 0);
        texture.reset(t);
        device.SetGraphics(&g);
    }
    TriangleRecorder target;
    Kivo::Graphics g{&target};
    CGraphics_Kivo device;
    std::unique_ptr<ITexture> texture;
};

TEST_F(DeviceFixture, QuadsGoOutInBatchesOfAHundredAsTwoTriangles)
{
    auto vb = Quads(250);
    device.SetTexture(0, texture.get());
    EXPECT_EQ(device.DrawPrimitive(vb.get(), 0, 250, 0), 0);
    ASSERT_EQ(target.mBatches.size(), 3u);
    EXPECT_EQ(target.mBatches[0].vertices.size(), 600u);
    EXPECT_EQ(target.mBatches[1].vertices.size(), 600u);
    EXPECT_EQ(target.mBatches[2].vertices.size(), 300u);
    // Quad 100 is the first of the second batch: (v0, v1, v2), (v3, v0, v2).
    const std::vector<Kivo::TriVertex>& b = target.mBatches[1].vertices;
    const float expected[6] = {1000, 1001, 1002, 1003, 1000, 1002};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(b[k].x, expected[k]);
        EXPECT_EQ(b[k].y, -expected[k]);
        EXPECT_EQ(b[k].u, expected[k] - 1000);
        EXPECT_EQ(b[k].v, (expected[k] - 1000) * 2);
        EXPECT_EQ(b[k].color, 100u);
    }
    EXPECT_EQ(target.mBatches[0].source, static_cast<CTexture_Kivo*>(texture.get())->mImage);
}

TEST_F(DeviceFixture, RenderStatesPickTheDrawMode)
{
    const struct {
        uint32_t state, value;
        int mode;
    } cases[] = {{4, 1, 1}, {4, 5, 2}, {4, 0, 0}, {4, 2, 0}, {3, 1, 0}, {7, 5, 0}};
    auto vb = Quads(1);
    device.SetTexture(0, texture.get());
    for (const auto& c : cases) {
        device.SetRenderState(c.state, c.value);
        EXPECT_EQ(device.GetDrawMode(), c.mode);
        device.DrawPrimitive(vb.get(), 0, 1, 0);
        EXPECT_EQ(target.mBatches.back().drawMode, c.mode);
    }
}

TEST_F(DeviceFixture, TexturesSwapRedAndBlue)
{
    auto* image = static_cast<CTexture_Kivo*>(texture.get())->mImage;
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetBits()[0], 0x04010203u); // R 1, G 2, B 3, A 4
}

TEST_F(DeviceFixture, OutOfRangeDrawsAndCopiesDoNothing)
{
    auto vb = Quads(4);
    device.SetTexture(0, texture.get());
    EXPECT_NE(device.DrawPrimitive(vb.get(), 1, 4, 0), 0); // one vertex past the end
    EXPECT_NE(device.DrawPrimitive(vb.get(), 0xFFFFFFFF, 0xFFFFFFFF, 0), 0);
    EXPECT_EQ(device.DrawPrimitive(vb.get(), 0, 4, 0), 0);
    EXPECT_EQ(target.mBatches.size(), 1u);

    IVertexBuffer* raw = nullptr;
    device.CreateVertexBuffer(&raw, 0x40000000, 0x40000000, 0, 0); // the size overflows
    EXPECT_EQ(raw, nullptr);
    IVertexBuffer2* adaptor = nullptr;
    device.CreateVertexBuffer2(&adaptor, 2, 28, 0, 0);
    ASSERT_NE(adaptor, nullptr);
    const uint8_t bytes[56] = {9};
    EXPECT_EQ(adaptor->SetData(bytes, 0, 56), 0);
    EXPECT_NE(adaptor->SetData(bytes, 1, 56), 0);
    EXPECT_NE(adaptor->SetData(bytes, 0xFFFFFFF0, 56), 0);
    delete adaptor;
}

TEST_F(DeviceFixture, NoTextureDrawsNothing)
{
    auto vb = Quads(3);
    device.SetTexture(0, nullptr);
    EXPECT_EQ(device.DrawPrimitive(vb.get(), 0, 3, 0), 0);
    EXPECT_TRUE(target.mBatches.empty());
}

// A scripted library: files are name lists; instances report particles
// while their script says so.
struct Script {
    int released = 0;
    int filesDeleted = 0;
    int texturesDestroyed = 0;
    bool throwOnLoad = false;
    bool throwOnTextures = false;
    std::vector<std::vector<std::string>> files; // handed out in order
    std::map<std::string, std::string> created;  // emitter name -> file tag
};

struct ScriptInstance : IPyroParticleEmitter {
    ScriptInstance(Script* s, bool* live) : script(s), particles(live) {}
    void Kill() override { killed = true; }
    void Render() override { ++renders; }
    void Move(float, float, float, float, float, bool e) override { emitting = e; }
    void Prepare(float, float) override {}
    int HasParticles() const override { return *particles ? 1 : 0; }
    void Release(int) override
    {
        ++script->released;
        delete this;
    }
    Script* script;
    bool* particles;
    bool killed = false;
    bool emitting = false;
    int renders = 0;
};

bool gLive = true;

struct ScriptDef : IPyroParticleEmitterDef {
    uintptr_t handle = 0;
    uintptr_t Handle() const override { return handle; }
};

struct ScriptFile : IPyroFile {
    ScriptFile(Script* s, std::vector<std::string> n) : script(s), names(std::move(n)), defs(names.size()) {}
    ~ScriptFile() override { ++script->filesDeleted; }
    int CreateTextures() override
    {
        if (script->throwOnTextures)
            throw PyroException("textures");
        return 0;
    }
    void DestroyTextures() override { ++script->texturesDestroyed; }
    IPyroParticleEmitter* CreateInstance(uintptr_t h) override
    {
        if (h == 0 || h > names.size())
            return nullptr;
        script->created[names[h - 1]] = names.front();
        return new ScriptInstance(script, &gLive);
    }
    IPyroParticleEmitterDef* FindEmitter(const char* name) override
    {
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) {
                defs[i].handle = i + 1;
                return &defs[i];
            }
        return nullptr;
    }
    Script* script;
    std::vector<std::string> names;
    std::vector<ScriptDef> defs;
};

struct ScriptLibrary : IPyroParticleLibrary {
    explicit ScriptLibrary(Script* s) : script(s) {}
    IPyroFile* LoadFile(IPyroFileIO*) override
    {
        if (script->throwOnLoad || script->files.empty())
            throw PyroException("bad file");
        auto* f = new ScriptFile(script, script->files.front());
        script->files.erase(script->files.begin());
        return f;
    }
    void SetDevice(PyroGraphics::IDevice* d) override { device = d; }
    Script* script;
    PyroGraphics::IDevice* device = nullptr;
};

struct ManagerFixture : ::testing::Test {
    ManagerFixture()
    {
        gLive = true;
        manager = GetPyroLibraryManager();
        manager->SetLibrary(new ScriptLibrary(&script));
    }
    ~ManagerFixture() override { delete manager; }
    bool Load(const std::string& path, std::vector<std::string> names)
    {
        script.files.push_back(std::move(names));
        return manager->LoadFile(path, &reader);
    }
    Script script;
    testsupport::PyroMemoryReader reader; // an empty file
    PyroLibraryManager* manager;
};

TEST_F(ManagerFixture, ANameInTwoFilesComesFromThePathThatSortsFirst)
{
    ASSERT_TRUE(Load("properties/pyro/particles_town.pyro", {"town", "shared"}));
    ASSERT_TRUE(Load("properties/pyro/particles.pyro", {"game", "shared"}));
    IPyroParticleEmitter* e = nullptr;
    ASSERT_TRUE(manager->CreateEmitter("shared", &e));
    EXPECT_EQ(script.created["shared"], "game");
    e->Release(1);
    ASSERT_TRUE(manager->CreateEmitter("town", &e));
    e->Release(1);
    EXPECT_FALSE(manager->CreateEmitter("nothing", &e));
    EXPECT_EQ(e, nullptr);
}

TEST_F(ManagerFixture, AFailedLoadStoresNothing)
{
    script.throwOnLoad = true;
    EXPECT_FALSE(Load("a.pyro", {"x"}));
    script.throwOnLoad = false;
    script.files.clear();
    script.throwOnTextures = true;
    EXPECT_FALSE(Load("b.pyro", {"y"}));
    EXPECT_EQ(manager->FileCount(), 0u);
    EXPECT_EQ(script.filesDeleted, 1); // the file read before its textures failed
    EXPECT_FALSE(manager->LoadFile("no/such/file.pyro"));
}

TEST_F(ManagerFixture, LoadingAPathAgainReplacesItsFile)
{
    ASSERT_TRUE(Load("a.pyro", {"old"}));
    ASSERT_TRUE(Load("a.pyro", {"new"}));
    EXPECT_EQ(manager->FileCount(), 1u);
    EXPECT_EQ(script.texturesDestroyed, 1);
    EXPECT_EQ(script.filesDeleted, 1);
    EXPECT_FALSE(manager->HasEmitter("old"));
    EXPECT_TRUE(manager->HasEmitter("new"));
}

TEST_F(ManagerFixture, WithoutALibraryNothingLoadsOrStarts)
{
    manager->SetLibrary(nullptr);
    EXPECT_FALSE(Load("a.pyro", {"x"}));
    IPyroParticleEmitter* e = nullptr;
    EXPECT_FALSE(manager->CreateEmitter("x", &e));
    PyroEmitter emitter("x");
    EXPECT_FALSE(emitter.alive());
}

TEST_F(ManagerFixture, AnEmitterStaysAliveFor25StepsAfterItsLastParticle)
{
    ASSERT_TRUE(Load("a.pyro", {"e"}));
    PyroEmitter emitter("e");
    ASSERT_TRUE(emitter.HasInstance());
    emitter.PlaceAndStart(3, 4);
    emitter.update(1);
    EXPECT_TRUE(static_cast<ScriptInstance*>(emitter.mEmitter)->emitting);
    gLive = false;
    int steps = 0;
    while (emitter.alive() && steps < 100) {
        emitter.update(1);
        ++steps;
    }
    EXPECT_EQ(steps, 25);
}

TEST_F(ManagerFixture, UnknownEmittersEndAtOnceAndDrawNothing)
{
    PyroEmitter emitter("missing");
    EXPECT_FALSE(emitter.alive());
    Kivo::Graphics g;
    emitter.render(&g);
    emitter.update(1);
    GfxPyroSystem effect("missing", 1, 2);
    EXPECT_FALSE(effect.start());
    EXPECT_EQ(effect.process(), -1);
}

TEST_F(ManagerFixture, InstancesAreReleasedOnceWhateverTheOwnerDoes)
{
    ASSERT_TRUE(Load("a.pyro", {"e"}));
    {
        PyroEmitter a("e");
        a.destroy();
        a.destroy();
        PyroEmitter b("e");
    }
    EXPECT_EQ(script.released, 2);
    {
        GfxPyroSystem effect("e", 0, 0);
    }
    EXPECT_EQ(script.released, 3);
}

TEST_F(ManagerFixture, StopWithKillDropsTheParticles)
{
    ASSERT_TRUE(Load("a.pyro", {"e"}));
    PyroEmitter emitter("e");
    emitter.start();
    auto* instance = static_cast<ScriptInstance*>(emitter.mEmitter);
    emitter.stop(false);
    EXPECT_FALSE(instance->killed);
    emitter.stop(true);
    EXPECT_TRUE(instance->killed);
    emitter.update(1);
    EXPECT_FALSE(instance->emitting);
}

TEST_F(ManagerFixture, TheListDropsEmittersThatDied)
{
    ASSERT_TRUE(Load("a.pyro", {"e"}));
    PyroEmitterList list;
    EXPECT_EQ(list.Spawn("missing", 0, 0), nullptr);
    PyroEmitter* first = list.Spawn("e", 5, 6);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->mEmitting);
    EXPECT_EQ(first->mX, 5);
    list.Spawn("e", 0, 0);
    Kivo::Graphics g;
    list.Render(&g);
    EXPECT_EQ(static_cast<ScriptInstance*>(first->mEmitter)->renders, 1);
    list.Update(1);
    EXPECT_EQ(list.Size(), 2u);
    gLive = false;
    for (int i = 0; i < 24; ++i)
        list.Update(1);
    EXPECT_EQ(list.Size(), 2u);
    list.Update(1);
    EXPECT_EQ(list.Size(), 0u);
    EXPECT_EQ(script.released, 2);
}

TEST_F(ManagerFixture, TheEffectRunsWhileItsEmitterLives)
{
    ASSERT_TRUE(Load("a.pyro", {"e"}));
    GfxPyroSystem effect("e", 10, 20);
    EXPECT_TRUE(effect.start());
    EXPECT_EQ(effect.Emitter().mX, 10);
    gLive = false;
    int steps = 0;
    while (effect.process() != -1 && steps < 100) {
        effect.update(1);
        ++steps;
    }
    EXPECT_EQ(steps, 25);
}

TEST_F(ManagerFixture, TheRoundFlyCirclesAndStopsEmittingAfterItsTurns)
{
    ASSERT_TRUE(Load("a.pyro", {"round_hint_fly"}));
    GfxRoundFly few(0, 0, 10, 10, 0.5f);
    EXPECT_FALSE(few.start());
    GfxRoundFly fly(755, 560, 90, 80, 1);
    ASSERT_TRUE(fly.start());
    EXPECT_EQ(fly.name(), "GfxRoundFly");
    fly.update(0); // at t 0 the emitter is at the bottom of the ellipse
    EXPECT_NEAR(fly.mEmitter.mX, 755, 0.01);
    EXPECT_NEAR(fly.mEmitter.mY, 600, 0.01);
    int steps = 0;
    while (fly.mEmitter.mEmitting && steps < 1000) {
        fly.update(1);
        EXPECT_EQ(fly.process(), 0);
        ++steps;
    }
    EXPECT_EQ(steps, 189); // 2π·30 steps
    GfxRoundFly killed(0, 0, 10, 10, 2);
    ASSERT_TRUE(killed.start());
    killed.onMessage("kill");
    EXPECT_FALSE(killed.mEmitter.mEmitting);
}

TEST_F(ManagerFixture, ParticleLayersRunTheirEmitterByName)
{
    ASSERT_TRUE(Load("a.pyro", {"smoke"}));
    TiXmlDocument doc;
    doc.Parse("<Layer><Particles id=\"smoke\" name=\"p\" x=\"5\" y=\"6\"/><Particles id=\"missing\"/></Layer>");
    LayerSet set;
    ASSERT_TRUE(set.Load(doc.RootElement()));
    ASSERT_EQ(set.GetLayerCount(), 1);
    auto* layer = dynamic_cast<LayerParticles*>(set.FindLayer("p"));
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->FindLayer("anything"), layer);
    ASSERT_EQ(layer->mEmitters.Size(), 1u);
    Kivo::Graphics g;
    set.Draw(&g, 100, 200);
    layer->mVisible = false;
    set.Draw(&g, 100, 200);
    layer->DrawForced(&g, 0, 0);
    set.Update(1);
    gLive = false;
    for (int i = 0; i < 30; ++i)
        set.Update(1); // hidden: nothing advances
    EXPECT_EQ(layer->mEmitters.Size(), 1u);
    layer->mVisible = true;
    for (int i = 0; i < 30; ++i)
        set.Update(1);
    EXPECT_EQ(layer->mEmitters.Size(), 0u);
}

TEST_F(ManagerFixture, TheLabelsFactoryRunsBurstsAndEmitters)
{
    ASSERT_TRUE(Load("a.pyro", {"counter_appear"}));
    InstallEffectHooks();
    UiEffectsFactory* factory = GetUiEffects();
    ASSERT_NE(factory, nullptr);
    std::unique_ptr<UiEffectList> list(factory->NewEffectList());
    list->AddPyroSystem("counter_appear", 10, 10);
    list->AddPyroSystem("missing", 10, 10);
    list->Process();
    Kivo::Graphics g;
    list->UpdateF(1);
    list->Draw(&g);
    EXPECT_EQ(script.released, 0);
    std::unique_ptr<UiEmitter> emitter(factory->NewEmitter("counter_appear"));
    emitter->Start();
    emitter->SetPosition(1, 2);
    emitter->UpdateF(1);
    emitter->Stop(true);
    emitter->Draw(&g);
    gLive = false;
    for (int i = 0; i < 30; ++i) {
        list->UpdateF(1);
        list->Process();
    }
    EXPECT_EQ(script.released, 1); // the burst ended and its effect went
    SetUiEffects(nullptr);
}

} // namespace
