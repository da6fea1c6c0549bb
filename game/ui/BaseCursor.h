#pragma once
// One of the game's mouse cursors: an animated picture from the resources
// drawn at the last mouse position plus its hot spot.
#include <string>

namespace Kivo {
class Animator;
class Graphics;
class Image;
} // namespace Kivo

class BaseCursor {
public:
    // The image of that resource id; a missing one draws nothing.
    BaseCursor(const std::string& imageId, int hotSpotX, int hotSpotY);
    BaseCursor(const BaseCursor&) = delete;
    BaseCursor& operator=(const BaseCursor&) = delete;
    virtual ~BaseCursor();

    // The animation starts again.
    virtual void Reset();
    virtual void Update();
    virtual void Draw(Kivo::Graphics* g);

    Kivo::Image* mImage;
    Kivo::Animator* mAnimator;
    int mHotSpotX;
    int mHotSpotY;
};
