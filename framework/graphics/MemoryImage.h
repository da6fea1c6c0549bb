#pragma once
// The software image: 32-bit ARGB pixels (0xAARRGGBB, rows top to bottom,
// pitch = width) followed by a guard word, or a 256-colour form, plus caches
// derived from the pixels (alpha classes, premultiplied display-format data,
// run-length data) that the drawing paths and the display device read.
//
// At most one of the two forms holds the picture. Without either, it may
// survive in the native data or in the display's texture copy, and GetBits
// rebuilds the pixels from whichever exists.
#include "framework/graphics/Image.h"

#include <cstdint>

namespace Kivo {

class GraphicsHost;
class NativeDisplay;

class MemoryImage : public Image {
public:
    static constexpr uint32_t kGuardWord = 0x4BEEFADE;

    // Registers with the installed host (GetGraphicsHost), or with `host`.
    MemoryImage();
    explicit MemoryImage(GraphicsHost* host);
    ~MemoryImage() override;

    // Software drawing. Nothing here clips: rectangles, spans, line ends and
    // blit positions must lie inside the image (and the source rectangle
    // inside the source); the drawing context clips before it calls.
    void FillRect(const Rect& rect, const Color& color, int drawMode) override;
    void ClearRect(const Rect& rect) override;
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode) override;
    void DrawLineAA(double x1, double y1, double x2, double y2, const Color& color, int drawMode) override;
    void FillScanLinesWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                   const uint8_t* coverage, int coverX, int coverY, int coverWidth,
                                   int coverHeight) override;
    void Blt(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override;

    // Transformed blits. These clip to clipRect (and to this image) and draw
    // nothing for a source rect that does not lie inside the source.
    void BltF(Image* source, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
              int drawMode) override;
    void BltRotated(Image* source, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
                    int drawMode, double angle, float centerX, float centerY) override;
    void StretchBlt(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                    const Color& color, int drawMode, bool fastStretch) override;
    void BltMatrix(Image* source, float x, float y, const Matrix3x3& matrix, const Rect& clipRect,
                   const Color& color, int drawMode, const Rect& srcRect, bool blend) override;
    void BltTrianglesTex(Image* source, const TriVertex (*vertices)[3], int numTriangles, const Rect& clipRect,
                         const Color& color, int drawMode, float tx, float ty, bool blend) override;

    virtual uint32_t* GetNativeAlphaData(NativeDisplay* display);
    virtual uint8_t* GetRLAlphaData();
    virtual uint8_t* GetRLAdditiveData(NativeDisplay* display);
    virtual void PurgeBits();
    virtual void DeleteSWBuffers();
    virtual void Delete3DBuffers();
    virtual void DeleteExtraBuffers();
    virtual void ReInit();
    virtual void BitsChanged();
    virtual void CommitBits();
    virtual void DeleteNativeData();
    virtual void Clear();
    virtual void SetBits(const uint32_t* bits, int width, int height, bool commitBits = true);
    // As SetBits, but takes ownership of `bits` instead of copying them:
    // allocated with new[] and holding width x height + 1 words (the last one
    // is the guard). A size the images do not accept frees them and leaves
    // an empty image.
    void TakeBits(uint32_t* bits, int width, int height, bool commitBits = true);
    // A size the images do not accept (negative, or beyond ImageSizeOk)
    // leaves an empty 0 x 0 image.
    virtual void Create(int width, int height);
    virtual uint32_t* GetBits();
    virtual void SetImageMode(bool hasTrans, bool hasAlpha);
    virtual void SetBltHint(bool hint);
    virtual bool Palletize();

    GraphicsHost* GetHost() const { return mHost; }
    // Whether the native data has one entry per colour-table index.
    bool NativeIndexed() const { return mNativeIndexed; }

    uint32_t* mBits = nullptr;
    uint32_t mBitsChangedCount = 0;
    void* mD3DData = nullptr; // the display device's texture copy, owned by it
    uint32_t mD3DFlags = 0;
    uint32_t* mColorTable = nullptr; // 256 entries
    uint8_t* mColorIndices = nullptr;
    bool mForcedMode = false;
    bool mHasTrans = false;
    bool mHasAlpha = false; // translucent: some alpha in 1..254
    bool mBltHint = false;
    bool mPurgeBits = false;
    bool mWantPal = false;
    uint32_t* mNativeAlphaData = nullptr;
    uint8_t* mRLAlphaData = nullptr;
    uint8_t* mRLAdditiveData = nullptr;
    bool mBitsDirty = false; // alpha classes must be recomputed

private:
    size_t PixelCount() const { return static_cast<size_t>(mWidth) * static_cast<size_t>(mHeight); }
    // Frees the colour table and indices, and native data indexed by them.
    void FreePaletteForm();
    void FreeBits();
    void AllocBits();
    // True when the native data has 256 entries indexed like the colour
    // table instead of one per pixel.
    bool mNativeIndexed = false;
    GraphicsHost* mHost;
};

// The exact 256-colour palette: table entries in order of first appearance;
// entries past the last colour found repeat entry 0. False when the pixels
// hold more than 256 distinct ARGB values.
bool BuildPalette(const uint32_t* bits, int width, int height, uint8_t* indices, uint32_t* table);

} // namespace Kivo
