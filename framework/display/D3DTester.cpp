#include "framework/display/D3DTester.h"

#include "framework/display/D3DInterface.h"
#include "framework/display/DDInterface.h"
#include "framework/display/DXErrors.h"
#include "framework/display/DisplayHost.h"
#include "platform/gdi/Gdi.h"
#include "platform/win32/DebugOutput.h"
#include "platform/win32/Modules.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace Kivo {

bool gD3DTest32BitTextures = true;

namespace {

template <typename T>
void ReleaseAndClear(T*& object)
{
    if (object) {
        object->Release();
        object = nullptr;
    }
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

HRESULT EnumTesterFormats(DDPIXELFORMAT* format, void* context)
{
    if (format)
        *static_cast<uint32_t*>(context) |= uint32_t(GetTextureFormatCode(*format));
    return HRESULT(DDENUMRET_OK);
}

int HighBit(uint32_t mask) { return mask ? 31 - __builtin_clz(mask) : 0; }

uint32_t MoveChannel(uint32_t pixel, uint32_t mask, int top)
{
    const int shift = top - HighBit(mask);
    const uint32_t v = pixel & mask;
    return shift >= 0 ? v << shift : v >> -shift;
}

template <typename Pixel>
void CopyFromSurface(uint32_t* out, int width, int height, const DDSURFACEDESC2& desc)
{
    const DDPIXELFORMAT& f = desc.ddpfPixelFormat;
    const int w = std::min<int>(width, int(desc.dwWidth)), h = std::min<int>(height, int(desc.dwHeight));
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const Pixel*>(static_cast<const uint8_t*>(desc.lpSurface) +
                                                         ptrdiff_t(y) * desc.lPitch);
        for (int x = 0; x < w; ++x) {
            const uint32_t p = row[x];
            out[size_t(y) * size_t(width) + size_t(x)] =
                0xFF000000u | (MoveChannel(p, f.dwRBitMask, 23) & 0xFF0000) |
                (MoveChannel(p, f.dwGBitMask, 15) & 0xFF00) | (MoveChannel(p, f.dwBBitMask, 7) & 0xFF);
        }
    }
}

} // namespace

bool IsFarColor(uint32_t a, uint32_t b)
{
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = int(a >> shift & 0xFF) - int(b >> shift & 0xFF);
        sum += d * d;
    }
    return sum > 768;
}

// The test image.

D3DTestImage::~D3DTestImage() { delete[] mPixels; }

void D3DTestImage::Create(int width, int height)
{
    delete[] mPixels;
    mPixels = nullptr;
    mWidth = mHeight = 0;
    if (width > 0 && height > 0) {
        mPixels = new uint32_t[size_t(width) * size_t(height)];
        mWidth = width;
        mHeight = height;
    }
}

void D3DTestImage::Fill(uint32_t color) { std::fill(mPixels, mPixels + size_t(mWidth) * size_t(mHeight), color); }

void D3DTestImage::FillStripes()
{
    for (int y = 0; y < mHeight; ++y)
        for (int x = 0; x < mWidth; ++x)
            mPixels[size_t(y) * size_t(mWidth) + size_t(x)] = (x & 1) ? 0xFFFFFFFF : 0xFF000000;
}

bool D3DTestImage::IsUniform(uint32_t expected, int& farCount, int width, int height) const
{
    farCount = 0;
    bool uniform = true;
    width = std::min(width, mWidth);
    height = std::min(height, mHeight);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t p = mPixels[size_t(y) * size_t(mWidth) + size_t(x)];
            if (IsFarColor(p, expected))
                ++farCount;
            if (p != mPixels[0])
                uniform = false;
        }
    return uniform;
}

int D3DTestImage::CountStripeErrors(int width, int height, int x, int y) const
{
    int errors = 0;
    for (int j = 0; j < height && y + j < mHeight; ++j)
        for (int i = 0; i < width && x + i < mWidth; ++i) {
            const uint32_t p = mPixels[size_t(y + j) * size_t(mWidth) + size_t(x + i)];
            if (IsFarColor(p, (i & 1) ? 0xFFFFFF : 0x000000))
                ++errors;
        }
    return errors;
}

void D3DTestImage::CopyFromSurface32(const DDSURFACEDESC2& desc)
{
    CopyFromSurface<uint32_t>(mPixels, mWidth, mHeight, desc);
}

void D3DTestImage::CopyFromSurface16(const DDSURFACEDESC2& desc)
{
    CopyFromSurface<uint16_t>(mPixels, mWidth, mHeight, desc);
}

void D3DTestImage::Draw(IDirect3DDevice7* device, IDirectDrawSurface7* texture, float x, float y, uint32_t diffuse)
{
    for (int py = 0; py < mHeight; py += 64)
        for (int px = 0; px < mWidth; px += 64)
            DrawPiece(device, texture, x + float(px), y + float(py), px, py, 64, 64, diffuse);
}

void D3DTestImage::CopyToTexture32(IDirectDrawSurface7* texture, int sourceX, int sourceY, int width, int height)
{
    DDSURFACEDESC2 desc {};
    desc.dwSize = sizeof desc;
    HRESULT hr = texture->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
    if (FAILED(hr))
        throw D3DTester::TestException("DXError - Lock Texture: " + GetDirectXErrorString(hr));
    const int w = std::min(width, mWidth - sourceX), h = std::min(height, mHeight - sourceY);
    auto* out = static_cast<uint8_t*>(desc.lpSurface);
    if (w < width || h < height)
        std::memset(out, 0, size_t(desc.lPitch) * desc.dwHeight);
    for (int y = 0; y < h; ++y)
        std::memcpy(out + ptrdiff_t(y) * desc.lPitch, mPixels + size_t(sourceY + y) * size_t(mWidth) + size_t(sourceX),
                    size_t(w) * 4);
    hr = texture->Unlock(nullptr);
    if (FAILED(hr))
        throw D3DTester::TestException("DXError - Texture Unlock: " + GetDirectXErrorString(hr));
}

void D3DTestImage::CopyToTexture4444(IDirectDrawSurface7* texture, int sourceX, int sourceY, int width, int height)
{
    DDSURFACEDESC2 desc {};
    desc.dwSize = sizeof desc;
    HRESULT hr = texture->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
    if (FAILED(hr))
        throw D3DTester::TestException("DXError - Lock Texture: " + GetDirectXErrorString(hr));
    const int w = std::min(width, mWidth - sourceX), h = std::min(height, mHeight - sourceY);
    auto* out = static_cast<uint8_t*>(desc.lpSurface);
    if (w < width || h < height)
        std::memset(out, 0, size_t(desc.lPitch) * desc.dwHeight);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(out + ptrdiff_t(y) * desc.lPitch);
        for (int x = 0; x < w; ++x)
            row[x] = uint16_t(TexelFromColor(mPixels[size_t(sourceY + y) * size_t(mWidth) + size_t(sourceX + x)],
                                             kA4R4G4B4));
    }
    hr = texture->Unlock(nullptr);
    if (FAILED(hr))
        throw D3DTester::TestException("DXError - Texture Unlock: " + GetDirectXErrorString(hr));
}

void D3DTestImage::DrawPiece(IDirect3DDevice7* device, IDirectDrawSurface7* texture, float x, float y, int sourceX,
                             int sourceY, int width, int height, uint32_t diffuse)
{
    if (gD3DTest32BitTextures)
        CopyToTexture32(texture, sourceX, sourceY, width, height);
    else
        CopyToTexture4444(texture, sourceX, sourceY, width, height);
    const float left = x - 0.5f, top = y - 0.5f, right = left + float(width), bottom = top + float(height);
    const float u = float(width) / 64.0f, v = float(height) / 64.0f;
    D3DTLVERTEX quad[4] = { { left, top, 0, 1, diffuse, 0, 0, 0 },
                            { left, bottom, 0, 1, diffuse, 0, 0, v },
                            { right, top, 0, 1, diffuse, 0, u, 0 },
                            { right, bottom, 0, 1, diffuse, 0, u, v } };
    auto check = [](HRESULT hr, const char* name) {
        if (FAILED(hr))
            throw D3DTester::TestException(std::string("DXError - ") + name + ": " + GetDirectXErrorString(hr));
    };
    check(device->SetTexture(0, texture), "SetTexture theTexture");
    check(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1,
                                quad, 4, D3DDP_WAIT),
          "DrawPrimitive");
    check(device->SetTexture(0, nullptr), "SetTexture NULL");
}

// The tester.

D3DTester::D3DTester(DisplayHost* host) : mHost(host) {}

D3DTester::~D3DTester() { Cleanup(); }

void D3DTester::CheckDXError(HRESULT result, const char* callName)
{
    if (FAILED(result))
        throw TestException(std::string("DXError - ") + callName + ": " + GetDirectXErrorString(result));
}

bool D3DTester::Fail(const std::string& text)
{
    mFailureReason = text;
    return false;
}

void D3DTester::Cleanup()
{
    ReleaseAndClear(mDirectDraw);
    ReleaseAndClear(mDirect3D);
    ReleaseAndClear(mDevice);
    ReleaseAndClear(mTarget);
    ReleaseAndClear(mTexture1);
    ReleaseAndClear(mTexture2);
    if (mRecordKey) {
        RegCloseKey(mRecordKey);
        mRecordKey = nullptr;
    }
}

bool D3DTester::GetD3D8AdapterInfo(GUID&, std::string&, std::string&)
{
    // Direct3D 8 is looked up by its module; this system has none, so the
    // DirectDraw identifier describes the adapter.
    HMODULE d3d8 = LoadLibraryA("d3d8.dll");
    if (!d3d8)
        return false;
    FreeLibrary(d3d8);
    return false;
}

void D3DTester::TestD3D(HWND window, IDirectDraw7* directDraw)
{
    if (!(mHost && mHost->DisplayDemoPlayback())) {
        mWriteRecord = false;
        if (Init(window, directDraw)) {
            DoTests();
        } else if (mUseRecord && !mWriteRecord) {
            DWORD size = 0;
            mNewVerdict = !mRecordKey ||
                          RegQueryValueExA(mRecordKey, "FailureReason", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS;
            mWriteRecord = true;
        }
        if (mWriteRecord)
            WriteResults();
        Cleanup();
    }
    if (mHost)
        mHost->DisplayDemoSync(mFailureReason, mWarning, mNewVerdict);
}

bool D3DTester::Init(HWND window, IDirectDraw7* directDraw)
{
    try {
        Cleanup();
        mDriverYear = 0;
        if (mUseRecord) {
            std::string path = mHost ? mHost->DisplayRegistryKey() : std::string();
            if (!path.empty() && (path.back() == '/' || path.back() == '\\'))
                path.pop_back();
            path = "SOFTWARE\\" + path + "\\Test3D";
            HKEY key = nullptr;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, const_cast<char*>(""), 0, KEY_ALL_ACCESS, nullptr,
                                &key, nullptr) == ERROR_SUCCESS)
                mRecordKey = key;
        }
        if (directDraw) {
            directDraw->AddRef();
            mDirectDraw = directDraw;
        } else {
            HMODULE ddraw = LoadLibraryA(platform::kDDrawModule);
            auto create = ddraw ? reinterpret_cast<LPDIRECTDRAWCREATEEX>(GetProcAddress(ddraw, "DirectDrawCreateEx"))
                                : nullptr;
            if (ddraw)
                FreeLibrary(ddraw);
            if (!create)
                return Fail("No DirectDrawCreateEx");
            CheckDXError(create(nullptr, reinterpret_cast<void**>(&mDirectDraw), IID_IDirectDraw7, nullptr),
                         "DirectDrawCreateEx");
        }

        mDisplayGuid = {};
        if (!GetD3D8AdapterInfo(mDisplayGuid, mDriver, mDescription)) {
            DDDEVICEIDENTIFIER2 id {};
            CheckDXError(mDirectDraw->GetDeviceIdentifier(&id, 0), "GetDeviceIdentifier");
            mDisplayGuid = id.guidDeviceIdentifier;
            mDriver.assign(id.szDriver, strnlen(id.szDriver, sizeof id.szDriver));
            mDescription.assign(id.szDescription, strnlen(id.szDescription, sizeof id.szDescription));
        }

        // Video memory, counting the screen's own buffer (in 64 bits: a
        // total near 4 GB must not wrap).
        HDC screen = GetDC(nullptr);
        const uint64_t screenBytes = uint64_t(std::max(GetDeviceCaps(screen, HORZRES), 0)) *
                                     uint64_t(std::max(GetDeviceCaps(screen, VERTRES), 0)) *
                                     uint64_t(std::max(GetDeviceCaps(screen, BITSPIXEL), 0) / 8);
        ReleaseDC(nullptr, screen);
        DDSCAPS2 caps {};
        caps.dwCaps = DDSCAPS_VIDEOMEMORY;
        DWORD total = 0, free = 0;
        const HRESULT memory = mDirectDraw->GetAvailableVidMem(&caps, &total, &free);
        if (SUCCEEDED(memory)) {
            const uint64_t megabytes = (uint64_t(total) + screenBytes) >> 20;
            if (megabytes < mMinVidMemory)
                return Fail("Not enough video memory.");
            if (megabytes < mRecVidMemory)
                OutputDebugStringA("Low video memory.\n");
        } else {
            OutputDebugStringA(("GetAvailableVidMem failed: " + GetDirectXErrorString(memory) + "\n").c_str());
        }

        if (mUseRecord) {
            if (ReadResults())
                return false;
            mWriteRecord = true;
        }
        mFailureReason.clear();
        mWarning.clear();

        struct stat info {};
        if (mDriver.find_first_of("/\\") != std::string::npos && ::stat(mDriver.c_str(), &info) == 0) {
            std::tm date {};
            const time_t written = info.st_mtime;
            if (gmtime_r(&written, &date))
                mDriverYear = date.tm_year + 1900;
        }
        if (!IsDriverGood(mDescription))
            mWarning = "Unsupported video card: " + mDescription;

        CheckDXError(mDirectDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&mDirect3D)),
                     "QueryInterface IID_IDirect3D7");
        CheckDXError(mDirectDraw->SetCooperativeLevel(window, DDSCL_NORMAL), "SetCooperativeLevel");
        DDSURFACEDESC2 desc {};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
        desc.dwWidth = desc.dwHeight = 100;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
        CheckDXError(mDirectDraw->CreateSurface(&desc, &mTarget, nullptr), "CreateSurface (Primary)");
        mTestImage.Create(100, 100);
        CheckDXError(mDirect3D->CreateDevice(IID_IDirect3DHALDevice, mTarget, &mDevice), "CreateDevice");
        uint32_t formats = 0;
        CheckDXError(mDevice->EnumTextureFormats(EnumTesterFormats, &formats), "EnumTextureFormats");
        if (!(formats & kA8R8G8B8)) {
            mWarning = "A8R8G8B8 texture format not supported.";
            if (!(formats & kA4R4G4B4))
                return Fail("A4R4G4B4 and A8R8G8B8 texture formats not supported.");
            gD3DTest32BitTextures = false;
        } else {
            gD3DTest32BitTextures = true;
        }
        DDSURFACEDESC2 tex {};
        tex.dwSize = sizeof tex;
        tex.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
        tex.dwWidth = tex.dwHeight = 64;
        tex.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        tex.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
        GetTexturePixelFormat(gD3DTest32BitTextures ? kA8R8G8B8 : kA4R4G4B4, tex.ddpfPixelFormat);
        CheckDXError(mDirectDraw->CreateSurface(&tex, &mTexture1, nullptr), "CreateSurface (TextureSurface1)");
        CheckDXError(mDirectDraw->CreateSurface(&tex, &mTexture2, nullptr), "CreateSurface (TextureSurfacd2)");
        return true;
    } catch (const TestException& e) {
        mFailureReason = e.mMessage;
        return false;
    }
}

bool D3DTester::FileContainsDriver(const char* fileName, const std::string& description, bool& opened)
{
    FILE* file = std::fopen(fileName, "r");
    opened = file != nullptr;
    if (!file)
        return false;
    const std::string haystack = Lower(description);
    char line[4000];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, file)) {
        std::string entry(line);
        const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
        while (!entry.empty() && space(entry.back()))
            entry.pop_back();
        size_t start = 0;
        while (start < entry.size() && space(entry[start]))
            ++start;
        entry.erase(0, start);
        if (!entry.empty() && haystack.find(Lower(entry)) != std::string::npos)
            found = true;
    }
    std::fclose(file);
    return found;
}

bool D3DTester::IsDriverGood(const std::string& description)
{
    bool opened = false;
    if (FileContainsDriver("vhwb.dat", description, opened))
        return false;
    const bool allowed = FileContainsDriver("vhw.dat", description, opened);
    if (opened)
        return allowed;
    const std::string text = Lower(description);
    return mDriverYear >= 2002 || text.find("nvidia") != std::string::npos ||
           text.find("radeon") != std::string::npos || text.find("ati ") != std::string::npos;
}

bool D3DTester::ReadResults()
{
    mNewVerdict = true;
    if (!mRecordKey)
        return false;
    auto readDword = [&](const char* name, DWORD& value) {
        DWORD type = 0, size = sizeof value;
        return RegQueryValueExA(mRecordKey, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                   ERROR_SUCCESS &&
               size == sizeof value;
    };
    // A stored text is used by its byte count and must be a string.
    auto readText = [&](const char* name, std::string& text) {
        std::vector<char> buffer(4096);
        DWORD type = 0, size = DWORD(buffer.size());
        if (RegQueryValueExA(mRecordKey, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
                ERROR_SUCCESS ||
            type != REG_SZ)
            return false;
        size = std::min<DWORD>(size, DWORD(buffer.size()));
        text.assign(buffer.data(), strnlen(buffer.data(), size));
        return true;
    };
    DWORD version = 0, minimum = 0, recommended = 0;
    if (!readDword("Version", version) || version != 2)
        return false;
    if (!readDword("MinVidMemory", minimum) || minimum != mMinVidMemory)
        return false;
    if (!readDword("RecVidMemory", recommended) || recommended != mRecVidMemory)
        return false;
    GUID stored {};
    DWORD type = 0, size = sizeof stored;
    if (RegQueryValueExA(mRecordKey, "DisplayGUID", nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size) !=
            ERROR_SUCCESS ||
        size != sizeof stored || !(stored == mDisplayGuid))
        return false;
    if (!readText("FailureReason", mFailureReason) || !readText("Warning", mWarning))
        return false;
    mNewVerdict = false;
    return mFailureReason.empty();
}

void D3DTester::WriteResults()
{
    if (!mRecordKey)
        return;
    const DWORD version = 2, minimum = mMinVidMemory, recommended = mRecVidMemory;
    const platform::RegistryBatch batch;
    RegSetValueExA(mRecordKey, "Version", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&version), 4);
    RegSetValueExA(mRecordKey, "MinVidMemory", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&minimum), 4);
    RegSetValueExA(mRecordKey, "RecVidMemory", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&recommended), 4);
    RegSetValueExA(mRecordKey, "DisplayGUID", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&mDisplayGuid), 16);
    RegSetValueExA(mRecordKey, "FailureReason", 0, REG_SZ, reinterpret_cast<const BYTE*>(mFailureReason.c_str()),
                   DWORD(mFailureReason.size() + 1));
    RegSetValueExA(mRecordKey, "Warning", 0, REG_SZ, reinterpret_cast<const BYTE*>(mWarning.c_str()),
                   DWORD(mWarning.size() + 1));
}

struct D3DTester::Scene {
    DWORD srcBlend;
    DWORD destBlend;
    bool modulate;
    uint32_t firstColor, firstDiffuse;
    bool twoDraws;
    uint32_t secondColor, secondDiffuse;
    uint32_t expected;
    const char* failure;
    const char* warning;
    bool stripes;
};

bool D3DTester::RunScene(const Scene& s)
{
    try {
        CheckDXError(mDevice->BeginScene(), "");
        CheckDXError(mDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), "Clear");
        CheckDXError(mDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE),
                     "D3DRENDERSTATE_ALPHABLENDENABLE, TRUE");
        CheckDXError(mDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, s.srcBlend),
                     s.srcBlend == D3DBLEND_ONE ? "D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE"
                                                : "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA");
        CheckDXError(mDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, s.destBlend),
                     s.destBlend == D3DBLEND_ONE ? "D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE"
                                                 : "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA");
        CheckDXError(mDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE),
                     "D3DRENDERSTATE_CULLMODE, D3DCULL_NONE");
        if (s.modulate)
            CheckDXError(mDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE),
                         "D3DTSS_ALPHAOP, D3DTOP_MODULATE");
        D3DTestImage image;
        image.Create(64, 64);
        if (s.stripes) {
            image.FillStripes();
            image.Draw(mDevice, mTexture1, -2, -2, s.firstDiffuse);
        } else {
            image.Fill(s.firstColor);
            image.Draw(mDevice, mTexture1, 0, 0, s.firstDiffuse);
            image.Fill(s.secondColor);
            image.Draw(mDevice, mTexture1, 0, 0, s.secondDiffuse);
        }
        mDevice->EndScene();
        CopyPrimaryToTestImage();
    } catch (const TestException& e) {
        mDevice->EndScene();
        mFailureReason = e.mMessage;
        return false;
    }
    if (s.stripes) {
        if (mTestImage.CountStripeErrors(62, 62, 0, 0) != 0)
            mWarning = s.warning;
        return true;
    }
    int far = 0;
    const bool uniform = mTestImage.IsUniform(s.expected, far, 10, 10);
    if (far != 0)
        return Fail(s.failure);
    if (!uniform)
        mWarning = s.warning;
    return true;
}

bool D3DTester::TestAlphaBlend()
{
    return RunScene({ D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, false, 0xFF0000FF, 0xFFFFFFFF, true, 0x80FF0000,
                      0xFFFFFFFF, 0x7F007F, "Alpha blend Not Supported", "Alpha blend test not uniform.", false });
}

bool D3DTester::TestAdditiveBlend()
{
    return RunScene({ D3DBLEND_ONE, D3DBLEND_ONE, false, 0xFF404040, 0xFFFFFFFF, true, 0xFF404040, 0xFFFFFFFF,
                      0x808080, "Additive blend not supported.", "Additive blend test not uniform.", false });
}

bool D3DTester::TestAlphaAddBlend()
{
    return RunScene({ D3DBLEND_SRCALPHA, D3DBLEND_ONE, false, 0xFF404040, 0xFFFFFFFF, true, 0x80808080, 0xFFFFFFFF,
                      0x808080, "AlphaAdd blend not supported.", "AlphaAdd blend test not uniform.", false });
}

bool D3DTester::TestAlphaModulateBlend()
{
    return RunScene({ D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, true, 0xFF0000FF, 0xFFFFFFFF, true, 0xFFFF0000,
                      0x80FFFFFF, 0x7F007F, "AlphaModulated blend not supported.",
                      "AlphaModulated blend test not uniform.", false });
}

bool D3DTester::TestClipping()
{
    return RunScene({ D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, false, 0, 0xFFFFFFFF, false, 0, 0, 0, "",
                      "Clip problem detected.", true });
}

bool D3DTester::DoTests()
{
    return TestAlphaBlend() && TestAdditiveBlend() && TestAlphaAddBlend() && TestAlphaModulateBlend() &&
           TestClipping();
}

void D3DTester::CopyPrimaryToTestImage()
{
    DDSURFACEDESC2 desc {};
    desc.dwSize = sizeof desc;
    CheckDXError(mTarget->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), "CopyPrimary Lock");
    switch (desc.ddpfPixelFormat.dwRGBBitCount) {
    case 32:
        mTestImage.CopyFromSurface32(desc);
        break;
    case 16:
        mTestImage.CopyFromSurface16(desc);
        break;
    case 24:
        mTarget->Unlock(nullptr);
        throw TestException("Can't test 24-bit mode.");
    default:
        mTarget->Unlock(nullptr);
        throw TestException("Invalid Color Depth");
    }
    mTarget->Unlock(nullptr);
}

// The display's use of it.

bool DDInterface::RunD3DTest(HWND window)
{
    if (mD3DTester || !mHost || (!mHost->DisplayTest3D() && !mHost->DisplayAutoEnable3D()))
        return false;
    mD3DTester = new D3DTester(mHost);
    mD3DTester->mMinVidMemory = uint32_t(std::max(mHost->DisplayMinVidMemory(), 0));
    mD3DTester->mRecVidMemory = uint32_t(std::max(mHost->DisplayRecVidMemory(), 0));
    mD3DTester->TestD3D(window, mDD7);
    const bool clean = mD3DTester->mFailureReason.empty() && mD3DTester->mWarning.empty();
    if (mHost->DisplayAutoEnable3D() && clean)
        mIs3D = true;
    if (!mD3DTester->mFailureReason.empty())
        mIs3D = false;
    if (mD3DTester->mNewVerdict && !clean)
        mIs3D = false;
    return true;
}

} // namespace Kivo
