#pragma once
// The application as the resource helpers see it: images, sounds and fonts
// registered by id, a record of the sounds played, texts that are their own
// ids unless set, and shared images read from files. Installs itself as the
// resource host while it lives.
#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SharedImage.h"
#include "framework/resources/ResourceHost.h"
#include "framework/resources/ResourceManager.h"
#include "tests/support/RecordingImage.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// A font of fixed pitch: every character 10 pixels wide, ascent 16, height
// 20; it draws nothing.
class PitchFont : public Kivo::Font {
public:
    PitchFont()
    {
        mAscent = 16;
        mHeight = 20;
    }
    int StringWidth(const std::string& text) override { return 10 * static_cast<int>(text.size()); }
    int CharWidth(char) override { return 10; }
    int CharWidthKern(char, char) override { return 10; }
    void DrawString(Kivo::Graphics*, int, int, const std::string&, const Kivo::Color&, const Kivo::Rect&) override {}
    Kivo::Font* Duplicate() override { return new PitchFont(*this); }
};

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
        void AddSound(const std::string& id, int soundId, Kivo::ResourceHost* host)
        {
            auto* res = new SoundRes(host);
            res->mId = id;
            res->mSoundId = soundId;
            mSoundMap[id] = res;
        }
        // Replaces the font of the id; takes `font`.
        void SetFont(const std::string& id, Kivo::Font* font)
        {
            auto it = mFontMap.find(id);
            if (it != mFontMap.end()) {
                delete it->second;
                mFontMap.erase(it);
            }
            auto* res = new FontRes;
            res->mId = id;
            res->mFont = font;
            mFontMap[id] = res;
        }
    };

    ResourceTable() { Kivo::SetResourceHost(this); }
    ~ResourceTable() override
    {
        mManager.reset();
        for (auto& [name, shared] : mShared)
            delete shared.mImage;
        if (Kivo::GetResourceHost() == this)
            Kivo::SetResourceHost(nullptr);
    }
    // Parses a manifest of the active archives and loads one of its groups,
    // decoding the images from the archives.
    bool LoadGroup(const std::string& manifest, const std::string& group)
    {
        return mManager->ParseResourcesFile(manifest) && mManager->LoadResources(group);
    }
    // Registers an image under the id; the table keeps it.
    template <class T>
    T* AddImage(const std::string& id, std::unique_ptr<T> image)
    {
        T* raw = image.get();
        mManager->AddImage(id, raw);
        mImages.push_back(std::move(image));
        return raw;
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
        return AddImage(id, std::move(image));
    }
    RecordingImage* AddImage(const std::string& id, int w, int h) { return AddStrip(id, 1, false, w, h); }
    Kivo::Image* Image(const std::string& id) { return mManager->GetImage(id).ToImage(); }
    // Registers a sound id; the sounds played are recorded by their id.
    int AddSound(const std::string& id)
    {
        mSoundNames.push_back(id);
        const int number = static_cast<int>(mSoundNames.size()) - 1;
        mManager->AddSound(id, number, this);
        return number;
    }
    void AddSounds(const std::vector<std::string>& ids)
    {
        for (const std::string& id : ids)
            AddSound(id);
    }
    // Replaces the font of the id; the table keeps `font`.
    void SetFont(const std::string& id, Kivo::Font* font) { mManager->SetFont(id, font); }

    // How often the sound was played, at any pitch.
    int PlayedCount(const std::string& id) const
    {
        int count = 0;
        for (const std::string& played : mPlayed)
            count += played == id || played.rfind(id + "@", 0) == 0;
        return count;
    }
    // The sounds played so far, taken.
    std::vector<std::string> TakePlayed() { return std::exchange(mPlayed, {}); }

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
    bool IsMusicDisabled() override { return !mSoundOn; }
    // Recorded as the id, with "@" and the pitch in semitones when pitched.
    void PlaySample(int id) override
    {
        if (id >= 0 && id < static_cast<int>(mSoundNames.size()))
            mPlayed.push_back(mSoundNames[static_cast<size_t>(id)]);
    }
    void PlayPitchedSample(int id, double semitones, int) override
    {
        if (id >= 0 && id < static_cast<int>(mSoundNames.size()))
            mPlayed.push_back(mSoundNames[static_cast<size_t>(id)] + "@" +
                              std::to_string(static_cast<int>(semitones)));
    }
    std::string GetAppString(const std::string& id) override
    {
        auto it = mStrings.find(id);
        return it == mStrings.end() ? id : it->second;
    }

    bool mSoundOn = true;
    std::vector<std::unique_ptr<Kivo::Image>> mImages;
    std::map<std::string, Kivo::SharedImage> mShared;
    std::vector<std::string> mSoundNames;
    std::map<std::string, std::string> mStrings;
    std::vector<std::string> mPlayed;
    std::unique_ptr<Manager> mManager = std::make_unique<Manager>(this);
};

} // namespace testsupport
