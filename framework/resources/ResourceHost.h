#pragma once
// What the resource manager and the access helpers need of the application
// above them: its shared images and image loading, its display surfaces and
// image transforms, its sound manager, its sound-off flag and its string
// settings. The application implements it and installs itself; tools and
// tests install a double.
#include "framework/graphics/SharedImage.h"

#include <cstdint>
#include <string>

namespace Kivo {

class MemoryImage;
class ResourceManager;

class ResourceHost {
public:
    virtual ~ResourceHost() = default;

    // Images.
    virtual bool Is3DAccelerated() = 0;
    // The image shared under name and variant (both without regard to case),
    // read from the file on first use, which `created` reports. An image
    // found only as an alpha file takes `alphaColor` as its colour. The
    // handle's image is null when the file cannot be read.
    virtual SharedImageRef GetSharedImage(const std::string& name, const std::string& variant, bool* created,
                                          uint32_t alphaColor) = 0;
    // A new image read from the file, owned by the caller; null when it
    // cannot be read.
    virtual MemoryImage* GetImage(const std::string& path, bool commitBits) = 0;
    // Whether the image calls here may come from several threads at once
    // (for different files): a group loaded whole then decodes its images
    // side by side.
    virtual bool ImagesFromManyThreads() { return false; }
    // Whether the image already lives in a display surface.
    virtual bool HasDisplaySurface(MemoryImage* image) = 0;
    // Asks the display to move the image into a display surface when it is
    // next re-initialised.
    virtual void RequestDisplaySurface(MemoryImage* image) = 0;
    // In-place transforms; each flags the bits as changed.
    virtual void MirrorImageX(MemoryImage* image) = 0;
    virtual void MirrorImageY(MemoryImage* image) = 0;
    virtual void ShiftImageHue(MemoryImage* image, int shift) = 0;

    // The sound manager.
    virtual int GetFreeSoundId() = 0;
    virtual bool LoadSound(int id, const std::string& path) = 0;
    virtual void SetBaseVolume(int id, double volume) = 0;
    virtual void SetBasePan(int id, int pan) = 0;
    virtual void ReleaseSound(int id) = 0;

    // For the access helpers.
    virtual ResourceManager* GetResourceManager() = 0;
    // Sound and music are off.
    virtual bool IsMusicDisabled() = 0;
    // A new instance of the sound played once and released when it ends;
    // nothing when none can be had.
    virtual void PlaySample(int id) = 0;
    // The same with the pitch moved by `semitones` and the pan set first.
    virtual void PlayPitchedSample(int id, double semitones, int pan) = 0;
    // The string setting for the id; empty when absent.
    virtual std::string GetAppString(const std::string& id) = 0;
};

// The installed application; null until one is installed.
ResourceHost* GetResourceHost();
void SetResourceHost(ResourceHost* host);

} // namespace Kivo
