#pragma once
// What images and drawing need of the application object and its display
// device. The application implements it; until one is installed (and in
// tools and tests) a null host stands in: a 32-bit 8888 display format, no
// Direct3D, no texture copies, and no image set.
#include <cstdint>

namespace Kivo {

class Image;
class MemoryImage;
class NativeDisplay;

class GraphicsHost {
public:
    virtual ~GraphicsHost() = default;

    // The application's set of memory images; both take the display lock.
    // RemoveMemoryImage also makes the display drop the image's textures.
    virtual void AddMemoryImage(MemoryImage* image) = 0;
    virtual void RemoveMemoryImage(MemoryImage* image) = 0;
    virtual bool Is3DAccelerated() = 0;
    virtual NativeDisplay* GetNativeDisplay() = 0;
    // The display device drops the textures it holds for the image.
    virtual void Remove3DData(MemoryImage* image) = 0;
    // Reads the image's texture copy back into its bits; false when there is
    // none or it is older than the image's pixels.
    virtual bool ReadTexturesToBits(MemoryImage* image) = 0;
    // Sets the flag that unreferenced shared images are to be deleted.
    virtual void SetSharedImagesNeedCleaning() = 0;
    // True when the image is the display's current Direct3D draw surface.
    virtual bool IsDrawSurface3D(const Image* image) = 0;
    // 512 entries: t[i] = min(i, 255).
    virtual const uint8_t* GetSaturationTable();
};

// The host that images made without one use; the null host when none is set.
GraphicsHost* GetGraphicsHost();
// Installs `host` (null: the null host again).
void SetGraphicsHost(GraphicsHost* host);

// The null host's behaviour, for hosts that only change a few answers.
class NullGraphicsHost : public GraphicsHost {
public:
    NullGraphicsHost();
    void AddMemoryImage(MemoryImage*) override {}
    void RemoveMemoryImage(MemoryImage*) override {}
    bool Is3DAccelerated() override { return false; }
    NativeDisplay* GetNativeDisplay() override;
    void Remove3DData(MemoryImage*) override {}
    bool ReadTexturesToBits(MemoryImage*) override { return false; }
    void SetSharedImagesNeedCleaning() override {}
    bool IsDrawSurface3D(const Image*) override { return false; }

private:
    NativeDisplay* mDisplay;
};

} // namespace Kivo
