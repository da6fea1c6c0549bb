#pragma once
// A grid of textured vertices over an image: moving, tinting or fading single
// vertices bends, shifts or colours the picture.
#include "framework/graphics/Image.h"

#include <vector>

namespace Kivo {
class Graphics;
}

class DistortionMesh {
public:
    DistortionMesh(int columns, int rows);
    virtual ~DistortionMesh() = default;

    void SetImage(Kivo::Image* image) { mImage = image; }
    void SetSourceRect(float x, float y, float w, float h);
    void SetSourceRect(int x, int y, int w, int h);
    void FitImage();
    void ResetVertices(uint32_t color);
    void SetVertexColor(int column, int row, uint32_t color);
    void ScaleAlpha(float factor);
    // Mode 0: offset from the vertex's grid point; 2: offset from the mesh
    // centre; any other: absolute.
    void SetVertexPos(int column, int row, float x, float y, int mode);
    void SetVertexUV(int column, int row, float u, float v);
    void Draw(Kivo::Graphics* g);

    Kivo::TriVertex* Vertex(int column, int row);

    bool mHalfPixel = false;
    std::vector<Kivo::TriVertex> mVertices; // row after row
    int mRows;
    int mColumns;
    float mCellWidth = 0;
    float mCellHeight = 0;
    float mSrcX = 0;
    float mSrcY = 0;
    float mSrcWidth = 0;
    float mSrcHeight = 0;
    Kivo::Image* mImage = nullptr;

protected:
    // The four corners of cell (c, r) in drawing order A, B, C, D.
    void CellCorners(int column, int row, Kivo::TriVertex (&corners)[4]) const;
    void DrawCell(Kivo::Graphics* g, const Kivo::TriVertex (&corners)[4]);
};
