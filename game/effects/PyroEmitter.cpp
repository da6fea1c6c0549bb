#include "game/effects/PyroEmitter.h"

#include "framework/graphics/Graphics.h"
#include "game/effects/CGraphics_Kivo.h"
#include "game/effects/PyroLibraryManager.h"

using PyroParticles::IPyroParticleEmitter;

PyroEmitter::PyroEmitter(const std::string& name)
{
    GetPyroLibraryManager()->CreateEmitter(name, &mEmitter);
}

PyroEmitter::PyroEmitter(IPyroParticleEmitter* instance) : mEmitter(instance) {}

PyroEmitter::~PyroEmitter() { destroy(); }

void PyroEmitter::stop(bool kill)
{
    mEmitting = false;
    if (kill && mEmitter)
        mEmitter->Kill();
}

void PyroEmitter::update(float dt)
{
    const float step = dt * kClockPerStep;
    mTime += step;
    if (!mEmitter)
        return;
    mEmitter->Prepare(mTime, step);
    mEmitter->Move(mTime, step, mX, mY, 0.0f, mEmitting);
    if (mEmitter->HasParticles())
        mLastLiveTime = mTime;
}

bool PyroEmitter::alive() const
{
    if (!mEmitter)
        return false;
    return mEmitter->HasParticles() != 0 || mTime - mLastLiveTime < kGrace;
}

void PyroEmitter::render(Kivo::Graphics* g)
{
    if (!mEmitter || !g)
        return;
    PyroParticles::CGraphics_Kivo* device = GetPyroLibraryManager()->GetDevice();
    g->PushState();
    Kivo::Graphics* before = device->GetGraphics();
    device->SetGraphics(g);
    mEmitter->Render();
    device->SetGraphics(before);
    g->PopState();
}

void PyroEmitter::destroy()
{
    if (mEmitter)
        mEmitter->Release(1);
    mEmitter = nullptr;
}
