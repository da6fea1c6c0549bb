#pragma once
// What the window tests need of an application: the widget host of FakeApp
// and a resource host serving the windows' pictures as recording images of
// fixed sizes, one fixed-pitch font for every font id (10 pixels a
// character), every sound id (played ids are logged) and texts that are
// their own ids unless set.
#include "framework/graphics/Font.h"
#include "framework/resources/ResourceHost.h"
#include "framework/resources/ResourceManager.h"
#include "tests/support/FakeApp.h"
#include "tests/support/RecordingImage.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace windowtest {

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

class WindowResources : public Kivo::ResourceHost {
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
        void AddSound(const std::string& id, int soundId, Kivo::ResourceHost* host)
        {
            auto* res = new SoundRes(host);
            res->mId = id;
            res->mSoundId = soundId;
            mSoundMap[id] = res;
        }
    };

    WindowResources()
    {
        Kivo::SetResourceHost(this);
        const struct {
            const char* id;
            int w, h;
        } images[] = {
            {"IMAGE_UI_WINDOW_SMALL", 451, 230}, {"IMAGE_UI_WINDOW", 500, 520},
            {"IMAGE_UI_BUTTON", 161, 45},        {"IMAGE_UI_BUTTON_DOWN", 161, 45},
            {"IMAGE_UI_BUTTON_MASK", 161, 45},   {"IMAGE_UI_BUTTON_SMALL", 101, 39},
            {"IMAGE_UI_BUTTON_SMALL_DOWN", 101, 39}, {"IMAGE_UI_PROFILE_SLOT", 280, 40},
            {"IMAGE_UI_CHECKBOX", 30, 30},       {"IMAGE_UI_CHECKBOX_CHECKED", 30, 30},
            {"IMAGE_UI_ICON_TIMED", 40, 40},     {"IMAGE_UI_ICON_RELAXED", 40, 40},
            {"IMAGE_UI_PROFILE_ARROW", 30, 20},  {"IMAGE_UI_BUTTON_GREEN", 40, 40},
            {"IMAGE_UI_BUTTON_GREEN_DOWN", 40, 40}, {"IMAGE_UI_BUTTON_RED", 40, 40},
            {"IMAGE_UI_BUTTON_RED_DOWN", 40, 40},
        };
        for (const auto& i : images) {
            mImages.push_back(std::make_unique<RecordingImage>(i.w, i.h));
            mManager->AddImage(i.id, mImages.back().get());
        }
        for (const char* id : {"FONT_GOLD", "FONT_CAPTION", "FONT_BUTTON"})
            mManager->SetFont(id, new PitchFont);
        for (const char* id : {"SOUND_WINDOW_SHOW", "SOUND_WINDOW_HIDE", "SOUND_BUTTON_CHECKBOX",
                               "SOUND_BUTTON_ENTER", "SOUND_BUTTON_DOWN"}) {
            mSoundNames.push_back(id);
            mManager->AddSound(id, static_cast<int>(mSoundNames.size()) - 1, this);
        }
    }
    ~WindowResources() override
    {
        mManager.reset();
        Kivo::SetResourceHost(nullptr);
    }

    bool Is3DAccelerated() override { return false; }
    Kivo::SharedImageRef GetSharedImage(const std::string&, const std::string&, bool*, uint32_t) override
    {
        return {};
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
    bool IsMusicDisabled() override { return false; }
    void PlaySample(int id) override
    {
        if (id >= 0 && id < static_cast<int>(mSoundNames.size()))
            mPlayed.push_back(mSoundNames[id]);
    }
    void PlayPitchedSample(int id, double, int) override { PlaySample(id); }
    std::string GetAppString(const std::string& id) override
    {
        auto it = mTexts.find(id);
        return it == mTexts.end() ? id : it->second;
    }
    Kivo::Image* Image(const std::string& id) { return mManager->GetImage(id).ToImage(); }
    // The sounds played so far, taken.
    std::vector<std::string> TakePlayed() { return std::exchange(mPlayed, {}); }

    std::vector<std::unique_ptr<RecordingImage>> mImages;
    std::vector<std::string> mSoundNames;
    std::vector<std::string> mPlayed;
    std::map<std::string, std::string> mTexts;
    std::unique_ptr<Manager> mManager = std::make_unique<Manager>(this);
};

// The resources go first; windows deleted afterwards never touch them.
struct WindowFixture {
    FakeApp app;
    WindowResources res;
};

} // namespace windowtest
