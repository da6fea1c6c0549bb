#include "game/effects/DistortionMesh.h"

#include "framework/graphics/Graphics.h"
#include "framework/raster/SpanFunctions.h"

#include <algorithm>

DistortionMesh::DistortionMesh(int columns, int rows) : mRows(std::max(rows, 0)), mColumns(std::max(columns, 0))
{
    Kivo::TriVertex blank;
    blank.color = 0xFFFFFFFF;
    mVertices.assign(static_cast<size_t>(mRows) * static_cast<size_t>(mColumns), blank);
    Kivo::InitTriangleFuncTable();
}

Kivo::TriVertex* DistortionMesh::Vertex(int column, int row)
{
    if (column < 0 || row < 0 || column >= mColumns || row >= mRows)
        return nullptr;
    return &mVertices[static_cast<size_t>(row) * static_cast<size_t>(mColumns) + static_cast<size_t>(column)];
}

void DistortionMesh::SetSourceRect(float x, float y, float w, float h)
{
    mSrcX = x;
    mSrcY = y;
    mSrcWidth = w;
    mSrcHeight = h;
    // A single column or row has no cells to divide the rectangle into.
    mCellWidth = mColumns > 1 ? w / static_cast<float>(mColumns - 1) : 0;
    mCellHeight = mRows > 1 ? h / static_cast<float>(mRows - 1) : 0;
    const float texWidth = mImage ? static_cast<float>(mImage->GetWidth()) : w;
    const float texHeight = mImage ? static_cast<float>(mImage->GetHeight()) : h;
    for (int r = 0; r < mRows; ++r) {
        for (int c = 0; c < mColumns; ++c) {
            Kivo::TriVertex* v = Vertex(c, r);
            v->x = static_cast<float>(c) * mCellWidth;
            v->y = static_cast<float>(r) * mCellHeight;
            v->u = texWidth != 0 ? (v->x + x) / texWidth : 0;
            v->v = texHeight != 0 ? (v->y + y) / texHeight : 0;
        }
    }
}

void DistortionMesh::SetSourceRect(int x, int y, int w, int h)
{
    SetSourceRect(static_cast<float>(x), static_cast<float>(y), static_cast<float>(w), static_cast<float>(h));
}

void DistortionMesh::FitImage()
{
    if (mImage)
        SetSourceRect(0, 0, mImage->GetWidth(), mImage->GetHeight());
}

void DistortionMesh::ResetVertices(uint32_t color)
{
    for (int r = 0; r < mRows; ++r) {
        for (int c = 0; c < mColumns; ++c) {
            Kivo::TriVertex* v = Vertex(c, r);
            v->x = static_cast<float>(c) * mCellWidth;
            v->y = static_cast<float>(r) * mCellHeight;
            v->color = color;
        }
    }
}

void DistortionMesh::SetVertexColor(int column, int row, uint32_t color)
{
    if (Kivo::TriVertex* v = Vertex(column, row))
        v->color = color;
}

void DistortionMesh::ScaleAlpha(float factor)
{
    for (Kivo::TriVertex& v : mVertices) {
        // Kept within a byte so that the colour channels are untouched.
        const float alpha = std::clamp(static_cast<float>(v.color >> 24) * factor, 0.0f, 255.0f);
        v.color = (v.color & 0x00FFFFFF) | (static_cast<uint32_t>(alpha) << 24);
    }
}

void DistortionMesh::SetVertexPos(int column, int row, float x, float y, int mode)
{
    Kivo::TriVertex* v = Vertex(column, row);
    if (!v)
        return;
    if (mode == 0) {
        x += static_cast<float>(column) * mCellWidth;
        y += static_cast<float>(row) * mCellHeight;
    } else if (mode == 2) {
        x += static_cast<float>(mColumns - 1) * mCellWidth / 2;
        y += static_cast<float>(mRows - 1) * mCellHeight / 2;
    }
    v->x = x;
    v->y = y;
}

void DistortionMesh::SetVertexUV(int column, int row, float u, float v)
{
    if (Kivo::TriVertex* vertex = Vertex(column, row)) {
        vertex->u = u;
        vertex->v = v;
    }
}

void DistortionMesh::CellCorners(int column, int row, Kivo::TriVertex (&corners)[4]) const
{
    const auto at = [&](int c, int r) {
        return mVertices[static_cast<size_t>(r) * static_cast<size_t>(mColumns) + static_cast<size_t>(c)];
    };
    corners[0] = at(column, row);
    corners[1] = at(column + 1, row);
    corners[2] = at(column + 1, row + 1);
    corners[3] = at(column, row + 1);
}

void DistortionMesh::DrawCell(Kivo::Graphics* g, const Kivo::TriVertex (&corners)[4])
{
    g->DrawTriangleTex(mImage, corners[0], corners[1], corners[2]);
    g->DrawTriangleTex(mImage, corners[0], corners[2], corners[3]);
}

void DistortionMesh::Draw(Kivo::Graphics* g)
{
    if (!mImage)
        return;
    const float shift = mHalfPixel ? -0.5f : 0.0f;
    for (int r = 0; r + 1 < mRows; ++r) {
        for (int c = 0; c + 1 < mColumns; ++c) {
            Kivo::TriVertex corners[4];
            CellCorners(c, r, corners);
            for (Kivo::TriVertex& v : corners) {
                v.x += shift;
                v.y += shift;
            }
            DrawCell(g, corners);
        }
    }
}
