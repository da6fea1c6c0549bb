#pragma once

// Told by a moving brick when it comes to rest.
class BrickListener {
public:
    virtual ~BrickListener() = default;
    // The integer screen point (position plus offset) where it landed.
    virtual void BrickLanded(int x, int y) = 0;
};
