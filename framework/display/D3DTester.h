#pragma once
// The Direct3D capability test: identifies the adapter and its driver,
// checks video memory and the driver lists ("vhwb.dat" blocks, "vhw.dat"
// allows), draws five small blend and clip scenes on a device of its own,
// reads them back and compares. The verdict (a failure reason, empty when
// passed, and a warning) is kept in the registry key "Test3D" with what it
// was made for, so a machine that passed is not tested again until the
// adapter, the memory limits or the record's version change.
#include "platform/ddraw/D3D.h"
#include "platform/win32/Registry.h"

#include <exception>
#include <string>

namespace Kivo {

class DisplayHost;

class D3DTestImage {
public:
    D3DTestImage() = default;
    virtual ~D3DTestImage();
    D3DTestImage(const D3DTestImage&) = delete;
    D3DTestImage& operator=(const D3DTestImage&) = delete;

    void Create(int width, int height);
    void Fill(uint32_t color);
    // Odd columns white, even columns black.
    void FillStripes();
    // Over the top-left width x height pixels: farCount = pixels far from
    // `expected` (squared RGB distance above 768); true when all equal.
    bool IsUniform(uint32_t expected, int& farCount, int width, int height) const;
    int CountStripeErrors(int width, int height, int x, int y) const;
    void CopyFromSurface32(const DDSURFACEDESC2& desc);
    void CopyFromSurface16(const DDSURFACEDESC2& desc);
    // Draws the image in 64 x 64 pieces through `texture` at (x, y).
    void Draw(IDirect3DDevice7* device, IDirectDrawSurface7* texture, float x, float y, uint32_t diffuse);
    void DrawPiece(IDirect3DDevice7* device, IDirectDrawSurface7* texture, float x, float y, int sourceX,
                   int sourceY, int width, int height, uint32_t diffuse);
    void CopyToTexture32(IDirectDrawSurface7* texture, int sourceX, int sourceY, int width, int height);
    void CopyToTexture4444(IDirectDrawSurface7* texture, int sourceX, int sourceY, int width, int height);

    uint32_t* mPixels = nullptr;
    int mWidth = 0;
    int mHeight = 0;
};

// Far: the squared distance of the red, green and blue bytes exceeds 768.
bool IsFarColor(uint32_t a, uint32_t b);

class D3DTester {
public:
    class TestException : public std::exception {
    public:
        explicit TestException(std::string message) : mMessage(std::move(message)) {}
        TestException(const TestException&) = default;
        const char* what() const noexcept override { return mMessage.c_str(); }
        std::string mMessage;
    };

    explicit D3DTester(DisplayHost* host = nullptr);
    virtual ~D3DTester();
    D3DTester(const D3DTester&) = delete;
    D3DTester& operator=(const D3DTester&) = delete;

    void TestD3D(HWND window, IDirectDraw7* directDraw);
    bool Init(HWND window, IDirectDraw7* directDraw);
    bool DoTests();
    bool ReadResults();
    void WriteResults();
    bool IsDriverGood(const std::string& description);
    void Cleanup();
    void CheckDXError(HRESULT result, const char* callName);
    bool Fail(const std::string& text);
    bool GetD3D8AdapterInfo(GUID& guid, std::string& driver, std::string& description);

    bool TestAlphaBlend();
    bool TestAdditiveBlend();
    bool TestAlphaAddBlend();
    bool TestAlphaModulateBlend();
    bool TestClipping();
    void CopyPrimaryToTestImage();

    DisplayHost* mHost;
    IDirectDraw7* mDirectDraw = nullptr;
    IDirectDrawSurface7* mTarget = nullptr;
    IDirectDrawSurface7* mTexture1 = nullptr;
    IDirectDrawSurface7* mTexture2 = nullptr;
    IDirect3D7* mDirect3D = nullptr;
    IDirect3DDevice7* mDevice = nullptr;
    HKEY mRecordKey = nullptr;
    GUID mDisplayGuid {};
    std::string mDriver;
    std::string mDescription;
    D3DTestImage mTestImage;
    std::string mFailureReason;
    std::string mWarning;
    uint32_t mMinVidMemory = 0;
    uint32_t mRecVidMemory = 0;
    bool mUseRecord = true;
    bool mWriteRecord = false;
    bool mNewVerdict = false;
    int mDriverYear = 0;

private:
    struct Scene;
    bool RunScene(const Scene& scene);
    bool FileContainsDriver(const char* fileName, const std::string& description, bool& opened);
};

// The tester's textures: A8R8G8B8 when the device offers it, else A4R4G4B4.
extern bool gD3DTest32BitTextures;

} // namespace Kivo
