#pragma once
// An effect that runs one particle emitter, started at a point, until the
// emitter is no longer alive. It never stops the emitter itself: the
// emitter must stop emitting by itself.
#include "game/effects/PyroEmitter.h"
#include "game/effects/gfxBase.h"

class GfxPyroSystem : public gfxBase {
public:
    GfxPyroSystem(const std::string& emitterName, int x, int y);
    ~GfxPyroSystem() override;

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    PyroEmitter& Emitter() { return mEmitter; }

private:
    PyroEmitter mEmitter;
};
