#pragma once
// Finds the outline of a shape on a mask image by casting rays from the
// centre of its first cel: the first dark pixel along a ray is the edge.
namespace Kivo {
class Graphics;
class Image;
class MemoryImage;
} // namespace Kivo

class ImageEdger {
public:
    // An image that is not a memory image gives no pixels (every ray misses).
    explicit ImageEdger(Kivo::Image* image);
    ImageEdger(const ImageEdger&) = delete;
    ImageEdger& operator=(const ImageEdger&) = delete;
    virtual ~ImageEdger() = default;

    // The first dark pixel from the centre towards the angle, relative to the
    // cel; false when there is none, with (x, y) left at the centre.
    bool castRay(float angle, float& x, float& y) const;
    // Outside the cel counts as dark; without pixels nothing is.
    bool isDark(int x, int y) const;
    // A view of the rays for checking an outline by eye.
    virtual void draw(Kivo::Graphics* g, int x, int y);

    Kivo::MemoryImage* mImage;
    int mCel = 0;
    int mRadius = 1;
    int mCenterX = 0;
    int mCenterY = 0;
};
