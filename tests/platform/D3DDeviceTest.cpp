// The software Direct3D device's rules: pixel centres, the top-left fill
// rule, state defaults, culling, lines without their last pixel, texture
// formats read as texels, bilinear sampling at the texture's edges, and
// unscaled and one-colour spans drawn as the per-pixel sampler draws them.
#include "platform/ddraw/D3D.h"
#include "platform/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using platform::PixelLayout;

class D3DDevice : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::UseBackend("headless"));
        platform::ResetDDraw();
        platform::HeadlessBackend::Current()->presenter.SetDesktopLayout({ 4, 0xFF0000, 0xFF00, 0xFF });
        ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
        DDSURFACEDESC2 desc {};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = desc.dwHeight = 16;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
        ASSERT_EQ(dd->CreateSurface(&desc, &target, nullptr), DD_OK);
        ASSERT_EQ(dd->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&d3d)), DD_OK);
        ASSERT_EQ(d3d->CreateDevice(IID_IDirect3DHALDevice, target, &device), DD_OK);
        ASSERT_EQ(device->BeginScene(), DD_OK);
    }
    void TearDown() override
    {
        device->EndScene();
        device->Release();
        d3d->Release();
        target->Release();
        dd->Release();
    }
    uint32_t At(int x, int y)
    {
        DDSURFACEDESC2 desc {};
        desc.dwSize = sizeof desc;
        EXPECT_EQ(target->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        const uint32_t v =
            reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(desc.lpSurface) + y * desc.lPitch)[x];
        target->Unlock(nullptr);
        return v & 0xFFFFFF;
    }
    int Lit()
    {
        int n = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                n += At(x, y) != 0;
        return n;
    }
    void Quad(float x0, float y0, float x1, float y1, DWORD color)
    {
        D3DTLVERTEX v[4] = { { x0, y0, 0, 1, color, 0, 0, 0 },
                             { x0, y1, 0, 1, color, 0, 0, 1 },
                             { x1, y0, 0, 1, color, 0, 1, 0 },
                             { x1, y1, 0, 1, color, 0, 1, 1 } };
        ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, v, 4, 0), DD_OK);
    }

    // An A8R8G8B8 texture of w x h texels given row by row; null on failure.
    template <typename Texel>
    IDirectDrawSurface7* Texture(uint32_t w, uint32_t h, Texel texel)
    {
        DDSURFACEDESC2 desc {};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc.dwWidth = w;
        desc.dwHeight = h;
        desc.ddpfPixelFormat = { sizeof(DDPIXELFORMAT), DDPF_RGB | DDPF_ALPHAPIXELS, 0, 32, 0xFF0000, 0xFF00, 0xFF,
                                 0xFF000000 };
        desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        IDirectDrawSurface7* texture = nullptr;
        if (dd->CreateSurface(&desc, &texture, nullptr) != DD_OK)
            return nullptr;
        DDSURFACEDESC2 lock {};
        lock.dwSize = sizeof lock;
        EXPECT_EQ(texture->Lock(nullptr, &lock, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr), DD_OK);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lock.lpSurface) + y * lock.lPitch)[x] = texel(x, y);
        texture->Unlock(nullptr);
        return texture;
    }

    IDirectDraw7* dd = nullptr;
    IDirectDrawSurface7* target = nullptr;
    IDirect3D7* d3d = nullptr;
    IDirect3DDevice7* device = nullptr;
};

TEST_F(D3DDevice, PixelCentresAndTopLeftFill)
{
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    // Corners on half-pixels cover exactly the 4 x 2 pixels inside.
    Quad(1.5f, 2.5f, 5.5f, 4.5f, 0xFFFFFFFF);
    EXPECT_EQ(Lit(), 8);
    EXPECT_EQ(At(2, 3), 0xFFFFFFu);
    EXPECT_EQ(At(1, 3), 0u);
    EXPECT_EQ(At(6, 3), 0u);
    // Edges through pixel centres: the left and top ones draw, the right
    // and bottom ones do not, so adjacent quads never overlap.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
    Quad(8, 8, 10, 10, 0xFF808080);
    Quad(10, 8, 12, 10, 0xFF808080);
    EXPECT_EQ(Lit(), 8);
    EXPECT_EQ(At(8, 8), 0x808080u);
    EXPECT_EQ(At(12, 8), 0u);
    EXPECT_EQ(At(8, 10), 0u);
}

TEST_F(D3DDevice, DefaultsCullCounterClockwiseAndDoNotBlend)
{
    // Counter-clockwise on screen: culled until the cull mode is set.
    D3DTLVERTEX ccw[3] = { { 0, 0, 0, 1, 0xFFFFFFFF, 0, 0, 0 },
                           { 0, 8, 0, 1, 0xFFFFFFFF, 0, 0, 0 },
                           { 8, 0, 0, 1, 0xFFFFFFFF, 0, 0, 0 } };
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, ccw, 3, 0), DD_OK);
    EXPECT_EQ(Lit(), 0);
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, ccw, 3, 0), DD_OK);
    EXPECT_GT(Lit(), 0);
    // Without blending a half-transparent colour replaces the target.
    Quad(-0.5f, -0.5f, 15.5f, 15.5f, 0x80102030);
    EXPECT_EQ(At(3, 3), 0x102030u);
    device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    Quad(-0.5f, -0.5f, 15.5f, 15.5f, 0xFFF0F0F0);
    EXPECT_EQ(At(3, 3), 0xFFFFFFu); // added and saturated
    EXPECT_EQ(device->BeginScene(), D3DERR_SCENE_IN_SCENE);
}

TEST_F(D3DDevice, LinesLeaveTheirLastPixel)
{
    D3DTLVERTEX line[2] = { { 2, 5, 0, 1, 0xFFFFFFFF, 0, 0, 0 }, { 7, 5, 0, 1, 0xFFFFFFFF, 0, 0, 0 } };
    ASSERT_EQ(device->DrawPrimitive(D3DPT_LINESTRIP, D3DFVF_TLVERTEX, line, 2, 0), DD_OK);
    EXPECT_EQ(Lit(), 5);
    EXPECT_NE(At(2, 5), 0u);
    EXPECT_EQ(At(7, 5), 0u);
}

TEST_F(D3DDevice, TexturesOfEveryFormat)
{
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    struct Case {
        DDPIXELFORMAT format;
        uint32_t texel;
        uint32_t shown;
    } cases[] = {
        { { sizeof(DDPIXELFORMAT), DDPF_RGB | DDPF_ALPHAPIXELS, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000 },
          0xFF123456, 0x123456 },
        { { sizeof(DDPIXELFORMAT), DDPF_RGB | DDPF_ALPHAPIXELS, 0, 16, 0xF00, 0xF0, 0xF, 0xF000 }, 0xF1A5,
          0x11AA55 },
        { { sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 16, 0xF800, 0x7E0, 0x1F, 0 }, 0xFFFF, 0xFFFFFF },
        { { sizeof(DDPIXELFORMAT), DDPF_RGB | DDPF_PALETTEINDEXED8, 0, 8, 0, 0, 0, 0 }, 3, 0x405060 },
    };
    for (const Case& c : cases) {
        DDSURFACEDESC2 desc {};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc.dwWidth = desc.dwHeight = 4;
        desc.ddpfPixelFormat = c.format;
        desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        IDirectDrawSurface7* texture = nullptr;
        ASSERT_EQ(dd->CreateSurface(&desc, &texture, nullptr), DD_OK);
        if (c.format.dwFlags & DDPF_PALETTEINDEXED8) {
            std::vector<PALETTEENTRY> entries(256, PALETTEENTRY { 0, 0, 0, 0 });
            entries[3] = { 0x40, 0x50, 0x60, 0xFF };
            IDirectDrawPalette* palette = nullptr;
            ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256 | DDPCAPS_ALPHA, entries.data(), &palette,
                                        nullptr),
                      DD_OK);
            texture->SetPalette(palette);
            palette->Release();
        }
        DDSURFACEDESC2 lock {};
        lock.dwSize = sizeof lock;
        ASSERT_EQ(texture->Lock(nullptr, &lock, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr), DD_OK);
        const int bytes = int(c.format.dwRGBBitCount / 8);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                std::memcpy(static_cast<uint8_t*>(lock.lpSurface) + y * lock.lPitch + x * bytes, &c.texel,
                            size_t(bytes));
        texture->Unlock(nullptr);
        device->SetTexture(0, texture);
        Quad(-0.5f, -0.5f, 3.5f, 3.5f, 0xFFFFFFFF);
        EXPECT_EQ(At(1, 1), c.shown) << c.format.dwRGBBitCount;
        device->SetTexture(0, nullptr);
        texture->Release();
    }
}

TEST_F(D3DDevice, BilinearSamplesWrapOrClampAtTheEdges)
{
    // A 5 x 3 texture of distinct texels stretched so that the samples run
    // off every edge: the texels beyond come from the other side (wrap) or
    // the edge itself (clamp). Each mode's 16 x 16 pixels are pinned.
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    IDirectDrawSurface7* texture = Texture(5, 3, [](uint32_t x, uint32_t y) {
        return 0xFF000000 | (x * 60) << 16 | (y * 120) << 8 | ((x * 37 + y * 91) & 0xFF);
    });
    ASSERT_TRUE(texture);
    device->SetTexture(0, texture);
    struct Mode {
        DWORD address;
        uint64_t digest;
    } modes[] = { { D3DTADDRESS_WRAP, 0xE9109F6B9E5AC896ull }, { D3DTADDRESS_CLAMP, 0x140F89468033F633ull } };
    for (const Mode& m : modes) {
        device->SetTextureStageState(0, D3DTSS_ADDRESSU, m.address);
        device->SetTextureStageState(0, D3DTSS_ADDRESSV, m.address);
        D3DTLVERTEX v[4] = { { -0.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0, -0.3f, -0.4f },
                             { -0.5f, 15.5f, 0, 1, 0xFFFFFFFF, 0, -0.3f, 1.35f },
                             { 15.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 1.25f, -0.4f },
                             { 15.5f, 15.5f, 0, 1, 0xFFFFFFFF, 0, 1.25f, 1.35f } };
        ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, v, 4, 0), DD_OK);
        uint64_t digest = 1469598103934665603ull;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                digest = (digest ^ At(x, y)) * 1099511628211ull;
        EXPECT_EQ(digest, m.digest) << std::hex << "address " << m.address << ": 0x" << digest;
    }
    device->SetTexture(0, nullptr);
    texture->Release();
}

// Quads at their own size (u one texel per pixel, give or take the set-up's
// rounding) and one-colour fills take a faster path than the per-pixel
// sampler; every word of the target, the unused top byte included, must
// come out the same with it on and off. The cases run over whole and
// fractional offsets, texture edges under wrap and clamp, both filters,
// each blend the device specialises, white and tinted colours, both target
// depths, and quads clipped into fans (whose steps are a few 16.16 units
// off one texel).
TEST_F(D3DDevice, UnscaledSpansDrawAsThePerPixelSamplerDoes)
{
    constexpr int kW = 280, kH = 40, kTexW = 96, kTexH = 20;
    struct Blend {
        bool on;
        DWORD src, dest;
    };
    const Blend blends[] = { { false, D3DBLEND_ONE, D3DBLEND_ZERO },
                             { true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA },
                             { true, D3DBLEND_ONE, D3DBLEND_ONE },
                             { true, D3DBLEND_SRCALPHA, D3DBLEND_ONE },
                             { true, D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCALPHA } };
    struct Case {
        float x, y;   // the quad's top-left corner on the target
        float u, v;   // the texel at that corner
        int w, h;     // size in pixels and texels
        bool fan;     // drawn as a fan clipped at x = 3.3 and y = 2.6
        bool textured;
    } cases[] = {
        { -0.5f, -0.5f, 0, 0, 48, 20, false, true },      // whole pixels: plain copies
        { 3.25f, 1.75f, 0, 0, 48, 20, false, true },      // fractional offsets in both axes
        { 10.5f, 7.0f, 0, 0, 40, 16, false, true },       // whole across, half down; u falls a hair short of whole
        { -0.5f, 2.25f, 0, 0, 48, 20, false, true },      // whole across, a fraction down
        { -6.3f, -3.6f, 0, 0, 48, 20, false, true },      // off the target's top-left
        { 30.6f, 25.2f, 0, 0, 48, 20, false, true },      // off its bottom-right
        { 2.37f, 3.91f, 40.0f, 15.0f, 30, 12, false, true }, // running off the texture's far edges
        { 5.8f, 4.1f, -5.0f, -3.0f, 30, 12, false, true },   // and off its near edges
        { 0.13f, 0.77f, 0, 0, 270, 20, true, true },        // long enough for the weights to move by 1/256
        { -1.9f, 1.45f, 3.5f, 1.25f, 270, 30, true, true },
        { 1.3f, 2.2f, 0, 0, 50, 30, false, false },       // one colour, no texture
    };
    for (const PixelLayout& layout : { PixelLayout { 4, 0xFF0000, 0xFF00, 0xFF }, PixelLayout { 2, 0xF800, 0x7E0, 0x1F } }) {
        platform::HeadlessBackend::Current()->presenter.SetDesktopLayout(layout);
        DDSURFACEDESC2 desc {};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = kW;
        desc.dwHeight = kH;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
        IDirectDrawSurface7* surface = nullptr;
        ASSERT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
        IDirect3DDevice7* d = nullptr;
        ASSERT_EQ(d3d->CreateDevice(IID_IDirect3DHALDevice, surface, &d), DD_OK);
        ASSERT_EQ(d->BeginScene(), DD_OK);
        d->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);

        // Texels of every alpha, clear and opaque runs among them.
        uint32_t seed = 12345;
        IDirectDrawSurface7* texture = Texture(kTexW, kTexH, [&](uint32_t x, uint32_t) {
            seed = seed * 1103515245u + 12345u;
            const uint32_t alpha = x < 8 ? 0 : x < 16 ? 255 : seed >> 24;
            return alpha << 24 | ((seed >> 4) & 0xFFFFFF);
        });
        ASSERT_TRUE(texture);

        auto draw = [&](const Case& c, DWORD color) {
            const float x1 = c.x + float(c.w), y1 = c.y + float(c.h);
            const float u0 = c.u / kTexW, v0 = c.v / kTexH;
            const float u1 = (c.u + float(c.w)) / kTexW, v1 = (c.v + float(c.h)) / kTexH;
            if (!c.fan) {
                D3DTLVERTEX v[4] = { { c.x, c.y, 0, 1, color, 0, u0, v0 },
                                     { c.x, y1, 0, 1, color, 0, u0, v1 },
                                     { x1, c.y, 0, 1, color, 0, u1, v0 },
                                     { x1, y1, 0, 1, color, 0, u1, v1 } };
                return d->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, v, 4, 0);
            }
            // The corners cut at x = 3.3 and y = 2.6 as a clipper would:
            // texture coordinates interpolated in float.
            const float cx = 3.3f, cy = 2.6f;
            const float cu = u0 + (cx - c.x) / (x1 - c.x) * (u1 - u0), cv = v0 + (cy - c.y) / (y1 - c.y) * (v1 - v0);
            D3DTLVERTEX v[4] = { { cx, cy, 0, 1, color, 0, cu, cv },
                                 { cx, y1, 0, 1, color, 0, cu, v1 },
                                 { x1, y1, 0, 1, color, 0, u1, v1 },
                                 { x1, cy, 0, 1, color, 0, u1, cv } };
            return d->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DFVF_TLVERTEX, v, 4, 0);
        };
        auto snapshot = [&] {
            DDSURFACEDESC2 l {};
            l.dwSize = sizeof l;
            EXPECT_EQ(surface->Lock(nullptr, &l, DDLOCK_WAIT, nullptr), DD_OK);
            std::vector<uint8_t> bytes(size_t(l.lPitch) * kH);
            std::memcpy(bytes.data(), l.lpSurface, bytes.size());
            surface->Unlock(nullptr);
            return bytes;
        };
        auto fillBackground = [&] {
            DDSURFACEDESC2 l {};
            l.dwSize = sizeof l;
            ASSERT_EQ(surface->Lock(nullptr, &l, DDLOCK_WAIT, nullptr), DD_OK);
            for (size_t i = 0; i < size_t(l.lPitch) * kH; ++i)
                static_cast<uint8_t*>(l.lpSurface)[i] = uint8_t(i * 37 + (i >> 7));
            surface->Unlock(nullptr);
        };
        for (const Case& c : cases)
            for (DWORD filter : { D3DTFG_POINT, D3DTFG_LINEAR })
                for (DWORD address : { D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP })
                    for (const Blend& b : blends)
                        for (DWORD color : { 0xFFFFFFFFu, 0xA0C08040u }) {
                            d->SetTexture(0, c.textured ? texture : nullptr);
                            d->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
                            d->SetTextureStageState(0, D3DTSS_ADDRESSU, address);
                            d->SetTextureStageState(0, D3DTSS_ADDRESSV, address);
                            d->SetTextureStageState(0, D3DTSS_ALPHAOP, color == 0xFFFFFFFFu ? D3DTOP_SELECTARG1 : D3DTOP_MODULATE);
                            d->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, b.on);
                            d->SetRenderState(D3DRENDERSTATE_SRCBLEND, b.src);
                            d->SetRenderState(D3DRENDERSTATE_DESTBLEND, b.dest);
                            // Pixel by pixel; the fast passes four pixels
                            // at a time; and eight where the processor can.
                            std::vector<uint8_t> drawn[3];
                            for (int fast = 0; fast < 3; ++fast) {
                                platform::DDraw().d3dUnitStepSpans = fast != 0;
                                platform::DDraw().d3dWideSpans = fast == 2;
                                fillBackground();
                                ASSERT_EQ(draw(c, color), DD_OK);
                                drawn[fast] = snapshot();
                            }
                            for (int fast = 1; fast < 3; ++fast)
                                EXPECT_EQ(drawn[fast], drawn[0])
                                    << (fast == 2 ? "eight" : "four") << " at a time, " << layout.bytesPerPixel * 8
                                    << "-bit, quad at " << c.x << ", " << c.y << " from texel " << c.u << ", " << c.v
                                    << (c.fan ? " as a fan" : "") << ", filter " << filter << ", address " << address
                                    << ", blend " << b.src << "/" << b.dest << " " << (b.on ? "on" : "off")
                                    << ", colour " << std::hex << color;
                        }
        platform::DDraw().d3dUnitStepSpans = true;
        platform::DDraw().d3dWideSpans = true;
        d->SetTexture(0, nullptr);
        texture->Release();
        d->EndScene();
        d->Release();
        surface->Release();
    }
}

} // namespace
