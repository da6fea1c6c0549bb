#pragma once
// The animated outline an energised brick draws round its mask. Outlines are
// made by a module above this one, which installs its maker at start-up;
// without a maker bricks draw none.
namespace Kivo {
class Graphics;
class Image;
} // namespace Kivo

class EnergyOutline {
public:
    virtual ~EnergyOutline() = default;
    // dt: the frame fraction (10 ms steps).
    virtual void Update(float dt) = 0;
    // With the mask's top-left corner at (x, y), in the context's colour.
    virtual void DrawAt(Kivo::Graphics* g, float x, float y) = 0;
};

using EnergyOutlineMaker = EnergyOutline* (*)(Kivo::Image* mask);
void SetEnergyOutlineMaker(EnergyOutlineMaker maker);
// A new outline round the mask, owned by the caller; null without a maker.
EnergyOutline* MakeEnergyOutline(Kivo::Image* mask);
