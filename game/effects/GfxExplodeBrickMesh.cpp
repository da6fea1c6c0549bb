#include "game/effects/GfxExplodeBrickMesh.h"

#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"

GfxExplodeBrickMesh::GfxExplodeBrickMesh(Kivo::Image* image, int cellSize) : ImageMesh(image, cellSize, 0) {}

bool GfxExplodeBrickMesh::start()
{
    const float size = static_cast<float>(mCellSize);
    const float centreX = mImage ? static_cast<float>(mImage->GetCelWidth()) / 2 : 0;
    const float centreY = mImage ? static_cast<float>(mImage->GetCelHeight()) / 2 : 0;
    mPieces.clear();
    for (int r = 0; r + 1 < mRows; ++r) {
        for (int c = 0; c + 1 < mColumns; ++c) {
            Piece p;
            p.mDirX = (static_cast<float>(c) + 0.5f) * size - centreX;
            p.mDirY = (static_cast<float>(r) + 0.5f) * size - centreY;
            p.mLife = p.mStartLife = Kivo::RandomFloat(0.8f, 1.2f) * mPieceLife;
            mPieces.push_back(p);
        }
    }
    return true;
}

void GfxExplodeBrickMesh::update(float frac)
{
    if (mWait > 0) {
        mWait -= 0.01f * frac;
        return;
    }
    bool left = false;
    for (Piece& p : mPieces) {
        if (p.mGone)
            continue;
        p.mOffsetX += p.mDirX * frac * mSpeedFactor * 0.04f;
        p.mOffsetY += p.mDirY * frac * mSpeedFactor * 0.04f;
        p.mLife -= frac / 100;
        if (p.mLife < 0)
            p.mGone = 1;
        else
            left = true;
    }
    mFinished = !left;
}

int GfxExplodeBrickMesh::process() { return mFinished ? -1 : 0; }

void GfxExplodeBrickMesh::GetCellTransform(int* column, int* row, float& dx, float& dy, float& scale,
                                           float& rotation, float& alpha)
{
    ImageMesh::GetCellTransform(column, row, dx, dy, scale, rotation, alpha);
    const size_t index = static_cast<size_t>(*row * (mColumns - 1) + *column);
    if (index >= mPieces.size())
        return;
    const Piece& p = mPieces[index];
    const float s = p.mStartLife > 0 ? p.mLife / p.mStartLife : 0;
    const float shrink = (1 - s) * 0.5f * static_cast<float>(mCellSize);
    dx = p.mOffsetX + shrink;
    dy = p.mOffsetY + shrink;
    scale = s;
    alpha = p.mGone ? 0 : s;
}

void GfxExplodeBrickMesh::draw(Kivo::Graphics* g)
{
    g->PushState();
    g->TranslateF(mX, mY);
    ImageMesh::Draw(g);
    g->PopState();
}
