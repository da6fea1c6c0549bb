// Direct3D drawing of the display on the software device: caps, scene,
// textures of images, the clipper, batching and pictures against the 2D path.
#include "DisplayFixture.h"

#include "framework/display/D3DInterface.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

using displaytest::Desktop;
using displaytest::DisplayTest;
using Kivo::Color;
using Kivo::D3DInterface;
using Kivo::MemoryImage;
using Kivo::Rect;
using Kivo::TextureData;

class D3DTest : public DisplayTest {
protected:
    void Start3D(int bytes = 4)
    {
        SetDesktop(Desktop(1024, 768, bytes));
        display->mIs3D = true;
        ASSERT_EQ(display->Init(Window(), true), 0) << display->mErrorString;
        d3d = display->mD3DInterface;
    }
    int Count(const char* call)
    {
        const auto& calls = platform::DDraw().calls;
        return int(std::count(calls.begin(), calls.end(), call));
    }
    // The draw surface as 0xRRGGBB.
    uint32_t Pixel(int x, int y)
    {
        DDSURFACEDESC desc {};
        desc.dwSize = sizeof desc;
        EXPECT_EQ(display->mDrawSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        const uint8_t* row = static_cast<const uint8_t*>(desc.lpSurface) + ptrdiff_t(y) * desc.lPitch;
        uint32_t v = 0;
        std::memcpy(&v, row + x * int(desc.ddpfPixelFormat.dwRGBBitCount / 8), desc.ddpfPixelFormat.dwRGBBitCount / 8);
        display->mDrawSurface->Unlock(nullptr);
        if (desc.ddpfPixelFormat.dwRGBBitCount == 16)
            return (v & 0xF800) << 8 | (v & 0x7E0) << 5 | (v & 0x1F) << 3;
        return v & 0xFFFFFF;
    }

    D3DInterface* d3d = nullptr;
};

std::unique_ptr<MemoryImage> Image(Kivo::GraphicsHost* host, int w, int h, uint32_t seed, bool translucent)
{
    auto image = std::make_unique<MemoryImage>(host);
    std::vector<uint32_t> bits(size_t(w) * size_t(h));
    std::mt19937 random(seed);
    for (uint32_t& p : bits)
        p = (translucent ? (random() & 0xFF000000u) : 0xFF000000u) | (random() & 0xFFFFFF);
    image->SetBits(bits.data(), w, h);
    return image;
}

TEST_F(D3DTest, CapsClampTable)
{
    struct Case {
        DWORD minW, minH, maxW, maxH, aspect;
        int eMinW, eMinH, eMaxW, eMaxH, eAspect;
    } cases[] = {
        { 1, 1, 0, 0, 0, 64, 64, 64, 64, 1 },
        { 1, 1, 2048, 4096, 0, 1, 1, 1024, 1024, 65536 },
        { 0, 2, 256, 512, 8, 1, 2, 256, 512, 8 },
    };
    for (const Case& c : cases) {
        platform::ResetDDraw();
        auto& dd = platform::DDraw();
        dd.d3dMinTextureWidth = c.minW;
        dd.d3dMinTextureHeight = c.minH;
        dd.d3dMaxTextureWidth = c.maxW;
        dd.d3dMaxTextureHeight = c.maxH;
        dd.d3dMaxTextureAspectRatio = c.aspect;
        Start3D();
        EXPECT_EQ(Kivo::gMinTextureWidth, c.eMinW);
        EXPECT_EQ(Kivo::gMinTextureHeight, c.eMinH);
        EXPECT_EQ(Kivo::gMaxTextureWidth, c.eMaxW);
        EXPECT_EQ(Kivo::gMaxTextureHeight, c.eMaxH);
        EXPECT_EQ(Kivo::gMaxTextureAspectRatio, c.eAspect);
        EXPECT_EQ(Kivo::gSupportedTextureFormats, 0xFu);
        display->ReleaseAll();
    }
    platform::ResetDDraw();
    platform::DDraw().d3dAlphaPalette = false;
    Start3D();
    EXPECT_EQ(Kivo::gSupportedTextureFormats, 7u); // no palettised textures without alpha palettes
}

TEST_F(D3DTest, SceneStatesAndCheckedFailures)
{
    Start3D();
    platform::DDraw().logCalls = true;
    d3d->FillRect(Rect(0, 0, 4, 4), Color(255, 0, 0), 0);
    d3d->DrawLine(0, 0, 5, 5, Color(0, 255, 0), 1);
    EXPECT_EQ(Count("BeginScene"), 1);
    Kivo::SetLinearFilter(d3d->mDevice, true);
    Kivo::SetLinearFilter(d3d->mDevice, true);
    EXPECT_EQ(Count("SetTextureStageState"), 6 + 3);
    d3d->EndSceneIfActive();
    EXPECT_EQ(Count("EndScene"), 1);
    Kivo::gLastD3DError = "kept";
    d3d->EndSceneIfActive();
    EXPECT_EQ(Kivo::gLastD3DError, "kept");

    // Minimised: nothing opens, nothing is recorded.
    app.minimized = true;
    platform::DDraw().calls.clear();
    d3d->FillRect(Rect(0, 0, 4, 4), Color(255, 0, 0), 0);
    EXPECT_TRUE(platform::DDraw().calls.empty());
    app.minimized = false;

    // A failed checked call is recorded in the text and the registry.
    platform::DDraw().FailCall("DrawPrimitive", E_FAIL);
    d3d->FillRect(Rect(0, 0, 4, 4), Color(255, 0, 0), 0);
    EXPECT_EQ(Kivo::gLastD3DError, "DrawPrimitive (Rect): DSERR_GENERIC");
    EXPECT_EQ(app.registryStrings["Test3D\\RuntimeError"], Kivo::gLastD3DError);
    // The next presentation switches 3D off.
    EXPECT_FALSE(display->Redraw());
    EXPECT_FALSE(display->mIs3D);

    // A failed GetCaps has no step text.
    display->ReleaseAll();
    platform::ResetDDraw();
    platform::DDraw().FailCall("GetCaps", E_FAIL);
    display->mIs3D = true;
    EXPECT_EQ(display->Init(Window(), true), 7);
    EXPECT_EQ(display->mErrorString, "3D init error: : DSERR_GENERIC");
}

TEST(TextureLayout, WasteTableAndPieces)
{
    const int rows[][2] = { { 100, 128 }, { 129, 128 }, { 200, 256 }, { 300, 256 }, { 400, 128 },
                            { 500, 512 }, { 600, 64 },  { 640, 512 }, { 700, 128 }, { 1000, 1024 } };
    for (const auto& r : rows)
        EXPECT_EQ(Kivo::TextureSideForSpan(r[0]), r[1]) << r[0];

    Kivo::gMinTextureWidth = Kivo::gMinTextureHeight = 1;
    Kivo::gMaxTextureAspectRatio = 65536;
    struct Case {
        int w, h, max;
        uint32_t flags;
        int pieceW, pieceH, columns, rows, lastW, lastH;
        float wide, high;
    } cases[] = {
        { 300, 200, 256, 0, 256, 256, 2, 1, 64, 256, 1.171875f, 0.78125f },
        { 128, 128, 1024, 0, 128, 128, 1, 1, 128, 128, 1, 1 },
        { 100, 50, 1024, 0, 128, 64, 1, 1, 128, 64, 100 / 128.f, 50 / 64.f },
        { 300, 200, 1024, 2, 64, 64, 5, 4, 64, 64, 300 / 64.f, 200 / 64.f },
        { 600, 100, 1024, 1, 1024, 128, 1, 1, 1024, 128, 600 / 1024.f, 100 / 128.f },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.w);
        Kivo::gMaxTextureWidth = Kivo::gMaxTextureHeight = c.max;
        MemoryImage image;
        image.Create(c.w, c.h);
        TextureData data;
        data.imageFlags = c.flags;
        data.CreatePieces(&image);
        EXPECT_EQ(data.pieceWidth, c.pieceW);
        EXPECT_EQ(data.pieceHeight, c.pieceH);
        EXPECT_EQ(data.columns, c.columns);
        EXPECT_EQ(data.rows, c.rows);
        EXPECT_EQ(data.pieces.back().width, c.lastW);
        EXPECT_EQ(data.pieces.back().height, c.lastH);
        EXPECT_FLOAT_EQ(data.widthInPieces, c.wide);
        EXPECT_FLOAT_EQ(data.heightInPieces, c.high);
    }
}

TEST(TextureLayout, TexelConversionsBothWays)
{
    const uint32_t c = 0x8A3C7FE1;
    EXPECT_EQ(Kivo::TexelFromColor(c, Kivo::kA8R8G8B8), c);
    EXPECT_EQ(Kivo::TexelFromColor(c, Kivo::kA4R4G4B4), 0x837Eu);
    EXPECT_EQ(Kivo::ColorFromTexel(0x837E, Kivo::kA4R4G4B4), 0xFF3070E0u); // alpha 255 on read-back
    EXPECT_EQ(Kivo::TexelFromColor(c, Kivo::kR5G6B5), uint32_t((0x3C >> 3) << 11 | (0x7F >> 2) << 5 | (0xE1 >> 3)));
    EXPECT_EQ(Kivo::ColorFromTexel(0xFFFF, Kivo::kR5G6B5), 0xFFF8FCF8u);
    for (int code : { 1, 2, 4, 8 }) {
        DDPIXELFORMAT f;
        Kivo::GetTexturePixelFormat(code, f);
        EXPECT_EQ(Kivo::GetTextureFormatCode(f), code);
    }
}

TEST_F(D3DTest, FormatChoiceAndRefresh)
{
    Start3D();
    struct Case {
        const char* name;
        uint32_t offered;
        uint32_t flags;
        bool translucent;
        bool palette;
        int format;
    } cases[] = {
        { "opaque, R5G6B5 offered", 0xF, 0, false, false, Kivo::kR5G6B5 },
        { "opaque, hint 8", 0xF, 8, false, false, Kivo::kA8R8G8B8 },
        { "palette image", 0xF, 0, true, true, Kivo::kPalette8 },
        { "hint 4", 0xF, 4, true, false, Kivo::kA4R4G4B4 },
        { "no A8R8G8B8", 0x6, 0, true, false, Kivo::kA4R4G4B4 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Kivo::gSupportedTextureFormats = c.offered;
        auto image = Image(&app, 100, 50, 3, c.translucent);
        if (c.palette) {
            std::vector<uint32_t> bits(100 * 50, 0x80112233);
            bits[7] = 0xFF445566;
            image->SetBits(bits.data(), 100, 50);
            ASSERT_TRUE(image->Palletize());
        }
        image->mD3DFlags = c.flags;
        ASSERT_TRUE(d3d->PreDraw());
        ASSERT_TRUE(d3d->CreateImageTexture(image.get()));
        auto* data = static_cast<TextureData*>(image->mD3DData);
        EXPECT_EQ(data->format, c.format);
        // Read back through the textures.
        std::vector<uint32_t> back(100 * 50);
        ASSERT_TRUE(d3d->CopyTexturesToBits(image.get(), back.data()));
        const uint32_t first = c.palette ? 0x80112233 : image->GetBits()[0];
        const uint32_t expect = Kivo::ColorFromTexel(Kivo::TexelFromColor(first, c.format), c.format);
        EXPECT_EQ(back[0], c.format == Kivo::kPalette8 || c.format == Kivo::kA8R8G8B8 ? first : expect);
        d3d->RemoveImageTextures(image.get());
        EXPECT_EQ(image->mD3DData, nullptr);
    }

    // Edge texels, and a bits change uploads into the same surfaces while a
    // size change rebuilds them.
    Kivo::gSupportedTextureFormats = 0xF;
    auto image = Image(&app, 100, 50, 5, true);
    ASSERT_TRUE(d3d->CreateImageTexture(image.get()));
    auto* data = static_cast<TextureData*>(image->mD3DData);
    IDirectDrawSurface7* surface = data->pieces[0].surface;
    DDSURFACEDESC2 desc {};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    const auto* texels = static_cast<const uint32_t*>(desc.lpSurface);
    const size_t pitch = size_t(desc.lPitch) / 4;
    EXPECT_EQ(texels[100], texels[99]);
    EXPECT_EQ(texels[50 * pitch + 3], texels[49 * pitch + 3]);
    surface->Unlock(nullptr);
    image->GetBits()[0] = 0x12345678;
    image->BitsChanged();
    ASSERT_TRUE(d3d->CreateImageTexture(image.get()));
    EXPECT_EQ(data->pieces[0].surface, surface);
    std::vector<uint32_t> back(100 * 50);
    ASSERT_TRUE(d3d->CopyTexturesToBits(image.get(), back.data()));
    EXPECT_EQ(back[0], 0x12345678u);
    image->Create(300, 50);
    ASSERT_TRUE(d3d->CreateImageTexture(image.get()));
    EXPECT_NE(data->pieces.size(), 1u);
}

TEST(Clipper, BoundsAndColours)
{
    Kivo::TLVertexList list, out;
    auto v = [](float x, float y, uint32_t c) { return D3DTLVERTEX { x, y, 0, 1, c, 0, x / 10, y / 10 }; };
    // A square from (0, 0) to (10, 10) cut at x < 5.
    list.Append(v(0, 0, 0xFFFFFFFF));
    list.Append(v(10, 0, 0x00000000));
    list.Append(v(10, 10, 0x00000000));
    list.Append(v(0, 10, 0xFFFFFFFF));
    Kivo::ClipTLPolygonMax(Kivo::kClipX, 5, list, out);
    ASSERT_EQ(out.Count(), 4);
    float maxX = 0;
    for (int i = 0; i < out.Count(); ++i)
        maxX = std::max(maxX, out[i].sx);
    EXPECT_FLOAT_EQ(maxX, 5);
    const D3DTLVERTEX half = Kivo::InterpolateTLVertex(list[0], list[1], 0.5f);
    EXPECT_EQ(half.color, 0x7F7F7F7Fu);
    EXPECT_FLOAT_EQ(half.tu, 0.5f);
    // Inside on the minimum bound, outside on the maximum one.
    out.Clear();
    Kivo::ClipTLPolygonMin(Kivo::kClipX, 0, list, out);
    EXPECT_EQ(out.Count(), 4);
    Kivo::TLVertexList none;
    Kivo::ClipTLPolygonMax(Kivo::kClipX, 0, list, none);
    EXPECT_EQ(none.Count(), 0);
    // Growth past the inline room keeps the vertices.
    Kivo::TLVertexList big;
    for (int i = 0; i < 250; ++i)
        big.Append(v(float(i), 0, 0));
    EXPECT_EQ(big.Count(), 250);
    EXPECT_FLOAT_EQ(big[249].sx, 249);
}

TEST_F(D3DTest, PrimitivesAndBatching)
{
    Start3D();
    platform::DDraw().logCalls = true;
    d3d->FillPoly(nullptr, 2, nullptr, Color(255, 0, 0), 0, 0, 0);
    EXPECT_TRUE(platform::DDraw().calls.empty());

    // 250 triangles of a one-piece image: lists of 100, 100 and 50.
    auto image = Image(&app, 64, 64, 1, true);
    std::vector<std::array<Kivo::TriVertex, 3>> tris(250);
    for (auto& t : tris) {
        t[0] = { 0, 0, 0, 0, 0, 0 };
        t[1] = { 8, 0, 0, 1, 0, 0 };
        t[2] = { 0, 8, 0, 0, 1, 0 };
    }
    platform::DDraw().calls.clear();
    d3d->DrawTrianglesTex(reinterpret_cast<const Kivo::TriVertex(*)[3]>(tris.data()), 250, Color::White, 0,
                          image.get(), 0, 0, false);
    EXPECT_EQ(Count("DrawPrimitive"), 3);

    // A triangle across two texture columns: one fan per piece.
    Kivo::gMaxTextureWidth = 64;
    auto wide = Image(&app, 100, 64, 2, true);
    Kivo::TriVertex across[1][3] = { { { 0, 0, 0, 0, 0, 0 }, { 100, 0, 0, 1, 0, 0 }, { 0, 64, 0, 0, 1, 0 } } };
    platform::DDraw().calls.clear();
    d3d->DrawTrianglesTex(across, 1, Color::White, 0, wide.get(), 0, 0, false);
    EXPECT_EQ(Count("DrawPrimitive"), 2);
    EXPECT_EQ(Kivo::gLastD3DError, "");
}

// The same picture through Direct3D and through the software blits: within
// rounding (3) for 32-bit textures, within 4-bit precision (32) for A4R4G4B4,
// plus 8 on a 16-bit target.
TEST_F(D3DTest, BlitsMatchTheSoftwarePath)
{
    // Each texture format, chosen by the image's pixels and hint flags; the
    // tolerance is the format's channel step.
    struct Kind {
        const char* name;
        bool translucent;
        bool palette;
        uint32_t flags;
        int format;
        int tolerance;
    } kinds[] = {
        { "A8R8G8B8", true, false, 8, Kivo::kA8R8G8B8, 3 },
        { "A4R4G4B4", true, false, 4, Kivo::kA4R4G4B4, 32 },
        { "R5G6B5", false, false, 0, Kivo::kR5G6B5, 8 },
        { "Palette8", true, true, 0, Kivo::kPalette8, 3 },
    };
    for (int bytes : { 4, 2 }) {
        for (int mode : { 0, 1 }) {
            for (const Kind& kind : kinds) {
                SCOPED_TRACE(testing::Message() << bytes << " bytes, mode " << mode << ", " << kind.name);
                display.reset();
                platform::ResetDDraw();
                display = std::make_unique<Kivo::DDInterface>(&app);
                app.display = display.get();
                Start3D(bytes);
                auto image = Image(&app, 37, 23, 9, kind.translucent);
                if (kind.palette) {
                    // 16 colours over 4 alphas.
                    uint32_t* bits = image->GetBits();
                    for (int i = 0; i < 37 * 23; ++i)
                        bits[i] = uint32_t(i % 4) * 0x55000000u | uint32_t(i % 16) * 0x0F0B07u;
                    image->BitsChanged();
                    ASSERT_TRUE(image->Palletize());
                }
                image->mD3DFlags = kind.flags;
                const Color background(40, 90, 200);
                d3d->FillRect(Rect(0, 0, 64, 64), background, 0);
                d3d->Blt(image.get(), 5, 7, Rect(0, 0, 37, 23), Color::White, mode, false);
                ASSERT_NE(image->mD3DData, nullptr);
                EXPECT_EQ(static_cast<TextureData*>(image->mD3DData)->format, kind.format);

                MemoryImage soft;
                soft.Create(64, 64);
                soft.FillRect(Rect(0, 0, 64, 64), background, 0);
                soft.Blt(image.get(), 5, 7, Rect(0, 0, 37, 23), Color::White, mode);
                const uint32_t* expected = soft.GetBits();
                const int tolerance = kind.tolerance + (bytes == 2 ? 8 : 0);
                int worst = 0;
                for (int y = 0; y < 40; ++y)
                    for (int x = 0; x < 50; ++x) {
                        const uint32_t got = Pixel(x, y), want = expected[y * 64 + x];
                        for (int shift = 0; shift < 24; shift += 8)
                            worst = std::max(worst, std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)));
                    }
                EXPECT_LE(worst, tolerance);
            }
        }
    }
}

TEST_F(D3DTest, OneToOneQuadPutsEveryTexelOnItsPixel)
{
    Start3D();
    auto image = Image(&app, 70, 33, 4, false);
    image->mD3DFlags = 8; // keep 32-bit texels
    d3d->Blt(image.get(), 3, 2, Rect(0, 0, 70, 33), Color::White, 0, false);
    const uint32_t* bits = image->GetBits();
    int wrong = 0;
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 70; ++x)
            wrong += Pixel(x + 3, y + 2) != (bits[y * 70 + x] & 0xFFFFFF);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(Pixel(2, 2), 0u);
    EXPECT_EQ(Pixel(73, 2), 0u);
    EXPECT_EQ(Pixel(3, 35), 0u);
}

} // namespace

namespace {

// A typical frame presented through Direct3D and through the 2D path:
// background, bricks with soft edges, translucent panels, tinted additive
// particles and a turned window. KIVO_FRAME_PNG=prefix writes both
// pictures and their difference.
std::vector<uint32_t> PresentFrame(D3DTest& test, Kivo::DDInterface& display, Kivo::GraphicsHost* host)
{
    auto background = Image(host, 800, 600, 3, false);
    auto brick = Image(host, 50, 50, 5, true);
    auto particle = Image(host, 16, 16, 11, true);
    // A smooth window, so that the two resamplers can be compared inside it.
    auto window = std::make_unique<MemoryImage>(host);
    std::vector<uint32_t> gradient(320 * 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            gradient[size_t(y * 320 + x)] = 0xFF000000u | uint32_t(x * 255 / 319) << 16 | uint32_t(y) << 8 | 0x60;
    window->SetBits(gradient.data(), 320, 240);
    Kivo::DDImage* screen = display.mScreenImage;
    const Rect clip(0, 0, 800, 600);
    screen->Blt(background.get(), 0, 0, Rect(0, 0, 800, 600), Color::White, 0);
    for (int i = 0; i < 100; ++i)
        screen->Blt(brick.get(), 100 + (i % 10) * 52, 40 + (i / 10) * 52, Rect(0, 0, 50, 50), Color::White, 0);
    screen->FillRect(Rect(0, 0, 800, 80), Color(int(0xC0203040)), 0);
    for (int i = 0; i < 500; ++i)
        screen->Blt(particle.get(), (i * 37) % 784, (i * 91) % 584, Rect(0, 0, 16, 16),
                    Color(int(uint32_t(128 + i % 128) << 24 | 0xFF0064u | uint32_t(200 - i % 100) << 8)), 1);
    screen->BltRotated(window.get(), 240, 180, Rect(0, 0, 320, 240), clip, Color::White, 0, 0.3, 160, 120);
    EXPECT_TRUE(display.Redraw());
    (void)test;
    auto frame = platform::HeadlessBackend::Current()->presenter.LastFrame();
    return frame.pixels;
}

// Text through the system's context on the 3D target ends the open scene
// first, so the scene's drawing is on the target before the text.
TEST_F(D3DTest, SurfaceTextEndsTheScene)
{
    Start3D();
    Kivo::DDImage& screen = *display->mScreenImage;
    ASSERT_TRUE(screen.Is3DTarget());
    platform::DDraw().logCalls = true;
    screen.FillRect(Rect(0, 0, 4, 4), Color(0, 0, 255), 0);
    ASSERT_TRUE(d3d->mSceneActive);
    HDC dc = nullptr;
    ASSERT_TRUE(screen.BeginSurfaceText(&dc));
    EXPECT_FALSE(d3d->mSceneActive);
    EXPECT_EQ(Count("EndScene"), 1);
    ASSERT_NE(dc, nullptr);
    RECT square { 1, 1, 3, 3 };
    FillRect(dc, &square, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    screen.EndSurfaceText(dc);
    EXPECT_EQ(Pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(Pixel(1, 1), 0xFFFFFFu);
    // Drawing after the text opens a new scene.
    screen.FillRect(Rect(3, 3, 1, 1), Color(255, 0, 0), 0);
    EXPECT_TRUE(d3d->mSceneActive);
    EXPECT_EQ(Count("BeginScene"), 2);
}

TEST_F(D3DTest, FrameMatchesThe2DFrame)
{
    Start3D();
    const std::vector<uint32_t> hardware = PresentFrame(*this, *display, &app);
    display.reset();
    platform::ResetDDraw();
    display = std::make_unique<Kivo::DDInterface>(&app);
    app.display = display.get();
    ASSERT_EQ(display->Init(Window(), true), 0);
    const std::vector<uint32_t> software = PresentFrame(*this, *display, &app);
    ASSERT_EQ(hardware.size(), software.size());
    ASSERT_EQ(hardware.size(), 800u * 600u);
    // Per pixel the largest channel difference: within the opaque
    // background's R5G6B5 texels (8) everywhere but on the turned window's
    // edge, which the two resamplers place differently.
    int far = 0;
    double total = 0;
    std::vector<uint32_t> diff(hardware.size());
    for (size_t i = 0; i < hardware.size(); ++i) {
        int worst = 0;
        for (int shift = 0; shift < 24; shift += 8)
            worst = std::max(worst, std::abs(int(hardware[i] >> shift & 0xFF) - int(software[i] >> shift & 0xFF)));
        far += worst > 8;
        total += worst;
        diff[i] = 0xFF000000u | uint32_t(std::min(worst * 8, 255)) * 0x010101u;
    }
    EXPECT_LT(total / double(hardware.size()), 4.0);
    EXPECT_LT(far, int(hardware.size() / 200)); // under 0.5 %
    if (const char* prefix = std::getenv("KIVO_FRAME_PNG")) {
        const std::pair<const char*, const std::vector<uint32_t>*> pictures[] = {
            { "3d", &hardware }, { "2d", &software }, { "diff", &diff }
        };
        for (const auto& [name, pixels] : pictures) {
            ImageLib::Image out;
            out.mWidth = 800;
            out.mHeight = 600;
            out.mBits = new uint32_t[pixels->size()];
            std::copy(pixels->begin(), pixels->end(), out.mBits);
            ImageLib::WritePNGImage(std::string(prefix) + name + ".png", &out);
        }
    }
    std::printf("frame: mean difference %.3f, %d pixels differ by more than 8\n", total / double(hardware.size()),
                far);
}

} // namespace
