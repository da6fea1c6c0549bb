#include "framework/graphics/Image.h"

#include "framework/graphics/AnimInfo.h"

#include <algorithm>

namespace Kivo {

Image::~Image() { delete mAnimInfo; }

bool Image::PolyFill3D(const Point*, int, const Rect*, const Color&, int, int, int, bool) { return false; }
void Image::FillRect(const Rect&, const Color&, int) {}

void Image::DrawRect(const Rect& rect, const Color& color, int drawMode)
{
    FillRect(Rect(rect.mX, rect.mY, rect.mWidth + 1, 1), color, drawMode);
    FillRect(Rect(rect.mX, rect.mY + rect.mHeight, rect.mWidth + 1, 1), color, drawMode);
    FillRect(Rect(rect.mX, rect.mY + 1, 1, rect.mHeight - 1), color, drawMode);
    FillRect(Rect(rect.mX + rect.mWidth, rect.mY + 1, 1, rect.mHeight - 1), color, drawMode);
}

void Image::ClearRect(const Rect&) {}
void Image::DrawLine(double, double, double, double, const Color&, int) {}
void Image::DrawLineAA(double, double, double, double, const Color&, int) {}

void Image::FillScanLines(const Span* spans, int count, const Color& color, int drawMode)
{
    for (int i = 0; i < count; ++i)
        FillRect(Rect(spans[i].mX, spans[i].mY, spans[i].mWidth, 1), color, drawMode);
}

void Image::FillScanLinesWithCoverage(const Span*, int, const Color&, int, const uint8_t*, int, int, int, int) {}
void Image::Blt(Image*, int, int, const Rect&, const Color&, int) {}
void Image::BltF(Image*, float, float, const Rect&, const Rect&, const Color&, int) {}
void Image::BltRotated(Image*, float, float, const Rect&, const Rect&, const Color&, int, double, float, float) {}
void Image::StretchBlt(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool) {}
void Image::BltMatrix(Image*, float, float, const Matrix3x3&, const Rect&, const Color&, int, const Rect&, bool) {}
void Image::BltTrianglesTex(Image*, const TriVertex (*)[3], int, const Rect&, const Color&, int, float, float, bool) {}
void Image::BltMirror(Image*, int, int, const Rect&, const Color&, int) {}
void Image::StretchBltMirror(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool) {}

// A manifest may give 0 rows or columns; a grid has at least one of each.
int Image::GetCelWidth() const { return mWidth / std::max(mNumCols, 1); }
int Image::GetCelHeight() const { return mHeight / std::max(mNumRows, 1); }

Rect Image::GetCelRect(int cel) const
{
    const int cols = std::max(mNumCols, 1);
    const int w = GetCelWidth();
    const int h = GetCelHeight();
    return Rect((cel % cols) * w, (cel / cols) * h, w, h);
}

int Image::GetAnimCel(int time) const { return mAnimInfo ? mAnimInfo->GetCel(time) : 0; }

void Image::CopyAttributes(const Image* other)
{
    if (other == this)
        return;
    mNumRows = other->mNumRows;
    mNumCols = other->mNumCols;
    mNumCels = other->mNumCels;
    delete mAnimInfo;
    mAnimInfo = other->mAnimInfo ? new AnimInfo(*other->mAnimInfo) : nullptr;
}

} // namespace Kivo
