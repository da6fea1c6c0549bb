#include "game/effects/ParticleSystem.h"

#include "framework/core/FastMath.h"
#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;
// A zero life would divide the deltas by zero.
constexpr float kMinTerminalAge = 1e-4f;
// Steps one update may run at a non-zero rate.
constexpr int kMaxStepsPerUpdate = 100;

float Rand(float lo, float hi) { return Kivo::RandomFloat(lo, hi); }

// A start value in [start, start + (end − start)·variation] and its delta.
void Vary(float start, float end, float variation, float life, float& value, float& delta)
{
    value = Rand(start, start + (end - start) * variation);
    delta = (end - value) / life;
}

// NaN (from values at the ends of the float range) counts as 0.
int Channel(float v) { return v > 0 ? static_cast<int>(std::min(v, 1.0f) * 255.0f) : 0; }

} // namespace

ParticleSystem::ParticleSystem(const ParticleSystemInfo& info, float rate)
    : mInfo(info), mUpdateStep(rate > 0 ? 1.0f / rate : 0.0f)
{
}

void ParticleSystem::FireAt(float x, float y)
{
    mAge = kStopped;
    MoveTo(x, y, false);
    if (mInfo.lifetime == kEndless)
        mAge = kEndless;
    else if (mInfo.lifetime == kBurst)
        mAge = kBurst;
    else
        mAge = 0.0f;
    mUpdateResidue = 0;
}

void ParticleSystem::MoveTo(float x, float y, bool moveParticles)
{
    if (moveParticles) {
        const float dx = x - mX, dy = y - mY;
        for (int i = 0; i < mCount; ++i) {
            mParticles[i].x += dx;
            mParticles[i].y += dy;
        }
        mPrevX += dx;
        mPrevY += dy;
    } else if (mAge == kStopped) {
        mPrevX = x + Rand(-mInfo.bornWidth / 2, mInfo.bornWidth / 2);
        mPrevY = y + Rand(-mInfo.bornHeight / 2, mInfo.bornHeight / 2);
    } else {
        mPrevX = mX;
        mPrevY = mY;
    }
    mX = x;
    mY = y;
}

void ParticleSystem::Update(float dt)
{
    if (mUpdateStep == 0) {
        Step(dt / 100.0f);
        return;
    }
    // Whole steps of the fixed length; a long stall runs a bounded number.
    mUpdateResidue += dt / 100.0f;
    int steps = 0;
    while (mUpdateResidue >= mUpdateStep && steps < kMaxStepsPerUpdate) {
        Step(mUpdateStep);
        mUpdateResidue -= mUpdateStep;
        ++steps;
    }
    if (steps == kMaxStepsPerUpdate)
        mUpdateResidue = std::fmod(mUpdateResidue, mUpdateStep);
}

void ParticleSystem::Step(float t)
{
    if (mAge >= 0) {
        mAge += t;
        if (mAge >= mInfo.lifetime)
            mAge = kStopped;
    }
    for (int i = 0; i < mCount;) {
        Particle& p = mParticles[i];
        p.age += t;
        if (p.age >= p.terminalAge) {
            p = mParticles[--mCount];
            continue;
        }
        float nx = p.x - mX, ny = p.y - mY;
        const float len2 = nx * nx + ny * ny;
        if (len2 > 0) {
            const float inv = Kivo::FastInvSqrt(len2);
            nx *= inv;
            ny *= inv;
        } else {
            nx = ny = 0; // on the point itself there is no direction
        }
        p.vx += (nx * p.radialAcc - ny * p.tangentialAcc) * t;
        p.vy += (ny * p.radialAcc + nx * p.tangentialAcc) * t;
        p.vy += p.gravity * t;
        p.x += p.vx;
        p.y += p.vy;
        p.spin += p.spinDelta * t;
        p.size += p.sizeDelta * t;
        p.color.a += p.colorDelta.a * t;
        p.color.b += p.colorDelta.b * t;
        p.color.g += p.colorDelta.g * t;
        p.color.r += p.colorDelta.r * t;
        if (mInfo.waveSpeed > 0)
            p.wavePhase += t * mInfo.waveSpeed;
        if (mInfo.alphaRepeat > 0) {
            p.alphaPhase += t * mInfo.alphaRepeat * 50.0f;
            const float d = p.colorDelta.a;
            p.color.a = mInfo.colorStart.a + d / 2 - Kivo::FastCos(p.alphaPhase) * d / 2;
        }
        ++i;
    }
    if (mAge != kStopped) {
        float count = static_cast<float>(mInfo.emission) * t + mEmissionResidue;
        if (mInfo.lifetime == kBurst) {
            count = static_cast<float>(mInfo.emission);
            mAge = kStopped;
        }
        const float whole = std::floor(count);
        mEmissionResidue = count - whole;
        // At most the free slots; the rest of the whole part is dropped.
        Emit(static_cast<int>(std::clamp(whole, 0.0f, static_cast<float>(kMaxParticles - mCount))));
    }
    mPrevX = mX;
    mPrevY = mY;
}

void ParticleSystem::Emit(int count)
{
    const ParticleSystemInfo& s = mInfo;
    for (int k = 0; k < count && mCount < kMaxParticles; ++k) {
        Particle& p = mParticles[mCount++];
        p.age = 0;
        p.terminalAge = std::max(Rand(s.particleLifeMin, s.particleLifeMax), kMinTerminalAge);
        const float f = Rand(0, 1);
        p.x = mPrevX + (mX - mPrevX) * f + Rand(-2, 2) + Rand(-s.bornWidth / 2, s.bornWidth / 2);
        p.y = mPrevY + (mY - mPrevY) * f + Rand(-2, 2) + Rand(-s.bornHeight / 2, s.bornHeight / 2);
        float angle = s.direction - kPi / 2 + Rand(0, s.spread) - s.spread / 2;
        if (s.relative)
            angle += std::atan2(mPrevY - mY, mPrevX - mX) + kPi / 2;
        const float speed = Rand(s.speedMin, s.speedMax);
        p.vx = std::cos(angle) * speed;
        p.vy = std::sin(angle) * speed;
        p.gravity = Rand(s.gravityMin, s.gravityMax);
        p.radialAcc = Rand(s.radialAccMin, s.radialAccMax);
        p.tangentialAcc = Rand(s.tangentialAccMin, s.tangentialAccMax);
        const float life = p.terminalAge;
        Vary(s.sizeStart, s.sizeEnd, s.sizeVar, life, p.size, p.sizeDelta);
        Vary(s.spinStart, s.spinEnd, s.spinVar, life, p.spin, p.spinDelta);
        Vary(s.colorStart.r, s.colorEnd.r, s.colorVar, life, p.color.r, p.colorDelta.r);
        Vary(s.colorStart.g, s.colorEnd.g, s.colorVar, life, p.color.g, p.colorDelta.g);
        Vary(s.colorStart.b, s.colorEnd.b, s.colorVar, life, p.color.b, p.colorDelta.b);
        Vary(s.colorStart.a, s.colorEnd.a, s.alphaVar, life, p.color.a, p.colorDelta.a);
        p.wavePhase = Kivo::RandomIndex(2) ? kPi : 0.0f;
        p.alphaPhase = 0;
    }
}

void ParticleSystem::Render(Kivo::Graphics* g)
{
    // An image still loading when the definitions were read is found now.
    if (!mInfo.image && !mInfo.imageId.empty())
        mInfo.image = GetImageById(mInfo.imageId);
    if (!g || !mInfo.image || mCount == 0)
        return;
    g->PushState();
    if (mInfo.blend == 1)
        g->SetDrawMode(Kivo::DRAWMODE_ADDITIVE);
    g->SetColorizeImages(true);
    for (int i = 0; i < mCount; ++i) {
        const Particle& p = mParticles[i];
        // Channels kept in 0..255: a colour out of range would wrap.
        g->SetColorRGBA(Channel(p.color.r), Channel(p.color.g), Channel(p.color.b), Channel(p.color.a));
        Kivo::Transform transform;
        if (mInfo.waveSize > 0.1f) {
            float nx = -p.vy, ny = p.vx;
            const float len2 = nx * nx + ny * ny;
            if (len2 > 0) {
                const float inv = Kivo::FastInvSqrt(len2);
                const float swing = Kivo::FastSin(p.wavePhase) * mInfo.waveSize;
                transform.Translate(nx * inv * swing, ny * inv * swing);
            }
        }
        transform.Scale(p.size, p.size);
        transform.Rotate(p.spin * p.age);
        transform.Translate(p.x + mOffsetX, p.y + mOffsetY);
        g->DrawImageTransformF(mInfo.image, transform, 0, 0);
    }
    g->PopState();
}
