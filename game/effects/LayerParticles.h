#pragma once
// A layer of particle emitters, loaded from a "Particles" element: the
// emitter named by "id" starts at the layer's (x, y) in its parent.
#include "game/effects/ComplexImage.h"
#include "game/effects/PyroEmitterList.h"

class LayerParticles : public ComplexImage {
public:
    void Draw(Kivo::Graphics* g, int x, int y) override;
    void DrawForced(Kivo::Graphics* g, int x, int y) override;
    void Tick() override {}
    void Update(float dt) override;
    int GetWidth() override { return 0; }
    int GetHeight() override { return 0; }
    int GetLayerCount() override { return 1; }
    ComplexImage* FindLayer(const std::string&) override { return this; }
    ComplexImage* GetLayer(int index) override { return index < 1 ? this : nullptr; }
    bool Load(TiXmlElement* element) override;

    PyroEmitterList mEmitters;
};
