#pragma once
// Draws a brick look, a cel of a brick image with its chain, frame and box
// modifiers, through a transform. The modifier images are looked up once
// for the whole program. Colour and colourised drawing are the caller's.
#include <cstdint>
#include <vector>

namespace Kivo {
class Graphics;
class Image;
class Transform;
} // namespace Kivo

class LevelMap;
struct FlyingBrick;

class GfxDrawBrickHelper {
public:
    virtual ~GfxDrawBrickHelper() = default;

    // The brick cel (reduced modulo the cel count), then its modifiers;
    // with the box flag only the box. A missing image draws nothing.
    void DrawBrick(Kivo::Graphics* g, Kivo::Image* image, int cel, uint32_t flags, const Kivo::Transform& t);
    // Cel `cel` of `image` centred on the transform's point, shifted by (x, y).
    static void DrawCel(Kivo::Graphics* g, Kivo::Image* image, int cel, const Kivo::Transform& t, float x = 0,
                        float y = 0);
    // Each brick at its point, alpha t (fading in) or 1 - t (fading out).
    void DrawFlyingBricks(Kivo::Graphics* g, const std::vector<FlyingBrick>& bricks, bool fadeIn);
    // The next cel, wrapping at the image's cel count.
    static int NextCel(Kivo::Image* image, int cel);
};

// A brick of a whole-board effect flying between two points.
struct FlyingBrick {
    Kivo::Image* mImage = nullptr;
    int mCel = 0;
    uint32_t mFlags = 0;
    float mX = 0, mY = 0;
    float mStartX = 0, mStartY = 0;
    float mEndX = 0, mEndY = 0;
    float mT = 0;
    float mSpeed = 0;
    bool mArrived = false;
    float mWait = 0; // seconds
};

// One record per cell of the map with a brick image (the key only when
// `withKey`), rows outer, columns inner, each on its cell centre.
void CollectFlyingBricks(const LevelMap& map, bool withKey, std::vector<FlyingBrick>& out);
