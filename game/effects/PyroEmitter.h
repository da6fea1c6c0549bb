#pragma once
// One emitter of the particle library, with its own clock. The clock
// advances 0.008 per update step (0.8 per second); an emitter whose
// particles have all died stays alive for 0.2 of that clock (25 steps), so
// that an emitter which has not emitted its first particle yet is not
// dropped at once.
#include <string>

namespace Kivo {
class Graphics;
}
namespace PyroParticles {
class IPyroParticleEmitter;
}

class PyroEmitter {
public:
    // The instance comes from the loaded particle files; an unknown name
    // gives an emitter without one, which never draws and is not alive.
    explicit PyroEmitter(const std::string& name);
    // Takes ownership of `instance` (may be null).
    explicit PyroEmitter(PyroParticles::IPyroParticleEmitter* instance);
    PyroEmitter(const PyroEmitter&) = delete;
    PyroEmitter& operator=(const PyroEmitter&) = delete;
    // Releases the instance when destroy() has not.
    ~PyroEmitter();

    void start() { mEmitting = true; }
    void setPos(float x, float y)
    {
        mX = x;
        mY = y;
    }
    void PlaceAndStart(float x, float y)
    {
        mEmitting = true;
        setPos(x, y);
    }
    // Stops emitting; with `kill` the live particles vanish too.
    void stop(bool kill = false);
    // `dt` counts update steps (the per-frame fraction).
    void update(float dt);
    bool alive() const;
    void render(Kivo::Graphics* g);
    // Releases the instance; safe to call twice.
    void destroy();

    bool HasInstance() const { return mEmitter != nullptr; }

    static constexpr float kClockPerStep = 0.008f;
    static constexpr float kGrace = 0.2f;

    float mX = 0;
    float mY = 0;
    float mTime = 0;
    float mLastLiveTime = 0;
    bool mEmitting = false;
    PyroParticles::IPyroParticleEmitter* mEmitter = nullptr; // owned
};
