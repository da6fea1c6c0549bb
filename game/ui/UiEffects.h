#pragma once
// What the animated labels need of the effect system above them: an effect
// list that runs particle bursts by emitter name, and a single emitter that
// trails a moving point. The effect system implements the factory and
// installs it; without one, labels run without particles.
#include <string>

namespace Kivo {
class Graphics;
}

class UiEffectList {
public:
    virtual ~UiEffectList() = default;
    // The per-tick processing; finished effects are dropped.
    virtual void Process() = 0;
    virtual void UpdateF(float fraction) = 0;
    virtual void Draw(Kivo::Graphics* g) = 0;
    // A particle burst of the named emitter at (x, y); an unknown name ends
    // at once.
    virtual void AddPyroSystem(const std::string& name, int x, int y) = 0;
};

class UiEmitter {
public:
    virtual ~UiEmitter() = default;
    virtual void Start() = 0;
    // Stops emitting; with `dropParticles` the particles already out vanish,
    // else they live on.
    virtual void Stop(bool dropParticles) = 0;
    virtual void SetPosition(float x, float y) = 0;
    virtual void UpdateF(float fraction) = 0;
    virtual void Draw(Kivo::Graphics* g) = 0;
};

class UiEffectsFactory {
public:
    virtual ~UiEffectsFactory() = default;
    // Both owned by the caller.
    virtual UiEffectList* NewEffectList() = 0;
    virtual UiEmitter* NewEmitter(const std::string& name) = 0;
};

// The installed factory; null until one is installed.
UiEffectsFactory* GetUiEffects();
void SetUiEffects(UiEffectsFactory* factory);
