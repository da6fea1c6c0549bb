#include "game/effects/ImageMesh.h"

#include "framework/core/FastMath.h"
#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"

#include <algorithm>

namespace {

int CellSizeFor(Kivo::Image* image, int cellSize)
{
    if (cellSize > 0)
        return cellSize;
    // No cell size: the whole cel is one cell.
    return image ? std::max({image->GetCelWidth(), image->GetCelHeight(), 1}) : 1;
}

int CellsAcross(Kivo::Image* image, int cellSize, bool wide)
{
    if (!image)
        return 1;
    return (wide ? image->GetCelWidth() : image->GetCelHeight()) / CellSizeFor(image, cellSize) + 1;
}

} // namespace

ImageMesh::ImageMesh(Kivo::Image* image, int cellSize, float jitter)
    : DistortionMesh(CellsAcross(image, cellSize, true), CellsAcross(image, cellSize, false)),
      mCellSize(CellSizeFor(image, cellSize))
{
    mImage = image;
    if (image) {
        const Kivo::Rect cel = image->GetCelRect(0);
        SetSourceRect(cel.mX, cel.mY, cel.mWidth, cel.mHeight);
    }
    Jitter(jitter);
}

void ImageMesh::GetCellTransform(int*, int*, float& dx, float& dy, float& scale, float& rotation, float& alpha)
{
    dx = dy = scale = rotation = 0;
    alpha = 1;
}

void ImageMesh::Jitter(float amount)
{
    const float half = amount * static_cast<float>(mCellSize) / 2;
    const float texWidth = mImage ? static_cast<float>(mImage->GetWidth()) : 0;
    const float texHeight = mImage ? static_cast<float>(mImage->GetHeight()) : 0;
    for (int r = 1; r + 1 < mRows; ++r) {
        for (int c = 1; c + 1 < mColumns; ++c) {
            const float dx = Kivo::RandomFloat(-half, half);
            const float dy = Kivo::RandomFloat(-half, half);
            SetVertexPos(c, r, dx - 0.5f, dy - 0.5f, 0);
            Kivo::TriVertex* v = Vertex(c, r);
            v->u = texWidth != 0 ? (static_cast<float>(c) * mCellWidth + dx) / texWidth : 0;
            v->v = texHeight != 0 ? (static_cast<float>(r) * mCellHeight + dy) / texHeight : 0;
        }
    }
}

void ImageMesh::Draw(Kivo::Graphics* g)
{
    if (!mImage)
        return;
    for (int r = 0; r + 1 < mRows; ++r) {
        for (int c = 0; c + 1 < mColumns; ++c) {
            float dx = 0, dy = 0, scale = 0, rotation = 0, alpha = 1;
            int column = c, row = r;
            GetCellTransform(&column, &row, dx, dy, scale, rotation, alpha);
            if (!(alpha > 0))
                continue;
            const uint32_t a = static_cast<uint32_t>(std::min(255.0f * alpha, 255.0f));
            const float cx = static_cast<float>(mCellSize * c + mCellSize / 2);
            const float cy = static_cast<float>(mCellSize * r + mCellSize / 2);
            const float sinA = rotation != 0 ? Kivo::FastSin(rotation) : 0;
            const float cosA = rotation != 0 ? Kivo::FastCos(rotation) : 1;
            Kivo::TriVertex corners[4];
            CellCorners(c, r, corners);
            for (Kivo::TriVertex& v : corners) {
                v.color = (v.color & 0x00FFFFFF) | (a << 24);
                if (rotation != 0) {
                    const float x = v.x - cx;
                    const float y = v.y - cy;
                    v.x = cx + x * cosA - y * sinA;
                    v.y = cy + x * sinA + y * cosA;
                }
                if (scale != 0) {
                    v.x = cx + (v.x - cx) * scale;
                    v.y = cy + (v.y - cy) * scale;
                }
                v.x += dx;
                v.y += dy;
            }
            DrawCell(g, corners);
        }
    }
}
