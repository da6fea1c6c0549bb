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
#include <string>

namespace Kivo {

class Font;
class Matrix3x3;
class Transform;

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

    // Images. Source rectangles must lie inside the image (x, y, width and
    // height not negative); others draw nothing. The image colour is the
    // context's colour with colorize images on, else white.
    void DrawImage(Image* image, int x, int y);
    void DrawImageF(Image* image, float x, float y);
    void DrawImageSrc(Image* image, int x, int y, const Rect& src);
    void DrawImageSrcF(Image* image, float x, float y, const Rect& src);
    void DrawImageStretch(Image* image, int x, int y, int w, int h);
    // Unscaled always; only the translation applies.
    void DrawImageStretch(Image* image, const Rect& dest, const Rect& src);
    void DrawImageMirror(Image* image, int x, int y, const Rect& src, bool mirror = true);
    void DrawImageMirror(Image* image, const Rect& dest, const Rect& src, bool mirror = true);
    // About the centre of the source rectangle (the whole image when null).
    void DrawImageRotated(Image* image, int x, int y, double angle, const Rect* src = nullptr);
    // The centre is relative to the drawn top-left; the scale is not applied.
    void DrawImageRotated(Image* image, int x, int y, double angle, int centerX, int centerY,
                          const Rect* src = nullptr);
    void DrawImageRotatedF(Image* image, float x, float y, double angle, float centerX, float centerY,
                           const Rect* src = nullptr);
    void DrawImageMatrix(Image* image, const Matrix3x3& matrix, const Rect& src, float x, float y);
    // (x, y) is where the centre of the image (or source rectangle) goes;
    // the F forms place it to the sub-pixel.
    void DrawImageTransform(Image* image, const Transform& transform, float x, float y);
    void DrawImageTransformF(Image* image, const Transform& transform, float x, float y);
    void DrawImageTransformSrc(Image* image, const Transform& transform, const Rect& src, float x, float y);
    void DrawImageTransformSrcF(Image* image, const Transform& transform, const Rect& src, float x, float y);
    void DrawImageTransformCommon(Image* image, const Transform& transform, const Rect& src, float x, float y,
                                  bool subPixel);
    void DrawImageCel(Image* image, int x, int y, int cel);
    void DrawImageCel(Image* image, int x, int y, int column, int row);
    void DrawImageCel(Image* image, const Rect& dest, int cel);
    void DrawImageCel(Image* image, const Rect& dest, int column, int row);
    void DrawImageAnim(Image* image, int x, int y, int time);
    // Nine parts: corners as they are, edges and centre tiled.
    void DrawImageBox(const Rect& dest, Image* image);
    void DrawImageBoxSrc(const Rect& src, const Rect& dest, Image* image);

    // Text through the font; y is the baseline. Without a font nothing is
    // drawn and widths are 0.
    void DrawString(const std::string& text, int x, int y, bool floatForm = false);
    int StringWidth(const std::string& text);
    // Draws (or only measures) text with colour codes: "^RRGGBB^" switches
    // the colour (alpha kept), "^oldclr^" goes back to `oldColor` (-1: the
    // colour at the start), "^^" is one caret; a code cut off by the end of
    // the range ends the text. Justification 0 centres in `width`, 1 aligns
    // right, anything else left. Returns the width.
    int WriteString(const std::string& text, int x, int y, int width = -1, int justification = -1, bool draw = true,
                    int offset = 0, int length = -1, int oldColor = -1, bool floatForm = false);
    // Breaks at blanks, line feeds and '|' (a word too long for the width is
    // cut); draws the lines whose baseline can show in the clip. A line
    // spacing of -1 is the font's; `lastWidth` in: the first line's indent,
    // out: the last line's width. Returns the height used.
    int WriteWordWrapped(const Rect& rect, const std::string& text, int lineSpacing = -1, int justification = -1,
                         int* maxWidth = nullptr, int maxChars = -1, int* lastWidth = nullptr);
    int GetWordWrappedHeight(int width, const std::string& text, int lineSpacing = -1, int* maxWidth = nullptr);

private:
    bool IsScaled() const { return mScaleX != 1 || mScaleY != 1; }
    Rect ScaledRect(int x, int y, int w, int h) const;
    const Color& ImageColor() const { return mColorizeImages ? mColor : Color::White; }
    // The destination rectangle of a scaled source drawn at X, Y (translated).
    Rect ScaledDest(int X, int Y, float w, float h) const;
    void DrawTextPiece(const std::string& text, int x, int y, bool floatForm);

    std::list<GraphicsState> mStateStack;
};

} // namespace Kivo
