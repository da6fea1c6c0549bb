#include "framework/app/Screenshot.h"

#include "framework/app/KivoAppBase.h"
#include "framework/core/Paths.h"
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/ImageLib.h"
#include "platform/Paths.h"
#include "platform/win32/FindFile.h"
#include "platform/win32/Time.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>

namespace Kivo {

namespace {

constexpr char kPrefix[] = "image";
constexpr char kSuffix[] = ".png";

// The n of "image<n>.png", -1 for other names; numbers beyond INT_MAX read
// as INT_MAX.
int64_t ScreenshotNumber(const char* name)
{
    const size_t length = std::strlen(name);
    const size_t prefix = sizeof kPrefix - 1;
    const size_t suffix = sizeof kSuffix - 1;
    if (length <= prefix + suffix || strncasecmp(name, kPrefix, prefix) != 0 ||
        strcasecmp(name + length - suffix, kSuffix) != 0)
        return -1;
    int64_t n = 0;
    for (size_t i = prefix; i < length - suffix; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return -1;
        n = std::min<int64_t>(n * 10 + (name[i] - '0'), INT_MAX);
    }
    return n;
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::stat(platform::DiskPath(path).c_str(), &st) == 0;
}

} // namespace

int NextScreenshotNumber(const std::string& folder)
{
    int64_t largest = 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*.png").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do
            largest = std::max(largest, ScreenshotNumber(data.cFileName));
        while (FindNextFileA(find, &data));
        FindClose(find);
    }
    return largest >= INT_MAX ? 0 : int(largest + 1);
}

std::string SaveScreenshot(DDInterface* display, const std::string& folder)
{
    auto* screen = display ? dynamic_cast<DDImage*>(display->GetScreenImage()) : nullptr;
    if (!screen || !screen->mSurface)
        return std::string();
    const int number = NextScreenshotNumber(folder);
    const std::string path = folder + kPrefix + std::to_string(number) + kSuffix;
    // Never over an existing file: a name the count could not see (another
    // case, leading zeros) is left alone.
    if (number == 0 || Exists(path))
        return std::string();

    // The Direct3D draw surface has no software copy: its pixels are read
    // straight from the surface.
    if (display->Is3DTarget(screen->mSurface)) {
        IDirectDrawSurface7* surface = nullptr;
        if (FAILED(screen->mSurface->QueryInterface(IID_IDirectDrawSurface7, reinterpret_cast<void**>(&surface))))
            return std::string();
        DDSURFACEDESC2 desc {};
        desc.dwSize = sizeof desc;
        ImageLib::Image image;
        if (SUCCEEDED(surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr))) {
            image.mWidth = int(desc.dwWidth);
            image.mHeight = int(desc.dwHeight);
            image.mBits = new uint32_t[size_t(image.mWidth) * size_t(image.mHeight)];
            if (desc.ddpfPixelFormat.dwRGBBitCount == 32)
                ReadSurfacePixels32(image.mBits, image.mWidth, image.mHeight, desc);
            else
                ReadSurfacePixels16(image.mBits, image.mWidth, image.mHeight, desc);
            surface->Unlock(nullptr);
        }
        surface->Release();
        return image.mBits && ImageLib::WritePNGImage(path, &image) ? path : std::string();
    }
    // Drawing may be newer than the surface until the next present.
    screen->FlushBitsToSurface();
    DDImage copy(display);
    copy.SetSurface(screen->mSurface);
    const uint32_t* bits = copy.GetBits();
    if (!bits || copy.mWidth <= 0 || copy.mHeight <= 0)
        return std::string();
    ImageLib::Image image;
    const size_t count = size_t(copy.mWidth) * size_t(copy.mHeight);
    image.mWidth = copy.mWidth;
    image.mHeight = copy.mHeight;
    image.mBits = new uint32_t[count];
    std::copy(bits, bits + count, image.mBits);
    return ImageLib::WritePNGImage(path, &image) ? path : std::string();
}

std::string TakeScreenshot(KivoAppBase& app)
{
    if (!app.ddInterface)
        return std::string();
    const std::string folder = GetAppDataFolder() + "_screenshots";
    MakeDirectories(folder);
    const std::string path = SaveScreenshot(app.ddInterface, folder + "/");
    if (path.empty())
        std::fprintf(stderr, "Screenshot not saved: cannot write a new image in %s\n", folder.c_str());
    app.timeAcc = 0;
    app.lastAccTime = timeGetTime();
    return path;
}

} // namespace Kivo
