#pragma once
// The display's Direct3D 7 drawing: the device on the display's 3D draw
// surface and its per-frame scene, the textures that carry images to it
// (TextureData, one per textured image, cut into pieces the device accepts)
// and the primitives the surface image draws with when its destination is
// the 3D draw surface. Geometry is cut in software by a polygon clipper
// that also confines triangles to the pieces of a tiled image.
#include "framework/graphics/Color.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Matrix3x3.h"
#include "framework/graphics/Rect.h"
#include "platform/ddraw/D3D.h"

#include <list>
#include <set>
#include <string>
#include <vector>

namespace Kivo {

class DDInterface;
class MemoryImage;

// Process-wide state of the current device.
extern int gMinTextureWidth;
extern int gMinTextureHeight;
extern int gMaxTextureWidth;
extern int gMaxTextureHeight;
extern int gMaxTextureAspectRatio;
// Bits: 1 A8R8G8B8, 2 A4R4G4B4, 4 R5G6B5, 8 8-bit palette.
extern uint32_t gSupportedTextureFormats;
extern bool gLinearFilter;
// The last attempt to open a scene failed at SetRenderTarget: 3D may not
// have worked; the application asks at exit whether to keep it on.
extern bool gD3DRenderTargetFailed;

// False when `result` succeeded. Else records "step: ERROR_NAME" in
// gLastD3DError and as the registry value "Test3D\RuntimeError" (through the
// display host set with SetD3DErrorHost), and returns true.
bool CheckDXError(HRESULT result, const char* step);
class DisplayHost;
void SetD3DErrorHost(DisplayHost* host);

// Switches the stage-0 filters when they differ from gLinearFilter.
void SetLinearFilter(IDirect3DDevice7* device, bool linear);

// Texture format codes.
enum TextureFormat : int { kTextureNone = 0, kA8R8G8B8 = 1, kA4R4G4B4 = 2, kR5G6B5 = 4, kPalette8 = 8 };
int GetTextureFormatCode(const DDPIXELFORMAT& format);
void GetTexturePixelFormat(int code, DDPIXELFORMAT& format);
int TextureBytesPerTexel(int code);
const char* TextureFormatName(int code);
// One texel from 0xAARRGGBB and back.
uint32_t TexelFromColor(uint32_t color, int code);
uint32_t ColorFromTexel(uint32_t texel, int code);

// Texture size for an image span (in/out): the waste table, powers of two,
// the device's limits and aspect ratio. Hint flags: 1 powers of two, 2
// always 64 x 64.
void AdjustTextureSize(int& width, int& height, bool remainder, bool fit, uint32_t flags);
// The waste table: the texture side for an ordinary span of n < 1024.
int TextureSideForSpan(int n);

struct TexturePiece {
    IDirectDrawSurface7* surface = nullptr;
    int width = 0;
    int height = 0;
};

class TextureData {
public:
    TextureData();
    ~TextureData();
    TextureData(const TextureData&) = delete;
    TextureData& operator=(const TextureData&) = delete;

    bool CreateTextures(MemoryImage* image, IDirect3DDevice7* device, IDirectDraw7* directDraw);
    void CreatePieces(MemoryImage* image);
    void ReleaseTextures();
    // The piece holding image point (x, y); w and h (the remaining source
    // size) come back clipped to that piece.
    IDirectDrawSurface7* GetPieceAt(int x, int y, int& w, int& h, float& uMin, float& vMin, float& uMax,
                                    float& vMax);
    bool CopyToBits(MemoryImage* image, uint32_t* bits);

    void Blt(IDirect3DDevice7* device, float x, float y, const Rect& srcRect, uint32_t color);
    void BltTransformed(IDirect3DDevice7* device, const Matrix3x3& matrix, const Rect& srcRect, uint32_t color,
                        const Rect* clipRect, float x, float y, bool center);
    void DrawTriangles(IDirect3DDevice7* device, const TriVertex (*triangles)[3], int count, uint32_t color,
                       float offsetX, float offsetY);

    std::vector<TexturePiece> pieces;
    IDirectDrawPalette* palette = nullptr;
    int width = 0;
    int height = 0;
    int columns = 0;
    int rows = 0;
    int pieceWidth = 64;
    int pieceHeight = 64;
    uint32_t bitsChangedCount = 0;
    int textureMemory = 0;
    float widthInPieces = 0;
    float heightInPieces = 0;
    int format = 0;
    uint32_t imageFlags = 0;
    bool purgeRequested = false;
};

// A vertex list with room for 100 vertices inline.
class TLVertexList {
public:
    TLVertexList() = default;
    ~TLVertexList();
    TLVertexList(const TLVertexList&) = delete;
    TLVertexList& operator=(const TLVertexList&) = delete;

    void Reserve(int n);
    void Append(const D3DTLVERTEX& v);
    void Clear() { mCount = 0; }
    int Count() const { return mCount; }
    D3DTLVERTEX* Data() { return mData; }
    D3DTLVERTEX& operator[](int i) { return mData[i]; }

private:
    D3DTLVERTEX mInline[100];
    D3DTLVERTEX* mData = mInline;
    int mCount = 0;
    int mCapacity = 100;
};

// Clip fields: 0 sx, 1 sy, 2 sz, 3 tu, 4 tv.
enum ClipField { kClipX = 0, kClipY = 1, kClipZ = 2, kClipU = 3, kClipV = 4 };
D3DTLVERTEX InterpolateTLVertex(const D3DTLVERTEX& from, const D3DTLVERTEX& to, float t);
void ClipTLPolygonMin(int field, float bound, TLVertexList& source, TLVertexList& dest);
void ClipTLPolygonMax(int field, float bound, TLVertexList& source, TLVertexList& dest);
void ClipTLPolygonToUnitSquare(TLVertexList& list);
// Clips to the half-open rect and draws what is left as one fan.
void DrawClippedPolygon(IDirect3DDevice7* device, TLVertexList& list, const Rect& clip);

class D3DInterface {
public:
    D3DInterface();
    virtual ~D3DInterface();
    D3DInterface(const D3DInterface&) = delete;
    D3DInterface& operator=(const D3DInterface&) = delete;

    bool InitFromDDInterface(DDInterface* display);
    bool InitD3D();
    bool PreDraw();
    void SetDrawMode(int drawMode, const Color& color, Image* image);
    void EndSceneIfActive();
    void Cleanup();

    bool CreateImageTexture(MemoryImage* image);
    void RemoveImageTextures(MemoryImage* image);
    // Rebuilds an image's bits from its textures; false when not possible.
    bool CopyTexturesToBits(MemoryImage* image, uint32_t* bits);

    void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode);
    void FillRect(const Rect& rect, const Color& color, int drawMode);
    void FillPoly(const Point* points, int count, const Rect* clipRect, const Color& color, int drawMode,
                  int offsetX, int offsetY);
    void Blt(MemoryImage* image, float x, float y, const Rect& srcRect, const Color& color, int drawMode,
             bool linear);
    void BltTransformed(MemoryImage* image, const Rect* clipRect, const Color& color, int drawMode,
                        const Rect& srcRect, const Matrix3x3& matrix, bool linear, float x, float y, bool center);
    void DrawTrianglesTex(const TriVertex (*triangles)[3], int count, const Color& color, int drawMode,
                          MemoryImage* image, float offsetX, float offsetY, bool linear);
    // The surface image's matrix recipes.
    void BltClipF(MemoryImage* image, float x, float y, const Rect& srcRect, const Rect* clipRect,
                  const Color& color, int drawMode);
    void BltRotated(MemoryImage* image, float x, float y, const Rect* clipRect, const Color& color, int drawMode,
                    const Rect& srcRect, double angle, float centerX, float centerY);
    void StretchBlt(MemoryImage* image, const Rect& destRect, const Rect& srcRect, const Rect* clipRect,
                    const Color& color, int drawMode, bool fastStretch, bool mirror);
    void BltMirror(MemoryImage* image, float x, float y, const Rect& srcRect, const Color& color, int drawMode,
                   bool linear);

    HWND mHWnd = nullptr;
    int mWidth = 640;
    int mHeight = 480;
    DDInterface* mDisplay = nullptr;
    IDirectDraw7* mDirectDraw = nullptr; // not owned
    IDirectDrawSurface7* mDrawSurface = nullptr;
    IDirect3D7* mDirect3D = nullptr;
    IDirect3DDevice7* mDevice = nullptr;
    D3DVIEWPORT7 mViewport {};
    bool mSceneActive = false;
    std::set<MemoryImage*> mTexturedImages;
    std::list<Matrix3x3> mTransformStack; // nothing pushes onto it here

private:
    void SetupViewport();
    bool Textured(MemoryImage* image, int drawMode, bool linear, TextureData*& data);
};

// A Color as a vertex colour 0xAARRGGBB.
uint32_t VertexColor(const Color& color);

} // namespace Kivo
