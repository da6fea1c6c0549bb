#pragma once
// The energy outline an energized brick draws round itself, made from its
// colour's mask image. The effect system above the board supplies outlines
// through an installed factory; without one, energized bricks show only
// their glow.
namespace Kivo {
class Graphics;
class Image;
} // namespace Kivo

class BrickOutline {
public:
    virtual ~BrickOutline() = default;
    // dt: the brick's frame fraction.
    virtual void Update(float dt) = 0;
    // With the mask's top-left at (x, y), in the context's colour.
    virtual void Draw(Kivo::Graphics& g, float x, float y) = 0;
};

class BrickOutlineFactory {
public:
    virtual ~BrickOutlineFactory() = default;
    // Owned by the caller; null when the mask gives no outline.
    virtual BrickOutline* NewOutline(Kivo::Image* mask) = 0;
};

// The installed factory; null until one is installed.
BrickOutlineFactory* GetBrickOutlines();
void SetBrickOutlines(BrickOutlineFactory* factory);
