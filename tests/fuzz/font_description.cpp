// Reads arbitrary bytes as a font description, with any image name
// answered by a small image, then measures and draws text with the font.
#include "framework/graphics/FontData.h"
#include "framework/graphics/FontHost.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/MemoryImage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

class Host : public Kivo::FontHost {
public:
    Host()
    {
        std::vector<uint32_t> px(16 * 16);
        for (size_t i = 0; i < px.size(); ++i)
            px[i] = 0xFF000000u | static_cast<uint32_t>(i % 7) * 0x112233u;
        auto* image = new Kivo::MemoryImage();
        image->SetBits(px.data(), 16, 16);
        mShared.mImage = image;
    }
    ~Host() override { delete mShared.mImage; }
    HWND GetTextWindow() override { return nullptr; }
    Kivo::SharedImageRef GetSharedImage(const std::string&, const std::string&, bool* created) override
    {
        *created = mShared.mRefCount == 0;
        return Kivo::SharedImageRef(&mShared);
    }
    Kivo::Image* CopyImage(Kivo::Image*) override { return new Kivo::MemoryImage(); }
    void Popup(const std::string&) override {}
    bool BeginSurfaceText(Kivo::Image*, HDC*) override { return false; }
    void EndSurfaceText(Kivo::Image*, HDC) override {}

private:
    Kivo::SharedImage mShared;
};

// Rescaling makes images as large as the sizes ask; keep the fuzzer to
// modest factors.
bool ModestSizes(const Kivo::FontData& data)
{
    for (const Kivo::FontLayerDef& layer : data.mFontLayerList)
        if (layer.mPointSize != 0 &&
            (data.mDefaultPointSize < 0 || data.mDefaultPointSize > 4 * int64_t(layer.mPointSize)))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int fd = memfd_create("font", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    if (write(fd, data, size) == static_cast<ssize_t>(size)) {
        Host host;
        const std::string path = "/proc/self/fd/" + std::to_string(fd);
        Kivo::FontData probe;
        probe.Load(&host, path);
        if (probe.mInitialized && ModestSizes(probe)) {
            Kivo::ImageFont font(&host, path);
            std::string text;
            for (int c = 0; c < 256; ++c)
                text += static_cast<char>(c);
            Kivo::MemoryImage canvas;
            canvas.Create(64, 32);
            Kivo::Graphics g(&canvas);
            g.SetFont(&font);
            g.WriteWordWrapped(Kivo::Rect(0, 0, 40, 32), text);
            font.StringWidth(text);
        }
    }
    close(fd);
    return 0;
}
