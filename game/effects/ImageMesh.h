#pragma once
// An image cut into square cells that can each be moved, turned, scaled and
// faded; inner grid points may be jittered so the cut lines are uneven.
#include "game/effects/DistortionMesh.h"

class ImageMesh : public DistortionMesh {
public:
    ImageMesh(Kivo::Image* image, int cellSize, float jitter);

    // The transform of cell (column, row). A scale of 0 means unscaled.
    virtual void GetCellTransform(int* column, int* row, float& dx, float& dy, float& scale, float& rotation,
                                  float& alpha);
    void Jitter(float amount);
    void Draw(Kivo::Graphics* g);

    int mCellSize;
};
