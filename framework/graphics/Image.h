#pragma once
// The drawable picture: a size, a grid of cels, an optional animation, and
// the drawing operations the drawing context calls on its destination. A
// plain Image draws nothing; MemoryImage and the display's surface image
// implement the operations.
#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"

#include <cstdint>
#include <string>

namespace Kivo {

class AnimInfo;
class Matrix3x3;

struct Point {
    int32_t mX = 0;
    int32_t mY = 0;
};

// One horizontal run of a scan-converted shape.
struct Span {
    int32_t mY = 0;
    int32_t mX = 0;
    int32_t mWidth = 0;
};

// A textured triangle's vertex; `mUnused` is not read by drawing.
struct TriVertex {
    float x = 0;
    float y = 0;
    float mUnused = 0;
    float u = 0;
    float v = 0;
    uint32_t color = 0; // ARGB; 0 means no vertex colour
};

// Sizes the images accept: files give any 16- or 32-bit number, and
// width x height words must stay allocatable.
inline constexpr int kMaxImageSide = 16384;
inline constexpr int64_t kMaxImagePixels = int64_t(1) << 26;
inline bool ImageSizeOk(int64_t width, int64_t height)
{
    return width >= 0 && height >= 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

enum DrawMode { DRAWMODE_NORMAL = 0, DRAWMODE_ADDITIVE = 1 };

class Image {
public:
    Image() = default;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    virtual ~Image();

    virtual bool PolyFill3D(const Point* points, int count, const Rect* clipRect, const Color& color, int drawMode,
                            int tx, int ty, bool convex);
    virtual void FillRect(const Rect& rect, const Color& color, int drawMode);
    // Four FillRects: an outline of width + 1 by height + 1 pixels.
    virtual void DrawRect(const Rect& rect, const Color& color, int drawMode);
    virtual void ClearRect(const Rect& rect);
    virtual void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode);
    virtual void DrawLineAA(double x1, double y1, double x2, double y2, const Color& color, int drawMode);
    // One FillRect per span.
    virtual void FillScanLines(const Span* spans, int count, const Color& color, int drawMode);
    virtual void FillScanLinesWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                           const uint8_t* coverage, int coverX, int coverY, int coverWidth,
                                           int coverHeight);
    virtual void Blt(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode);
    virtual void BltF(Image* source, float x, float y, const Rect& srcRect, const Rect& clipRect,
                      const Color& color, int drawMode);
    virtual void BltRotated(Image* source, float x, float y, const Rect& srcRect, const Rect& clipRect,
                            const Color& color, int drawMode, double angle, float centerX, float centerY);
    virtual void StretchBlt(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                            const Color& color, int drawMode, bool fastStretch);
    virtual void BltMatrix(Image* source, float x, float y, const Matrix3x3& matrix, const Rect& clipRect,
                           const Color& color, int drawMode, const Rect& srcRect, bool blend);
    virtual void BltTrianglesTex(Image* source, const TriVertex (*vertices)[3], int numTriangles,
                                 const Rect& clipRect, const Color& color, int drawMode, float tx, float ty,
                                 bool blend);
    virtual void BltMirror(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode);
    virtual void StretchBltMirror(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                                  const Color& color, int drawMode, bool fastStretch);

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    int GetCelWidth() const;
    int GetCelHeight() const;
    // Cel n of the grid, row by row.
    Rect GetCelRect(int cel) const;
    // The cel shown at `time`; 0 without an animation.
    int GetAnimCel(int time) const;
    // Rows, columns, cel count and a deep copy of the animation.
    void CopyAttributes(const Image* other);

    bool mDrawn = false; // set on a source by every blit that reads it
    std::string mFilePath;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    int32_t mNumRows = 1;
    int32_t mNumCols = 1;
    int32_t mNumCels = 1;
    AnimInfo* mAnimInfo = nullptr; // owned
};

} // namespace Kivo
