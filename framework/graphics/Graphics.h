#pragma once
// The drawing context: a destination image and a drawing state (translation,
// scale about an origin, clip, colour, font, draw mode, flags) with a stack
// of saved states. Every call applies the translation (and, where it
// supports it, the scale), clips, and calls one drawing operation of the
// destination with the state's colour and draw mode.
#include "framework/graphics/Color.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Rect.h"

#include <list>

namespace Kivo {

class Font;

class GraphicsState {
public:
    void CopyState(const GraphicsState* other) { *this = *other; }

    Image* mDestImage = nullptr;
    float mTransX = 0;
    float mTransY = 0;
    float mScaleX = 1;
    float mScaleY = 1;
    float mScaleOrigX = 0; // in destination pixels, translation included
    float mScaleOrigY = 0;
    Rect mClipRect;        // in destination pixels, translation applied
    Color mColor;          // its alpha already carries the alpha scale
    Font* mFont = nullptr;
    int mDrawMode = DRAWMODE_NORMAL;
    bool mColorizeImages = false;
    bool mFastStretch = false;
    bool mWriteColoredString = true;
    bool mLinearBlend = false;
    bool mIs3D = false; // the destination is the display's 3D draw surface
    float mAlphaScale = 1.0f;
};

class Graphics : public GraphicsState {
public:
    // A null destination draws into an empty image that draws nothing (for
    // measuring text).
    explicit Graphics(Image* destImage = nullptr);
    Graphics(const Graphics& other);
    Graphics& operator=(const Graphics&) = delete;
    virtual ~Graphics() = default;

    // A copy of this context; the caller owns it.
    Graphics* Create() const;

    void PushState();
    // Does nothing when no state is saved.
    void PopState();

    void SetFont(Font* font) { mFont = font; }
    Font* GetFont() const { return mFont; }
    void SetColor(const Color& color);
    void SetColorRGBA(int r, int g, int b, int a);
    const Color& GetColor() const { return mColor; }
    // Rescales the colour's alpha from the old factor to the new one.
    void SetAlphaScale(float scale);
    float GetAlphaScale() const { return mAlphaScale; }
    void SetDrawMode(int mode) { mDrawMode = mode; }
    int GetDrawMode() const { return mDrawMode; }
    void SetColorizeImages(bool on) { mColorizeImages = on; }
    void SetFastStretch(bool on) { mFastStretch = on; }
    void SetLinearBlend(bool on) { mLinearBlend = on; }

    // The clip does not move with the translation.
    void Translate(int dx, int dy);
    void TranslateF(float dx, float dy);
    void SetScale(float sx, float sy, float originX, float originY);
    void ClearClipRect();
    void SetClipRect(int x, int y, int w, int h);
    void SetClipRectFromRect(const Rect& rect) { SetClipRect(rect.mX, rect.mY, rect.mWidth, rect.mHeight); }
    // Intersects the clip with the rectangle; the clip only shrinks.
    void ClipRect(int x, int y, int w, int h);

    void FillRect(int x, int y, int w, int h);
    // An outline covering w + 1 by h + 1 pixels.
    void DrawRect(int x, int y, int w, int h);
    void DrawLine(int x1, int y1, int x2, int y2);
    // Clips the line to the clip rectangle in place; false when nothing of
    // it is inside.
    bool ClipLine(double& x1, double& y1, double& x2, double& y2) const;
    // Works on a copy of the vertices.
    void DrawTriangleTex(Image* image, const TriVertex& v1, const TriVertex& v2, const TriVertex& v3);
    // Scales the caller's vertices in place.
    void DrawTrianglesTex(Image* image, TriVertex (*vertices)[3], int numTriangles);

private:
    bool IsScaled() const { return mScaleX != 1 || mScaleY != 1; }
    Rect ScaledRect(int x, int y, int w, int h) const;

    std::list<GraphicsState> mStateStack;
};

} // namespace Kivo
