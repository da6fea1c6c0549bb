#pragma once
// A destination image that records every drawing operation that reaches it.
#include "framework/graphics/Image.h"
#include "framework/graphics/Matrix3x3.h"
#include "tests/support/RecordingImage.h"

#include <vector>

// Every operation a drawing context sends to its destination, in order.
class DrawLog : public RecordingImage {
public:
    struct Draw {
        const Kivo::Image* mImage;
        float mX; // the destination point the operation was given
        float mY;
        Kivo::Rect mSource;
        Kivo::Color mColor;
        int mDrawMode;
        int mTriangles; // textured triangles, 0 for other operations
    };

    DrawLog() : RecordingImage(800, 600) {}

    void Blt(Kivo::Image* s, int x, int y, const Kivo::Rect& src, const Kivo::Color& c, int mode) override
    {
        Add(s, static_cast<float>(x), static_cast<float>(y), src, c, mode);
    }
    void BltF(Kivo::Image* s, float x, float y, const Kivo::Rect& src, const Kivo::Rect&, const Kivo::Color& c,
              int mode) override
    {
        Add(s, x, y, src, c, mode);
    }
    void BltRotated(Kivo::Image* s, float x, float y, const Kivo::Rect& src, const Kivo::Rect&, const Kivo::Color& c,
                    int mode, double, float, float) override
    {
        Add(s, x, y, src, c, mode);
    }
    void StretchBlt(Kivo::Image* s, const Kivo::Rect& dest, const Kivo::Rect& src, const Kivo::Rect&,
                    const Kivo::Color& c, int mode, bool) override
    {
        Add(s, static_cast<float>(dest.mX), static_cast<float>(dest.mY), src, c, mode);
    }
    void StretchBltMirror(Kivo::Image* s, const Kivo::Rect& dest, const Kivo::Rect& src, const Kivo::Rect&,
                          const Kivo::Color& c, int mode, bool) override
    {
        Add(s, static_cast<float>(dest.mX), static_cast<float>(dest.mY), src, c, mode);
    }
    void BltMatrix(Kivo::Image* s, float x, float y, const Kivo::Matrix3x3& m, const Kivo::Rect&,
                   const Kivo::Color& c, int mode, const Kivo::Rect& src, bool) override
    {
        // Where the centre of the source lands.
        const Kivo::Vector3 p = m.TransformPoint(0, 0);
        Add(s, x + p.x, y + p.y, src, c, mode);
    }
    void BltTrianglesTex(Kivo::Image* s, const Kivo::TriVertex (*v)[3], int n, const Kivo::Rect&,
                         const Kivo::Color& c, int mode, float tx, float ty, bool) override
    {
        mDraws.push_back({s, tx + (n > 0 ? v[0][0].x : 0), ty + (n > 0 ? v[0][0].y : 0), Kivo::Rect(), c, mode, n});
        for (int i = 0; i < n; ++i)
            mVertices.insert(mVertices.end(), v[i], v[i] + 3);
    }

    void Add(Kivo::Image* s, float x, float y, const Kivo::Rect& src, const Kivo::Color& c, int mode)
    {
        mDraws.push_back({s, x, y, src, c, mode, 0});
    }
    int Count(const Kivo::Image* image) const
    {
        int n = 0;
        for (const Draw& d : mDraws)
            n += d.mImage == image;
        return n;
    }
    void Clear()
    {
        mDraws.clear();
        mVertices.clear();
        mOps.clear();
    }

    std::vector<Draw> mDraws;
    std::vector<Kivo::TriVertex> mVertices; // three per textured triangle
};
