#include "game/effects/ParticleManager.h"

#include "game/effects/ParticleLibraryManager.h"
#include "game/effects/ParticleSystem.h"

ParticleManager::ParticleManager(float rate) : mRate(rate) {}

ParticleManager::~ParticleManager()
{
    for (int i = 0; i < mCount; ++i)
        delete mSystems[i];
}

ParticleSystem* ParticleManager::Spawn(const std::string& id, float x, float y)
{
    ParticleSystemInfo info;
    if (mCount >= kMaxSystems || !GetParticleLibraryManager()->Find(id, info))
        return nullptr;
    auto* system = new ParticleSystem(info, mRate);
    system->FireAt(x, y);
    system->mOffsetX = mOffsetX;
    system->mOffsetY = mOffsetY;
    mSystems[mCount++] = system;
    return system;
}

void ParticleManager::Update(float dt)
{
    for (int i = 0; i < mCount;) {
        ParticleSystem* s = mSystems[i];
        s->Update(dt);
        if (s->mAge == ParticleSystem::kStopped && s->mCount == 0) {
            delete s;
            mSystems[i] = mSystems[--mCount];
            mSystems[mCount] = nullptr;
            continue;
        }
        ++i;
    }
}

void ParticleManager::Render(Kivo::Graphics* g)
{
    for (int i = 0; i < mCount; ++i)
        mSystems[i]->Render(g);
}
