#pragma once
// One running system of the own particle engine: up to 800 particles born
// at a moving point and drawn as coloured, scaled, turned copies of one
// image. Times in seconds; update() takes hundredths of a second.
#include "game/effects/ParticleSystemInfo.h"

namespace Kivo {
class Graphics;
}

struct Particle {
    float x, y;
    float vx, vy;
    float gravity, radialAcc, tangentialAcc;
    float spin, spinDelta;
    float size, sizeDelta;
    ParticleColor color, colorDelta;
    float age, terminalAge;
    float wavePhase, alphaPhase;
};

class ParticleSystem {
public:
    static constexpr int kMaxParticles = 800;
    // Ages with a meaning: stopped, endless, one burst.
    static constexpr float kStopped = -2.0f;
    static constexpr float kEndless = -1.0f;
    static constexpr float kBurst = -3.0f;

    // `rate` 0 runs one step per update; otherwise steps of 1/rate seconds.
    ParticleSystem(const ParticleSystemInfo& info, float rate);

    void FireAt(float x, float y);
    void MoveTo(float x, float y, bool moveParticles);
    void Update(float dt);
    void Render(Kivo::Graphics* g);
    void Step(float t);

    ParticleSystemInfo mInfo;
    float mUpdateStep = 0;
    float mUpdateResidue = 0;
    float mAge = kStopped;
    float mEmissionResidue = 0;
    float mPrevX = 0, mPrevY = 0;
    float mX = 0, mY = 0;
    float mOffsetX = 0, mOffsetY = 0;
    int mCount = 0;
    Particle mParticles[kMaxParticles];

private:
    void Emit(int count);
};
