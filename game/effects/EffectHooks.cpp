#include "game/effects/EffectHooks.h"

#include "game/effects/GfxManager.h"
#include "game/effects/GfxPyroSystem.h"
#include "game/effects/LightningFigure.h"
#include "game/effects/PyroEmitter.h"

namespace {

class PyroUiEffectList : public UiEffectList {
public:
    void Process() override { mEffects.processEffects(); }
    void UpdateF(float fraction) override { mEffects.updateEffects(fraction); }
    void Draw(Kivo::Graphics* g) override { mEffects.drawEffects(g); }
    void AddPyroSystem(const std::string& name, int x, int y) override
    {
        mEffects.addEffect(new GfxPyroSystem(name, x, y));
    }

private:
    GfxManager mEffects;
};

class PyroUiEmitter : public UiEmitter {
public:
    explicit PyroUiEmitter(const std::string& name) : mEmitter(name) {}
    void Start() override { mEmitter.start(); }
    void Stop(bool dropParticles) override { mEmitter.stop(dropParticles); }
    void SetPosition(float x, float y) override { mEmitter.setPos(x, y); }
    void UpdateF(float fraction) override { mEmitter.update(fraction); }
    void Draw(Kivo::Graphics* g) override { mEmitter.render(g); }

private:
    PyroEmitter mEmitter;
};

} // namespace

UiEffectList* PyroUiEffectsFactory::NewEffectList() { return new PyroUiEffectList; }

UiEmitter* PyroUiEffectsFactory::NewEmitter(const std::string& name) { return new PyroUiEmitter(name); }

void InstallEffectHooks()
{
    static PyroUiEffectsFactory labels;
    if (!GetUiEffects())
        SetUiEffects(&labels);
    InstallEnergyOutlines();
}
