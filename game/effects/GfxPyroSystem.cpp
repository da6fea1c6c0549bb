#include "game/effects/GfxPyroSystem.h"

GfxPyroSystem::GfxPyroSystem(const std::string& emitterName, int x, int y) : mEmitter(emitterName)
{
    mEmitter.PlaceAndStart(static_cast<float>(x), static_cast<float>(y));
}

GfxPyroSystem::~GfxPyroSystem() { mEmitter.destroy(); }

bool GfxPyroSystem::start() { return mEmitter.alive(); }

int GfxPyroSystem::process() { return mEmitter.alive() ? 0 : -1; }

void GfxPyroSystem::update(float frac) { mEmitter.update(frac); }

void GfxPyroSystem::draw(Kivo::Graphics* g) { mEmitter.render(g); }
