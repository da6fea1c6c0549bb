#pragma once
// A destination image that records the fills and blits a drawing context
// sends it, in order, instead of drawing.
#include "framework/graphics/Image.h"

#include <vector>

class RecordingImage : public Kivo::Image {
public:
    struct Op {
        enum Kind { FILL, BLT } mKind;
        Kivo::Rect mRect; // the filled rectangle, or the blit's position and source size
        Kivo::Rect mSource;
        Kivo::Color mColor;
        const Kivo::Image* mImage;
    };

    RecordingImage(int width, int height)
    {
        mWidth = width;
        mHeight = height;
    }

    void FillRect(const Kivo::Rect& rect, const Kivo::Color& color, int) override
    {
        mOps.push_back({Op::FILL, rect, Kivo::Rect(), color, nullptr});
    }
    void Blt(Kivo::Image* source, int x, int y, const Kivo::Rect& srcRect, const Kivo::Color& color, int) override
    {
        mOps.push_back({Op::BLT, Kivo::Rect(x, y, srcRect.mWidth, srcRect.mHeight), srcRect, color, source});
    }

    std::vector<Op> mOps;
};
