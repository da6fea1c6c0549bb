#pragma once
// The application as the resource manager and the access helpers see it.
// A separate object rather than another base of KivoAppBase: several of its
// operations share names with the application's own (PlaySample,
// GetSharedImage, MirrorImageX, ...) but not their shapes.
#include "framework/resources/ResourceHost.h"

namespace Kivo {

class KivoAppBase;

class AppResourceHost final : public ResourceHost {
public:
    explicit AppResourceHost(KivoAppBase& app) : mApp(app) {}

    bool Is3DAccelerated() override;
    SharedImageRef GetSharedImage(const std::string& name, const std::string& variant, bool* created,
                                  uint32_t alphaColor) override;
    MemoryImage* GetImage(const std::string& path, bool commitBits) override;
    // With a display, whose lock guards the image tables.
    bool ImagesFromManyThreads() override;
    bool HasDisplaySurface(MemoryImage* image) override;
    void RequestDisplaySurface(MemoryImage* image) override;
    void MirrorImageX(MemoryImage* image) override;
    void MirrorImageY(MemoryImage* image) override;
    void ShiftImageHue(MemoryImage* image, int shift) override;

    int GetFreeSoundId() override;
    bool LoadSound(int id, const std::string& path) override;
    void SetBaseVolume(int id, double volume) override;
    void SetBasePan(int id, int pan) override;
    void ReleaseSound(int id) override;

    ResourceManager* GetResourceManager() override;
    bool IsMusicDisabled() override;
    void PlaySample(int id) override;
    void PlayPitchedSample(int id, double semitones, int pan) override;
    std::string GetAppString(const std::string& id) override;

private:
    KivoAppBase& mApp;
};

} // namespace Kivo
