#pragma once
// Resources for effect tests: images, sounds and fonts registered by id and
// served through the resource helpers, played sounds recorded. DrawLog is a
// destination image that records every drawing operation that reaches it.
#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Matrix3x3.h"
#include "framework/resources/ResourceHost.h"
#include "framework/resources/ResourceManager.h"
#include "tests/support/RecordingImage.h"

#include <memory>
#include <string>
#include <vector>

class ImageTable : public Kivo::ResourceHost {
public:
    struct Manager : Kivo::ResourceManager {
        using ResourceManager::ResourceManager;
        void Add(const std::string& id, Kivo::Image* image)
        {
            auto* res = new ImageRes;
            res->mId = id;
            res->mImage = image;
            mImageMap[id] = res;
        }
        void AddSound(const std::string& id, int number, Kivo::ResourceHost* host)
        {
            auto* res = new SoundRes(host);
            res->mId = id;
            res->mSoundId = number;
            mSoundMap[id] = res;
        }
        void AddFont(const std::string& id, Kivo::Font* font)
        {
            auto* res = new FontRes;
            res->mId = id;
            res->mFont = font;
            mFontMap[id] = res;
        }
    };
    struct Played {
        std::string mId;
        int mPitch;
    };

    ImageTable() { Kivo::SetResourceHost(this); }
    ~ImageTable() override
    {
        mManager.reset();
        Kivo::SetResourceHost(nullptr);
    }
    // A 10 x 8 cel strip of `cels` frames; animated with one tick per cel
    // when `animated`.
    Kivo::Image* AddStrip(const std::string& id, int cels, bool animated)
    {
        auto image = std::make_unique<RecordingImage>(10 * cels, 8);
        image->mNumCols = cels;
        image->mNumCels = cels;
        if (animated) {
            image->mAnimInfo = new Kivo::AnimInfo;
            image->mAnimInfo->mAnimType = Kivo::AnimInfo::AnimType_Loop;
            image->mAnimInfo->Compute(cels);
        }
        return AddImage(id, std::move(image));
    }
    template <class T>
    T* AddImage(const std::string& id, std::unique_ptr<T> image)
    {
        T* raw = image.get();
        mManager->Add(id, raw);
        mImages.push_back(std::move(image));
        return raw;
    }
    int AddSound(const std::string& id)
    {
        const int number = static_cast<int>(mSounds.size());
        mSounds.push_back(id);
        mManager->AddSound(id, number, this);
        return number;
    }
    // The font is owned by the table from here on.
    void AddFont(const std::string& id, Kivo::Font* font) { mManager->AddFont(id, font); }

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
    bool IsMusicDisabled() override { return !mSoundOn; }
    void PlaySample(int id) override { Record(id, 0); }
    void PlayPitchedSample(int id, double semitones, int) override { Record(id, static_cast<int>(semitones)); }
    std::string GetAppString(const std::string& id) override { return id; }

    void Record(int id, int pitch)
    {
        if (id >= 0 && id < static_cast<int>(mSounds.size()))
            mPlayed.push_back({mSounds[static_cast<size_t>(id)], pitch});
    }
    int PlayedCount(const std::string& id) const
    {
        int count = 0;
        for (const Played& p : mPlayed)
            count += p.mId == id;
        return count;
    }

    bool mSoundOn = false;
    std::vector<std::string> mSounds;
    std::vector<Played> mPlayed;
    std::vector<std::unique_ptr<Kivo::Image>> mImages;
    std::unique_ptr<Manager> mManager = std::make_unique<Manager>(this);
};

// Every operation a drawing context sends to its destination, in order.
class DrawLog : public RecordingImage {
public:
    struct Draw {
        const Kivo::Image* mImage;
        float mX; // the destination point the operation was given
        float mY;
        Kivo::Rect mSource;
        Kivo::Color mColor;
        int mDrawMode;
        int mTriangles; // textured triangles, 0 for other operations
    };

    DrawLog() : RecordingImage(800, 600) {}

    void Blt(Kivo::Image* s, int x, int y, const Kivo::Rect& src, const Kivo::Color& c, int mode) override
    {
        Add(s, static_cast<float>(x), static_cast<float>(y), src, c, mode);
    }
    void BltF(Kivo::Image* s, float x, float y, const Kivo::Rect& src, const Kivo::Rect&, const Kivo::Color& c,
              int mode) override
    {
        Add(s, x, y, src, c, mode);
    }
    void BltRotated(Kivo::Image* s, float x, float y, const Kivo::Rect& src, const Kivo::Rect&, const Kivo::Color& c,
                    int mode, double, float, float) override
    {
        Add(s, x, y, src, c, mode);
    }
    void StretchBlt(Kivo::Image* s, const Kivo::Rect& dest, const Kivo::Rect& src, const Kivo::Rect&,
                    const Kivo::Color& c, int mode, bool) override
    {
        Add(s, static_cast<float>(dest.mX), static_cast<float>(dest.mY), src, c, mode);
    }
    void StretchBltMirror(Kivo::Image* s, const Kivo::Rect& dest, const Kivo::Rect& src, const Kivo::Rect&,
                          const Kivo::Color& c, int mode, bool) override
    {
        Add(s, static_cast<float>(dest.mX), static_cast<float>(dest.mY), src, c, mode);
    }
    void BltMatrix(Kivo::Image* s, float x, float y, const Kivo::Matrix3x3& m, const Kivo::Rect&,
                   const Kivo::Color& c, int mode, const Kivo::Rect& src, bool) override
    {
        // Where the centre of the source lands.
        const Kivo::Vector3 p = m.TransformPoint(0, 0);
        Add(s, x + p.x, y + p.y, src, c, mode);
    }
    void BltTrianglesTex(Kivo::Image* s, const Kivo::TriVertex (*v)[3], int n, const Kivo::Rect&,
                         const Kivo::Color& c, int mode, float tx, float ty, bool) override
    {
        mDraws.push_back({s, tx + (n > 0 ? v[0][0].x : 0), ty + (n > 0 ? v[0][0].y : 0), Kivo::Rect(), c, mode, n});
        for (int i = 0; i < n; ++i)
            mVertices.insert(mVertices.end(), v[i], v[i] + 3);
    }

    void Add(Kivo::Image* s, float x, float y, const Kivo::Rect& src, const Kivo::Color& c, int mode)
    {
        mDraws.push_back({s, x, y, src, c, mode, 0});
    }
    int Count(const Kivo::Image* image) const
    {
        int n = 0;
        for (const Draw& d : mDraws)
            n += d.mImage == image;
        return n;
    }
    void Clear()
    {
        mDraws.clear();
        mVertices.clear();
        mOps.clear();
    }

    std::vector<Draw> mDraws;
    std::vector<Kivo::TriVertex> mVertices; // three per textured triangle
};
