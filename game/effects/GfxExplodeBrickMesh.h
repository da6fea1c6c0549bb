#pragma once
// A brick picture broken into square pieces that fly outwards from its
// centre, each shrinking and fading over its own life.
#include "game/effects/ImageMesh.h"
#include "game/effects/gfxBase.h"

#include <vector>

class GfxExplodeBrickMesh : public gfxBase, public ImageMesh {
public:
    struct Piece {
        unsigned char mGone = 0;
        float mLife = 0;
        float mStartLife = 0;
        float mDirX = 0, mDirY = 0;
        float mOffsetX = 0, mOffsetY = 0;
    };

    // The creator places the picture with mX, mY (its top-left corner) and
    // may set the wait, speed factor and piece life before it starts.
    GfxExplodeBrickMesh(Kivo::Image* image, int cellSize);

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;
    void GetCellTransform(int* column, int* row, float& dx, float& dy, float& scale, float& rotation,
                          float& alpha) override;

    float mX = 0;
    float mY = 0;
    float mWait = 0; // seconds
    float mSpeedFactor = 1.0f;
    float mPieceLife = 0.4f;
    bool mFinished = false;
    std::vector<Piece> mPieces; // row after row of mesh cells
};
