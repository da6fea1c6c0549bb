// The software Direct3D device's rules: pixel centres, the top-left fill
// rule, state defaults, culling, lines without their last pixel, texture
// formats read as texels, bilinear sampling at the texture's edges.
#include "platform/ddraw/D3D.h"
#include "platform/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

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
    DDSURFACEDESC2 desc {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.dwWidth = 5;
    desc.dwHeight = 3;
    desc.ddpfPixelFormat = { sizeof(DDPIXELFORMAT), DDPF_RGB | DDPF_ALPHAPIXELS, 0, 32, 0xFF0000, 0xFF00, 0xFF,
                             0xFF000000 };
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    IDirectDrawSurface7* texture = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &texture, nullptr), DD_OK);
    DDSURFACEDESC2 lock {};
    lock.dwSize = sizeof lock;
    ASSERT_EQ(texture->Lock(nullptr, &lock, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr), DD_OK);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lock.lpSurface) + y * lock.lPitch)[x] =
                0xFF000000 | (x * 60) << 16 | (y * 120) << 8 | ((x * 37 + y * 91) & 0xFF);
    texture->Unlock(nullptr);
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

} // namespace
