// Direct3D primitives: lines, rectangles, polygons, blits of textured
// images (plain and through a matrix), textured triangles, and the polygon
// clipper.
#include "framework/display/D3DInterface.h"
#include "framework/graphics/MemoryImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Kivo {

namespace {

D3DTLVERTEX TL(float x, float y, uint32_t color, float u = 0, float v = 0)
{
    return D3DTLVERTEX { x, y, 0.0f, 1.0f, color, 0, u, v };
}

float Field(const D3DTLVERTEX& v, int field)
{
    switch (field) {
    case kClipX:
        return v.sx;
    case kClipY:
        return v.sy;
    case kClipZ:
        return v.sz;
    case kClipU:
        return v.tu;
    case kClipV:
        return v.tv;
    default:
        return 0;
    }
}

template <bool Min>
void ClipVertexEdge(int field, float bound, const D3DTLVERTEX& prev, const D3DTLVERTEX& cur, TLVertexList& dest)
{
    const float pv = Field(prev, field), cv = Field(cur, field);
    const bool prevIn = Min ? pv >= bound : pv < bound;
    const bool curIn = Min ? cv >= bound : cv < bound;
    if (prevIn && curIn) {
        dest.Append(cur);
    } else if (prevIn != curIn) {
        dest.Append(InterpolateTLVertex(prev, cur, (bound - pv) / (cv - pv)));
        if (curIn)
            dest.Append(cur);
    }
}

template <bool Min>
void ClipPolygon(int field, float bound, TLVertexList& source, TLVertexList& dest)
{
    const int n = source.Count();
    if (n < 2)
        return;
    ClipVertexEdge<Min>(field, bound, source[n - 1], source[0], dest);
    for (int i = 0; i + 1 < n; ++i)
        ClipVertexEdge<Min>(field, bound, source[i], source[i + 1], dest);
}

bool Inside(const Rect& clip, float x, float y)
{
    return x >= float(clip.mX) && x < float(clip.mX + clip.mWidth) && y >= float(clip.mY) &&
           y < float(clip.mY + clip.mHeight);
}

// The source rect within the image: callers that map through a matrix
// pass it unclipped.
Rect ClipToImage(const Rect& srcRect, const MemoryImage* image)
{
    return srcRect.Intersection(Rect(0, 0, image->GetWidth(), image->GetHeight()));
}

} // namespace

TLVertexList::~TLVertexList()
{
    if (mData != mInline)
        delete[] mData;
}

void TLVertexList::Reserve(int n)
{
    if (mCapacity >= n)
        return;
    auto* grown = new D3DTLVERTEX[size_t(n)];
    std::memcpy(grown, mData, size_t(mCount) * sizeof(D3DTLVERTEX));
    if (mData != mInline)
        delete[] mData;
    mData = grown;
    mCapacity = n;
}

void TLVertexList::Append(const D3DTLVERTEX& v)
{
    if (mCount == mCapacity)
        Reserve(mCapacity * 2);
    mData[mCount++] = v;
}

D3DTLVERTEX InterpolateTLVertex(const D3DTLVERTEX& from, const D3DTLVERTEX& to, float t)
{
    D3DTLVERTEX v = from;
    v.sx = from.sx + (to.sx - from.sx) * t;
    v.sy = from.sy + (to.sy - from.sy) * t;
    v.tu = from.tu + (to.tu - from.tu) * t;
    v.tv = from.tv + (to.tv - from.tv) * t;
    if (from.color != to.color) {
        uint32_t c = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const int a = int(from.color >> shift & 0xFF), b = int(to.color >> shift & 0xFF);
            c |= uint32_t(int(float(a) + float(b - a) * t) & 0xFF) << shift;
        }
        v.color = c;
    }
    return v;
}

void ClipTLPolygonMin(int field, float bound, TLVertexList& source, TLVertexList& dest)
{
    ClipPolygon<true>(field, bound, source, dest);
}

void ClipTLPolygonMax(int field, float bound, TLVertexList& source, TLVertexList& dest)
{
    ClipPolygon<false>(field, bound, source, dest);
}

void ClipTLPolygonToUnitSquare(TLVertexList& list)
{
    TLVertexList other;
    ClipTLPolygonMin(kClipU, 0.0f, list, other);
    list.Clear();
    ClipTLPolygonMin(kClipV, 0.0f, other, list);
    other.Clear();
    ClipTLPolygonMax(kClipU, 1.0f, list, other);
    list.Clear();
    ClipTLPolygonMax(kClipV, 1.0f, other, list);
}

void DrawClippedPolygon(IDirect3DDevice7* device, TLVertexList& list, const Rect& clip)
{
    TLVertexList a, b;
    a.Reserve(list.Count());
    for (int i = 0; i < list.Count(); ++i)
        a.Append(list[i]);
    const float left = float(clip.mX), right = float(clip.mX + clip.mWidth);
    const float top = float(clip.mY), bottom = float(clip.mY + clip.mHeight);
    ClipTLPolygonMin(kClipX, left, a, b);
    a.Clear();
    ClipTLPolygonMin(kClipY, top, b, a);
    b.Clear();
    ClipTLPolygonMax(kClipX, right, a, b);
    a.Clear();
    ClipTLPolygonMax(kClipY, bottom, b, a);
    if (a.Count() >= 3)
        CheckDXError(device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DFVF_TLVERTEX, a.Data(), DWORD(a.Count()), 0),
                     "DrawPrimitive (Tri) 2");
}

void TextureData::Blt(IDirect3DDevice7* device, float x, float y, const Rect& srcRect, uint32_t color)
{
    if (srcRect.mWidth <= 0 || srcRect.mHeight <= 0)
        return;
    const int right = srcRect.mX + srcRect.mWidth, bottom = srcRect.mY + srcRect.mHeight;
    float dy = y;
    for (int sy = srcRect.mY; sy < bottom;) {
        float dx = x;
        int rowHeight = bottom - sy;
        for (int sx = srcRect.mX; sx < right;) {
            int w = right - sx, h = bottom - sy;
            float u0, v0, u1, v1;
            IDirectDrawSurface7* surface = GetPieceAt(sx, sy, w, h, u0, v0, u1, v1);
            if (w <= 0 || h <= 0)
                return;
            const float X = dx - 0.5f, Y = dy - 0.5f;
            D3DTLVERTEX strip[4] = { TL(X, Y, color, u0, v0), TL(X, Y + float(h), color, u0, v1),
                                     TL(X + float(w), Y, color, u1, v0), TL(X + float(w), Y + float(h), color, u1, v1) };
            CheckDXError(device->SetTexture(0, surface), "SetTexture gTexture");
            CheckDXError(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, strip, 4, 0),
                         "DrawPrimitive (Tri) 1");
            dx += float(w);
            sx += w;
            rowHeight = h;
        }
        dy += float(rowHeight);
        sy += rowHeight;
    }
}

void TextureData::BltTransformed(IDirect3DDevice7* device, const Matrix3x3& matrix, const Rect& srcRect,
                                 uint32_t color, const Rect* clipRect, float x, float y, bool center)
{
    if (srcRect.mWidth <= 0 || srcRect.mHeight <= 0)
        return;
    const float ox = center ? -float(srcRect.mWidth) / 2 : 0, oy = center ? -float(srcRect.mHeight) / 2 : 0;
    const float c = center ? 0.0f : 0.5f;
    const int right = srcRect.mX + srcRect.mWidth, bottom = srcRect.mY + srcRect.mHeight;
    float py = oy;
    for (int sy = srcRect.mY; sy < bottom;) {
        float px = ox;
        int rowHeight = bottom - sy;
        for (int sx = srcRect.mX; sx < right;) {
            int w = right - sx, h = bottom - sy;
            float u0, v0, u1, v1;
            IDirectDrawSurface7* surface = GetPieceAt(sx, sy, w, h, u0, v0, u1, v1);
            if (w <= 0 || h <= 0)
                return;
            const float corners[4][4] = { { px, py, u0, v0 },
                                          { px, py + float(h), u0, v1 },
                                          { px + float(w), py, u1, v0 },
                                          { px + float(w), py + float(h), u1, v1 } };
            D3DTLVERTEX quad[4];
            bool outside = false;
            for (int i = 0; i < 4; ++i) {
                const Vector3 p = matrix.TransformPoint(corners[i][0], corners[i][1]);
                quad[i] = TL(p.x + x - c, p.y + y - c, color, corners[i][2], corners[i][3]);
                if (clipRect && !Inside(*clipRect, quad[i].sx, quad[i].sy))
                    outside = true;
            }
            CheckDXError(device->SetTexture(0, surface), "SetTexture gTexture");
            if (outside) {
                TLVertexList fan;
                fan.Append(quad[0]);
                fan.Append(quad[1]);
                fan.Append(quad[3]);
                fan.Append(quad[2]);
                DrawClippedPolygon(device, fan, *clipRect);
            } else {
                CheckDXError(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad, 4, 0),
                             "DrawPrimitive (Tri) 3");
            }
            px += float(w);
            sx += w;
            rowHeight = h;
        }
        py += float(rowHeight);
        sy += rowHeight;
    }
}

void TextureData::DrawTriangles(IDirect3DDevice7* device, const TriVertex (*triangles)[3], int count,
                                uint32_t color, float offsetX, float offsetY)
{
    if (pieces.empty())
        return;
    auto vertex = [&](const TriVertex& t) {
        return D3DTLVERTEX { t.x + offsetX, t.y + offsetY, t.mUnused, 1.0f, t.color ? t.color : color, 0,
                             t.u * widthInPieces, t.v * heightInPieces };
    };
    if (widthInPieces <= 1 && heightInPieces <= 1) {
        CheckDXError(device->SetTexture(0, pieces[0].surface), "SetTexture gTexture");
        D3DTLVERTEX batch[300];
        int n = 0;
        for (int i = 0; i < count; ++i) {
            for (int k = 0; k < 3; ++k)
                batch[n * 3 + k] = vertex(triangles[i][k]);
            if (++n == 100 || i == count - 1) {
                CheckDXError(device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, batch, DWORD(n * 3), 0),
                             "DrawPrimitive (TriList)");
                n = 0;
            }
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        D3DTLVERTEX tri[3];
        float uMin = 1e30f, uMax = -1e30f, vMin = 1e30f, vMax = -1e30f;
        for (int k = 0; k < 3; ++k) {
            tri[k] = vertex(triangles[i][k]);
            uMin = std::min(uMin, tri[k].tu);
            uMax = std::max(uMax, tri[k].tu);
            vMin = std::min(vMin, tri[k].tv);
            vMax = std::max(vMax, tri[k].tv);
        }
        if (!std::isfinite(uMin + uMax + vMin + vMax))
            continue;
        const int c0 = std::clamp(int(std::floor(uMin)), 0, columns - 1);
        const int c1 = std::clamp(int(std::ceil(uMax)) - 1, 0, columns - 1);
        const int r0 = std::clamp(int(std::floor(vMin)), 0, rows - 1);
        const int r1 = std::clamp(int(std::ceil(vMax)) - 1, 0, rows - 1);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) {
                const TexturePiece& piece = pieces[size_t(r * columns + c)];
                TLVertexList list;
                for (const D3DTLVERTEX& v : tri) {
                    D3DTLVERTEX p = v;
                    p.tu -= float(c);
                    p.tv -= float(r);
                    if (c == columns - 1)
                        p.tu *= float(pieces[0].width) / float(piece.width);
                    if (r == rows - 1)
                        p.tv *= float(pieces[0].height) / float(piece.height);
                    list.Append(p);
                }
                ClipTLPolygonToUnitSquare(list);
                if (list.Count() >= 3) {
                    CheckDXError(device->SetTexture(0, piece.surface), "SetTexture gTexture");
                    CheckDXError(device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DFVF_TLVERTEX, list.Data(),
                                                       DWORD(list.Count()), 0),
                                 "DrawPrimitive (Tri) 4");
                }
            }
    }
}

void D3DInterface::DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (!PreDraw())
        return;
    SetDrawMode(drawMode, color, nullptr);
    if (!mTransformStack.empty()) {
        const Vector3 a = mTransformStack.back().TransformPoint(float(x1), float(y1));
        const Vector3 b = mTransformStack.back().TransformPoint(float(x2), float(y2));
        x1 = a.x;
        y1 = a.y;
        x2 = b.x;
        y2 = b.y;
    }
    const uint32_t c = VertexColor(color);
    D3DTLVERTEX line[3] = { TL(float(x1), float(y1), c), TL(float(x2), float(y2), c),
                            TL(float(x2) + 0.5f, float(y2) + 0.5f, c) };
    CheckDXError(mDevice->SetTexture(0, nullptr), "SetTexture NULL");
    CheckDXError(mDevice->DrawPrimitive(D3DPT_LINESTRIP, D3DFVF_TLVERTEX, line, 3, 0), "DrawPrimitive (Line)");
}

void D3DInterface::FillRect(const Rect& rect, const Color& color, int drawMode)
{
    if (!PreDraw())
        return;
    SetDrawMode(drawMode, color, nullptr);
    const uint32_t c = VertexColor(color);
    const float X = float(rect.mX) - 0.5f, Y = float(rect.mY) - 0.5f;
    D3DTLVERTEX strip[4] = { TL(X, Y, c), TL(X, Y + float(rect.mHeight), c), TL(X + float(rect.mWidth), Y, c),
                             TL(X + float(rect.mWidth), Y + float(rect.mHeight), c) };
    if (!mTransformStack.empty())
        for (D3DTLVERTEX& v : strip) {
            const Vector3 p = mTransformStack.back().TransformPoint(v.sx, v.sy);
            v.sx = p.x - 0.5f;
            v.sy = p.y - 0.5f;
        }
    CheckDXError(mDevice->SetTexture(0, nullptr), "SetTexture NULL");
    CheckDXError(mDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, strip, 4, 0), "DrawPrimitive (Rect)");
}

void D3DInterface::FillPoly(const Point* points, int count, const Rect* clipRect, const Color& color, int drawMode,
                            int offsetX, int offsetY)
{
    if (count < 3 || !points)
        return;
    if (!PreDraw())
        return;
    SetDrawMode(drawMode, color, nullptr);
    CheckDXError(mDevice->SetTexture(0, nullptr), "SetTexture NULL");
    const uint32_t c = VertexColor(color);
    TLVertexList list;
    list.Reserve(count);
    for (int i = 0; i < count; ++i) {
        float x = float(points[i].mX + offsetX), y = float(points[i].mY + offsetY);
        if (!mTransformStack.empty()) {
            const Vector3 p = mTransformStack.back().TransformPoint(x, y);
            x = p.x;
            y = p.y;
        }
        list.Append(TL(x, y, c));
    }
    if (clipRect)
        DrawClippedPolygon(mDevice, list, *clipRect);
    else
        CheckDXError(mDevice->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DFVF_TLVERTEX, list.Data(), DWORD(list.Count()), 0),
                     "DrawPrimitive (FillPoly)");
}

bool D3DInterface::Textured(MemoryImage* image, int drawMode, bool linear, TextureData*& data)
{
    if (!image || !PreDraw() || !CreateImageTexture(image))
        return false;
    data = static_cast<TextureData*>(image->mD3DData);
    SetDrawMode(drawMode, Color(), image);
    SetLinearFilter(mDevice, linear);
    return true;
}

void D3DInterface::Blt(MemoryImage* image, float x, float y, const Rect& srcRect, const Color& color, int drawMode,
                       bool linear)
{
    if (!mTransformStack.empty()) {
        BltClipF(image, x, y, srcRect, nullptr, color, drawMode);
        return;
    }
    TextureData* data = nullptr;
    if (!Textured(image, drawMode, linear, data))
        return;
    data->Blt(mDevice, x, y, ClipToImage(srcRect, image), VertexColor(color));
}

void D3DInterface::BltTransformed(MemoryImage* image, const Rect* clipRect, const Color& color, int drawMode,
                                  const Rect& srcRect, const Matrix3x3& matrix, bool linear, float x, float y,
                                  bool center)
{
    TextureData* data = nullptr;
    if (!Textured(image, drawMode, mTransformStack.empty() ? linear : true, data))
        return;
    const Rect src = ClipToImage(srcRect, image);
    if (mTransformStack.empty()) {
        data->BltTransformed(mDevice, matrix, src, VertexColor(color), clipRect, x, y, center);
        return;
    }
    const Matrix3x3& top = mTransformStack.back();
    if (x == 0 && y == 0) {
        data->BltTransformed(mDevice, top.Multiply(matrix), src, VertexColor(color), clipRect, 0, 0, center);
        return;
    }
    Matrix3x3 m;
    if (center)
        m = Matrix3x3::Translation(-float(src.mWidth) / 2, -float(src.mHeight) / 2);
    m = top.Multiply(Matrix3x3::Translation(x, y).Multiply(matrix.Multiply(m)));
    data->BltTransformed(mDevice, m, src, VertexColor(color), clipRect, 0, 0, false);
}

void D3DInterface::DrawTrianglesTex(const TriVertex (*triangles)[3], int count, const Color& color, int drawMode,
                                    MemoryImage* image, float offsetX, float offsetY, bool linear)
{
    TextureData* data = nullptr;
    if (count <= 0 || !Textured(image, drawMode, linear, data))
        return;
    data->DrawTriangles(mDevice, triangles, count, VertexColor(color), offsetX, offsetY);
}

void D3DInterface::BltClipF(MemoryImage* image, float x, float y, const Rect& srcRect, const Rect* clipRect,
                            const Color& color, int drawMode)
{
    const Matrix3x3 m = Matrix3x3::Translation(x, y);
    BltTransformed(image, clipRect, color, drawMode, srcRect, m, true, 0, 0, false);
}

void D3DInterface::BltRotated(MemoryImage* image, float x, float y, const Rect* clipRect, const Color& color,
                              int drawMode, const Rect& srcRect, double angle, float centerX, float centerY)
{
    Matrix3x3 m = Matrix3x3::Translation(-centerX, -centerY);
    m = Matrix3x3::Rotation(float(angle)).Multiply(m);
    m = Matrix3x3::Translation(x + centerX, y + centerY).Multiply(m);
    BltTransformed(image, clipRect, color, drawMode, srcRect, m, true, 0, 0, false);
}

void D3DInterface::StretchBlt(MemoryImage* image, const Rect& destRect, const Rect& srcRect, const Rect* clipRect,
                              const Color& color, int drawMode, bool fastStretch, bool mirror)
{
    if (srcRect.mWidth <= 0 || srcRect.mHeight <= 0)
        return;
    const float sx = float(destRect.mWidth) / float(srcRect.mWidth);
    const float sy = float(destRect.mHeight) / float(srcRect.mHeight);
    Matrix3x3 m;
    if (mirror) {
        m = Matrix3x3::Translation(-float(srcRect.mWidth), 0);
        m = Matrix3x3::Scaling(-sx, sy).Multiply(m);
    } else {
        m = Matrix3x3::Scaling(sx, sy);
    }
    m = Matrix3x3::Translation(float(destRect.mX), float(destRect.mY)).Multiply(m);
    BltTransformed(image, clipRect, color, drawMode, srcRect, m, !fastStretch, 0, 0, false);
}

void D3DInterface::BltMirror(MemoryImage* image, float x, float y, const Rect& srcRect, const Color& color,
                             int drawMode, bool linear)
{
    Matrix3x3 m = Matrix3x3::Translation(-float(srcRect.mWidth), 0);
    m = Matrix3x3::Scaling(-1, 1).Multiply(m);
    m = Matrix3x3::Translation(x, y).Multiply(m);
    BltTransformed(image, nullptr, color, drawMode, srcRect, m, linear, 0, 0, false);
}

} // namespace Kivo
