#pragma once
#include <cstdint>

namespace Kivo {

class Rect {
public:
    Rect() = default;
    Rect(int x, int y, int width, int height) : mX(x), mY(y), mWidth(width), mHeight(height) {}

    // The overlap. Touching rectangles give a width or height of 0 at the
    // touching position; disjoint ones give (0, 0, 0, 0).
    Rect Intersection(const Rect& other) const;

    bool operator==(const Rect&) const = default;

    int32_t mX = 0;
    int32_t mY = 0;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
};

} // namespace Kivo
