#pragma once
// Up to 250 running systems of the own particle engine, spawned by
// definition id; a stopped system without particles is dropped.
#include <string>

namespace Kivo {
class Graphics;
}
class ParticleSystem;

class ParticleManager {
public:
    static constexpr int kMaxSystems = 250;

    explicit ParticleManager(float rate = 0);
    ~ParticleManager();
    ParticleManager(const ParticleManager&) = delete;
    ParticleManager& operator=(const ParticleManager&) = delete;

    // The new system fired at (x, y), or null for an unknown id or a full
    // manager.
    ParticleSystem* Spawn(const std::string& id, float x, float y);
    void Update(float dt);
    void Render(Kivo::Graphics* g);
    bool IsActive() const { return mCount > 0; }
    int Count() const { return mCount; }
    ParticleSystem* Get(int i) const { return i >= 0 && i < mCount ? mSystems[i] : nullptr; }
    void SetOffset(float x, float y)
    {
        mOffsetX = x;
        mOffsetY = y;
    }

private:
    float mRate;
    int mCount = 0;
    float mOffsetX = 0, mOffsetY = 0;
    ParticleSystem* mSystems[kMaxSystems] = {};
};
