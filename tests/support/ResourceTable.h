#pragma once
// The application as the resource helpers see it: images and sounds
// registered by id, and a record of the sounds played (by id, with the
// pitch for pitched ones). Installs itself as the resource host.
#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SharedImage.h"
#include "framework/resources/ResourceHost.h"
#include "framework/resources/ResourceManager.h"
#include "tests/support/RecordingImage.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

class ResourceTable : public Kivo::ResourceHost {
public:
    struct Manager : Kivo::ResourceManager {
        using ResourceManager::ResourceManager;
        void AddImage(const std::string& id, Kivo::Image* image)
        {
            auto* res = new ImageRes;
            res->mId = id;
            res->mImage = image;
            mImageMap[id] = res;
        }
        // Takes `font`.
        void AddFont(const std::string& id, Kivo::Font* font)
        {
            auto* res = new FontRes;
            res->mId = id;
            res->mFont = font;
            mFontMap[id] = res;
        }
        void AddSound(const std::string& id, int soundId, Kivo::ResourceHost* app)
        {
            auto* res = new SoundRes(app);
            res->mId = id;
            res->mSoundId = soundId;
            mSoundMap[id] = res;
        }
    };

    ResourceTable() { Kivo::SetResourceHost(this); }
    ~ResourceTable() override
    {
        mManager.reset();
        for (auto& [name, shared] : mShared)
            delete shared.mImage;
        Kivo::SetResourceHost(nullptr);
    }
    // Parses a manifest of the active archives and loads one of its groups,
    // decoding the images from the archives.
    bool LoadGroup(const std::string& manifest, const std::string& group)
    {
        return mManager->ParseResourcesFile(manifest) && mManager->LoadResources(group);
    }
    // A strip of `cels` frames of w x h; animated with one tick per cel
    // when `animated`.
    RecordingImage* AddStrip(const std::string& id, int cels, bool animated, int w = 10, int h = 8)
    {
        auto image = std::make_unique<RecordingImage>(w * cels, h);
        image->mNumCols = cels;
        image->mNumCels = cels;
        if (animated) {
            image->mAnimInfo = new Kivo::AnimInfo;
            image->mAnimInfo->mAnimType = Kivo::AnimInfo::AnimType_Loop;
            image->mAnimInfo->Compute(cels);
        }
        mManager->AddImage(id, image.get());
        mImages.push_back(std::move(image));
        return mImages.back().get();
    }
    RecordingImage* AddImage(const std::string& id, int w, int h) { return AddStrip(id, 1, false, w, h); }
    // Registers sound ids; the played ones are recorded by their id.
    void AddSounds(const std::vector<std::string>& ids)
    {
        for (const std::string& id : ids) {
            mSoundNames[static_cast<int>(mSoundNames.size())] = id;
            mManager->AddSound(id, static_cast<int>(mSoundNames.size()) - 1, this);
        }
    }

    bool Is3DAccelerated() override { return false; }
    Kivo::SharedImageRef GetSharedImage(const std::string& name, const std::string& variant, bool* created,
                                        uint32_t alphaColor) override
    {
        auto [it, inserted] = mShared.try_emplace(name + "|" + variant);
        if (created)
            *created = inserted;
        if (inserted) {
            std::unique_ptr<ImageLib::Image> file(ImageLib::GetImage(name, true, alphaColor));
            if (file) {
                auto* image = new Kivo::MemoryImage();
                image->SetBits(file->mBits, file->mWidth, file->mHeight, false);
                it->second.mImage = image;
            }
        }
        return Kivo::SharedImageRef(&it->second);
    }
    Kivo::MemoryImage* GetImage(const std::string&, bool) override { return nullptr; }
    bool HasDisplaySurface(Kivo::MemoryImage*) override { return false; }
    void RequestDisplaySurface(Kivo::MemoryImage*) override {}
    void MirrorImageX(Kivo::MemoryImage*) override {}
    void MirrorImageY(Kivo::MemoryImage*) override {}
    void ShiftImageHue(Kivo::MemoryImage*, int) override {}
    int GetFreeSoundId() override { return -1; }
    bool LoadSound(int, const std::string&) override { return false; }
    void SetBaseVolume(int, double) override {}
    void SetBasePan(int, int) override {}
    void ReleaseSound(int) override {}
    Kivo::ResourceManager* GetResourceManager() override { return mManager.get(); }
    bool IsMusicDisabled() override { return mSoundNames.empty(); }
    void PlaySample(int id) override { mPlayed.push_back(mSoundNames[id]); }
    void PlayPitchedSample(int id, double pitch, int) override
    {
        mPlayed.push_back(mSoundNames[id] + "@" + std::to_string(static_cast<int>(pitch)));
    }
    std::string GetAppString(const std::string& id) override
    {
        auto it = mStrings.find(id);
        return it == mStrings.end() ? std::string() : it->second;
    }

    std::vector<std::unique_ptr<RecordingImage>> mImages;
    std::map<std::string, Kivo::SharedImage> mShared;
    std::map<int, std::string> mSoundNames;
    std::map<std::string, std::string> mStrings;
    std::vector<std::string> mPlayed;
    std::unique_ptr<Manager> mManager = std::make_unique<Manager>(this);
};

} // namespace testsupport
