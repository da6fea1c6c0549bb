#include "game/effects/PyroEmitterList.h"

#include "framework/graphics/Graphics.h"
#include "game/effects/CGraphics_Kivo.h"
#include "game/effects/PyroLibraryManager.h"

PyroEmitter* PyroEmitterList::Spawn(const std::string& name, float x, float y)
{
    PyroParticles::IPyroParticleEmitter* instance = nullptr;
    if (!GetPyroLibraryManager()->CreateEmitter(name, &instance))
        return nullptr;
    auto emitter = std::make_unique<PyroEmitter>(instance);
    emitter->PlaceAndStart(x, y);
    mEmitters.push_back(std::move(emitter));
    return mEmitters.back().get();
}

void PyroEmitterList::Update(float dt)
{
    for (auto it = mEmitters.begin(); it != mEmitters.end();) {
        (*it)->update(dt);
        if ((*it)->alive())
            ++it;
        else
            it = mEmitters.erase(it);
    }
}

void PyroEmitterList::Render(Kivo::Graphics* g)
{
    if (!g)
        return;
    g->PushState();
    for (auto& emitter : mEmitters)
        emitter->render(g);
    g->PopState();
}
