#pragma once
// A particle library for effect tests: every emitter name exists except
// those starting with "missing"; an emitter emits for 0.08 of its clock
// (10 update steps) or until stopped, and its particles live 0.04 longer.
// Emitters keep their name, so tests can tell which bursts an effect started.
#include "game/effects/GfxPyroSystem.h"
#include "game/effects/PyroLibraryManager.h"
#include "platform/pyro/PyroParticles.h"
#include "tests/support/PyroMemory.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fakepyro {

class Emitter : public PyroParticles::IPyroParticleEmitter {
public:
    explicit Emitter(std::string name) : mName(std::move(name)) {}
    void Kill() override { mKilled = true; }
    void Render() override { ++mRenders; }
    void Move(float time, float, float x, float y, float, bool emitting) override
    {
        mTime = time;
        mX = x;
        mY = y;
        if (emitting && time < 0.08f)
            mLastEmission = time;
    }
    void Prepare(float, float) override {}
    int HasParticles() const override { return !mKilled && mTime - mLastEmission < 0.04f; }
    void Release(int) override { delete this; }

    std::string mName;
    float mTime = 0;
    float mLastEmission = 0;
    float mX = 0, mY = 0;
    bool mKilled = false;
    int mRenders = 0;
};

class Def : public PyroParticles::IPyroParticleEmitterDef {
public:
    explicit Def(std::string name) : mName(std::move(name)) {}
    uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(this); }
    std::string mName;
};

class File : public PyroParticles::IPyroFile {
public:
    int CreateTextures() override { return 0; }
    void DestroyTextures() override {}
    PyroParticles::IPyroParticleEmitter* CreateInstance(uintptr_t handle) override
    {
        return new Emitter(reinterpret_cast<const Def*>(handle)->mName);
    }
    PyroParticles::IPyroParticleEmitterDef* FindEmitter(const char* name) override
    {
        const std::string id(name);
        if (id.rfind("missing", 0) == 0)
            return nullptr;
        auto& def = mDefs[id];
        if (!def)
            def = std::make_unique<Def>(id);
        return def.get();
    }
    std::map<std::string, std::unique_ptr<Def>> mDefs;
};

class Library : public PyroParticles::IPyroParticleLibrary {
public:
    PyroParticles::IPyroFile* LoadFile(PyroParticles::IPyroFileIO*) override { return new File; }
    void SetDevice(PyroParticles::PyroGraphics::IDevice*) override {}
};

// Gives the particle manager the fake library and its one file, unless it
// has them already (tests of the real library replace the manager).
inline void Install()
{
    PyroLibraryManager* manager = PyroLibraryManager::Instance();
    if (dynamic_cast<Library*>(manager->GetLibrary()))
        return;
    manager->SetLibrary(new Library);
    testsupport::PyroMemoryReader reader; // an empty file
    EXPECT_TRUE(manager->LoadFile("fake.pyro", &reader));
}

// The name of the emitter a particle effect runs; empty when it has none.
inline std::string NameOf(gfxBase* effect)
{
    auto* system = dynamic_cast<GfxPyroSystem*>(effect);
    if (!system || !system->Emitter().mEmitter)
        return {};
    return static_cast<Emitter*>(system->Emitter().mEmitter)->mName;
}

struct Burst {
    std::string mName;
    int mX, mY;
    bool operator==(const Burst&) const = default;
};

// Takes every follow-up the effect queued, as bursts (non-particle
// follow-ups get an empty name), and deletes them.
inline std::vector<Burst> TakeBursts(gfxBase& effect)
{
    std::vector<Burst> out;
    while (gfxBase* next = effect.popNext()) {
        auto* system = dynamic_cast<GfxPyroSystem*>(next);
        out.push_back({NameOf(next), system ? static_cast<int>(system->Emitter().mX) : 0,
                       system ? static_cast<int>(system->Emitter().mY) : 0});
        delete next;
    }
    return out;
}

} // namespace fakepyro
