#pragma once
// The resource tests' application: a shared-image table over the image
// loader, a real sound manager on the headless backend, a font host, and a
// log of what the manager asked of it. Fixture files are packed into a pak
// archive that is active while the fixture lives.
#include "framework/core/PakInterface.h"
#include "framework/graphics/FontHost.h"
#include "framework/resources/ResourceHost.h"
#include "framework/resources/ResourceManager.h"
#include "framework/sound/SoundHost.h"
#include "tests/support/TempDir.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Kivo {
class SoundManager;
}

namespace restest {

// Exposes the records to the tests.
class TestManager : public Kivo::ResourceManager {
public:
    using ResourceManager::ResourceManager;
    ImageRes* Image(const std::string& id) { return Find<ImageRes>(mImageMap, id); }
    SoundRes* Sound(const std::string& id) { return Find<SoundRes>(mSoundMap, id); }
    FontRes* FontRecord(const std::string& id) { return Find<FontRes>(mFontMap, id); }
    std::vector<std::string> GroupIds(const std::string& group);

private:
    template <class T>
    T* Find(ResMap& map, const std::string& id)
    {
        auto it = map.find(id);
        return it == map.end() ? nullptr : static_cast<T*>(it->second);
    }
};

class TestApp : public Kivo::ResourceHost, public Kivo::FontHost, public Kivo::SoundHost {
public:
    TestApp();
    ~TestApp() override;

    bool Is3DAccelerated() override { return accelerated; }
    Kivo::SharedImageRef GetSharedImage(const std::string& name, const std::string& variant, bool* created,
                                        uint32_t alphaColor) override;
    Kivo::MemoryImage* GetImage(const std::string& path, bool commitBits) override;
    bool ImagesFromManyThreads() override { return true; }
    bool HasDisplaySurface(Kivo::MemoryImage* image) override { return surfaces.count(image) != 0; }
    void RequestDisplaySurface(Kivo::MemoryImage* image) override;
    void MirrorImageX(Kivo::MemoryImage* image) override;
    void MirrorImageY(Kivo::MemoryImage* image) override;
    void ShiftImageHue(Kivo::MemoryImage* image, int shift) override;

    int GetFreeSoundId() override;
    bool LoadSound(int id, const std::string& path) override;
    void SetBaseVolume(int id, double volume) override;
    void SetBasePan(int id, int pan) override;
    void ReleaseSound(int id) override;

    Kivo::ResourceManager* GetResourceManager() override;
    bool IsMusicDisabled() override;
    void PlaySample(int id) override;
    void PlayPitchedSample(int id, double semitones, int pan) override;
    std::string GetAppString(const std::string& id) override;

    // FontHost
    HWND GetTextWindow() override { return nullptr; }
    Kivo::SharedImageRef GetSharedImage(const std::string& name, const std::string& variant, bool* created) override
    {
        return GetSharedImage(name, variant, created, 0xFFFFFF);
    }
    Kivo::Image* CopyImage(Kivo::Image* image) override;
    void Popup(const std::string& text) override { Log("Popup " + text); }
    bool BeginSurfaceText(Kivo::Image*, HDC*) override { return false; }
    void EndSurfaceText(Kivo::Image*, HDC) override {}

    // SoundHost
    HMODULE GetDSoundModule() override;
    void FatalError(const std::string& text, const std::string&, UINT) override { Log("Fatal " + text); }

    void Log(const std::string& call);
    std::vector<std::string> Calls();
    // Calls whose text starts with `prefix`.
    int Count(const std::string& prefix);
    void ClearCalls();

    std::unique_ptr<TestManager> manager;
    std::unique_ptr<Kivo::SoundManager> sounds;
    bool accelerated = false;
    bool musicDisabled = false;
    bool noFreeSoundIds = false;
    std::set<Kivo::MemoryImage*> surfaces;
    std::map<std::string, std::string> strings;

private:
    std::mutex mMutex; // the display lock of the shared-image table, and the log
    std::map<std::pair<std::string, std::string>, Kivo::SharedImage> mShared;
    std::vector<std::string> mCalls;
};

// Uncompressed 32-bit TGA, rows top down; pixels 0xAARRGGBB.
std::string MakeTGA(int width, int height, const std::vector<uint32_t>& pixels);
// 16-bit mono PCM.
std::string MakeWAV(int frames);

// Files packed into one archive under a temporary folder, which is the
// working folder while the fixture lives.
class PakFixture {
public:
    explicit PakFixture(const std::vector<std::pair<std::string, std::string>>& files);
    ~PakFixture();
    const testsupport::TempDir& Dir() const { return mDir; }

private:
    testsupport::TempDir mDir;
    std::string mOldCwd;
    PakInterface mPak;
    PakInterfaceBase* mPrevious;
};

} // namespace restest
