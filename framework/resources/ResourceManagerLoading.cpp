// Loading, lookups and release of the resources a manifest declared.
#include "framework/resources/ResourceManager.h"

#include "framework/core/PakInterface.h"
#include "framework/core/Strings.h"
#include "framework/graphics/FontData.h"
#include "framework/graphics/FontHost.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SysFont.h"
#include "framework/resources/ResourceHost.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace Kivo {

void ResourceManager::ImageRes::DeleteResource()
{
    mImage.Release();
}

void ResourceManager::SoundRes::DeleteResource()
{
    if (mSoundId >= 0 && mApp)
        mApp->ReleaseSound(mSoundId);
    mSoundId = -1;
}

void ResourceManager::FontRes::DeleteResource()
{
    delete mFont;
    mFont = nullptr;
    delete mImage;
    mImage = nullptr;
}

bool ResourceManager::IsLoaded(const BaseRes* res)
{
    switch (res->mType) {
    case ResType_Image:
        return static_cast<const ImageRes*>(res)->mImage.ToImage() != nullptr;
    case ResType_Sound:
        return static_cast<const SoundRes*>(res)->mSoundId != -1;
    case ResType_Font:
        return static_cast<const FontRes*>(res)->mFont != nullptr;
    }
    return false;
}

void ResourceManager::DeleteResources(const std::string& group)
{
    std::lock_guard lock(mLock);
    DeleteMap(mImageMap, group);
    DeleteMap(mSoundMap, group);
    DeleteMap(mFontMap, group);
    mLoadedGroups.erase(group);
}

void ResourceManager::DeleteMap(ResMap& map, const std::string& group)
{
    std::lock_guard lock(mLock);
    for (auto& [id, res] : map)
        if (group.empty() || res->mResGroup == group)
            res->DeleteResource();
}

void ResourceManager::StartLoadResources(const std::string& group)
{
    std::lock_guard lock(mLock);
    mError.clear();
    mHasFailed = false;
    mCurResGroup = group;
    mCurResGroupList = &mResGroupMap[group];
    mCurResGroupListItr = mCurResGroupList->begin();
}

bool ResourceManager::LoadNextResource()
{
    BaseRes* res = nullptr;
    {
        std::lock_guard lock(mLock);
        if (mHasFailed || !mCurResGroupList)
            return false;
        while (!res) {
            if (mCurResGroupListItr == mCurResGroupList->end())
                return false;
            BaseRes* candidate = *mCurResGroupListItr++;
            if (!candidate->mFromProgram && !IsLoaded(candidate))
                res = candidate;
        }
    }
    switch (res->mType) {
    case ResType_Image:
        return DoLoadImage(static_cast<ImageRes*>(res));
    case ResType_Sound:
        return DoLoadSound(static_cast<SoundRes*>(res));
    case ResType_Font:
        return DoLoadFont(static_cast<FontRes*>(res));
    }
    return false;
}

void ResourceManager::LoadImagesAtOnce()
{
    if (!mApp || !mApp->ImagesFromManyThreads())
        return;
    std::vector<ImageRes*> images;
    {
        std::lock_guard lock(mLock);
        std::set<std::pair<std::string, std::string>> files;
        for (BaseRes* res : *mCurResGroupList) {
            if (res->mType != ResType_Image || res->mFromProgram || IsLoaded(res))
                continue;
            auto* image = static_cast<ImageRes*>(res);
            if (!image->mAlphaImage.empty() || !image->mAlphaGridImage.empty() || image->mPath.empty()
                || image->mPath[0] == '!')
                continue;
            if (files.insert({ StringToUpper(image->mPath), StringToUpper(image->mVariant) }).second)
                images.push_back(image);
        }
    }
    const size_t threads = std::min<size_t>(images.size(), std::max(1u, std::thread::hardware_concurrency()));
    if (threads < 2)
        return;
    std::atomic<size_t> next { 0 };
    const auto work = [&] {
        for (size_t i; (i = next++) < images.size();)
            DoLoadImage(images[i]);
    };
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
    std::lock_guard lock(mLock);
    mError.clear();
    mHasFailed = false;
}

bool ResourceManager::LoadResources(const std::string& group)
{
    StartLoadResources(group);
    LoadImagesAtOnce();
    while (LoadNextResource()) {
    }
    if (mHasFailed)
        return false;
    std::lock_guard lock(mLock);
    mLoadedGroups.insert(group);
    return true;
}

void ResourceManager::ResourceLoadedHook(BaseRes*) {}

bool ResourceManager::ApplyAlphaImage(MemoryImage* image, const ImageRes* res)
{
    std::unique_ptr<ImageLib::Image> alpha(ImageLib::GetImage(res->mAlphaImage, true));
    if (!alpha)
        return FailToLoad("image", res->mAlphaImage);
    if (alpha->mWidth != image->mWidth || alpha->mHeight != image->mHeight)
        return Fail(StrFormat("AlphaImage size mismatch between %s and %s", res->mPath.c_str(),
                              res->mAlphaImage.c_str()));
    if (uint32_t* bits = image->GetBits()) {
        size_t count = static_cast<size_t>(image->mWidth) * static_cast<size_t>(image->mHeight);
        for (size_t i = 0; i < count; ++i)
            bits[i] = (bits[i] & 0x00FFFFFF) | (alpha->mBits[i] << 24);
        image->BitsChanged();
    }
    return true;
}

bool ResourceManager::ApplyAlphaGrid(MemoryImage* image, const ImageRes* res)
{
    std::unique_ptr<ImageLib::Image> grid(ImageLib::GetImage(res->mAlphaGridImage, true));
    if (!grid)
        return FailToLoad("image", res->mAlphaGridImage);
    // Rows and columns are at least 1 (see the manifest reader).
    const int celWidth = image->mWidth / res->mCols;
    const int celHeight = image->mHeight / res->mRows;
    if (grid->mWidth != celWidth || grid->mHeight != celHeight)
        return Fail(StrFormat("GridAlphaImage size mismatch between %s and %s", res->mPath.c_str(),
                              res->mAlphaGridImage.c_str()));
    if (uint32_t* bits = image->GetBits()) {
        for (int row = 0; row < res->mRows; ++row)
            for (int col = 0; col < res->mCols; ++col)
                for (int y = 0; y < celHeight; ++y) {
                    uint32_t* dest = bits + static_cast<size_t>(row * celHeight + y) * image->mWidth +
                                     static_cast<size_t>(col) * celWidth;
                    const uint32_t* src = grid->mBits + static_cast<size_t>(y) * celWidth;
                    for (int x = 0; x < celWidth; ++x)
                        dest[x] = (dest[x] & 0x00FFFFFF) | (src[x] << 24);
                }
        image->BitsChanged();
    }
    return true;
}

bool ResourceManager::FailToLoad(const char* kind, const std::string& path)
{
    // Archives carry no checksums: a file of one that cannot be decoded is
    // how damage inside an archive shows, and the archive is what to name.
    const auto* paks = dynamic_cast<const PakInterface*>(GetActivePakInterface());
    const std::string archive = paks ? paks->ArchiveHolding(path) : std::string();
    std::string text = StrFormat("Failed to load %s: %s", kind, path.c_str());
    if (!archive.empty())
        text += " (the data archive " + archive + " is damaged)";
    return Fail(text, archive);
}

bool ResourceManager::DoLoadImage(ImageRes* res)
{
    // The alpha colour travels with the request instead of through a
    // process-wide setting, which the loading thread would race on.
    bool created = false;
    SharedImageRef ref = mApp->GetSharedImage(res->mPath, res->mVariant, &created, res->mAlphaColor);
    auto* image = dynamic_cast<MemoryImage*>(ref.ToImage());
    if (!image)
        return FailToLoad("image", res->mPath);

    if (created) {
        if (!res->mAlphaImage.empty() && !ApplyAlphaImage(image, res))
            return false;
        if (!res->mAlphaGridImage.empty() && !ApplyAlphaGrid(image, res))
            return false;
    }

    // The image is finished before the record gets it: from then on the
    // main thread may draw it.
    image->CommitBits();
    image->mPurgeBits = res->mPurgeBits;
    if (res->mDDSurface) {
        image->CommitBits();
        if (!image->mHasAlpha) {
            mApp->RequestDisplaySurface(image);
            image->mPurgeBits = true;
        }
    }
    if (res->mPalletize) {
        if (!mApp->HasDisplaySurface(image))
            image->Palletize();
        else
            image->mWantPal = true;
    }
    if (res->mA4R4G4B4)
        image->mD3DFlags |= 4;
    if (res->mA8R8G8B8)
        image->mD3DFlags |= 8;
    if (res->mMinimizeSubdivisions)
        image->mD3DFlags |= 1;
    if (res->mAnimInfo.mAnimType != AnimInfo::AnimType_None) {
        delete image->mAnimInfo;
        image->mAnimInfo = new AnimInfo(res->mAnimInfo);
    }
    image->mNumRows = res->mRows;
    image->mNumCols = res->mCols;
    image->mNumCels = res->mNumCels;
    if (res->mMirrorX)
        mApp->MirrorImageX(image);
    if (res->mMirrorY)
        mApp->MirrorImageY(image);
    if (res->mHue != 0)
        mApp->ShiftImageHue(image, res->mHue);
    if (image->mPurgeBits)
        image->PurgeBits();

    {
        std::lock_guard lock(mLock);
        res->mImage = ref;
    }
    ResourceLoadedHook(res);
    return true;
}

bool ResourceManager::DoLoadSound(SoundRes* res)
{
    int id = mApp->GetFreeSoundId();
    if (id < 0)
        return Fail("Out of free sound ids");
    if (!mApp->LoadSound(id, res->mPath))
        return FailToLoad("sound", res->mPath);
    if (res->mVolume >= 0)
        mApp->SetBaseVolume(id, res->mVolume);
    if (res->mPan != 0)
        mApp->SetBasePan(id, res->mPan);
    {
        std::lock_guard lock(mLock);
        res->mSoundId = id;
    }
    ResourceLoadedHook(res);
    return true;
}

bool ResourceManager::DoLoadFont(FontRes* res)
{
    std::unique_ptr<Font> font;
    std::unique_ptr<Image> image;
    if (res->mSysFont) {
        auto* sysFont = new SysFont(res->mPath.substr(5), res->mSize, res->mBold, res->mItalic, res->mUnderline);
        sysFont->mDrawShadow = res->mShadow;
        font.reset(sysFont);
    } else if (!res->mImagePath.empty()) {
        image.reset(mApp->GetImage(res->mImagePath, true));
        if (!image)
            return FailToLoad("image", res->mImagePath);
        font = std::make_unique<ImageFont>(image.get(), res->mPath);
    } else if (res->mPath.rfind("!ref:", 0) != 0) {
        font = std::make_unique<ImageFont>(GetFontHost(), res->mPath);
    } else {
        const std::string refId = res->mPath.substr(5);
        Font* other = GetFont(refId);
        if (!other)
            return Fail("Ref font not found: " + refId);
        font.reset(other->Duplicate());
    }

    if (auto* imageFont = dynamic_cast<ImageFont*>(font.get())) {
        if (!imageFont->mFontData || !imageFont->mFontData->mInitialized)
            return FailToLoad("font", res->mPath);
        if (!res->mTags.empty()) {
            const std::string separators = ", \r\n\t";
            size_t pos = 0;
            while ((pos = res->mTags.find_first_not_of(separators, pos)) != std::string::npos) {
                size_t end = res->mTags.find_first_of(separators, pos);
                imageFont->AddTag(res->mTags.substr(pos, end - pos));
                pos = end;
            }
            imageFont->EnsurePrepared();
        }
    }

    {
        std::lock_guard lock(mLock);
        res->mFont = font.release();
        res->mImage = image.release();
    }
    ResourceLoadedHook(res);
    return true;
}

int ResourceManager::GetNumResources(const std::string& group)
{
    std::lock_guard lock(mLock);
    if (group.empty())
        return static_cast<int>(mImageMap.size() + mSoundMap.size() + mFontMap.size());
    int count = 0;
    for (const ResMap* map : { &mImageMap, &mSoundMap, &mFontMap })
        for (const auto& [id, res] : *map)
            if (res->mResGroup == group && !res->mFromProgram)
                ++count;
    return count;
}

SharedImageRef ResourceManager::GetImage(const std::string& id)
{
    std::lock_guard lock(mLock);
    auto it = mImageMap.find(id);
    if (it == mImageMap.end())
        return {};
    return static_cast<ImageRes*>(it->second)->mImage;
}

int ResourceManager::GetSoundId(const std::string& id)
{
    std::lock_guard lock(mLock);
    auto it = mSoundMap.find(id);
    if (it == mSoundMap.end())
        return -1;
    return static_cast<SoundRes*>(it->second)->mSoundId;
}

Font* ResourceManager::GetFont(const std::string& id)
{
    std::lock_guard lock(mLock);
    auto it = mFontMap.find(id);
    if (it == mFontMap.end())
        return nullptr;
    return static_cast<FontRes*>(it->second)->mFont;
}

SharedImageRef ResourceManager::GetImageThrow(const std::string& id)
{
    SharedImageRef ref = GetImage(id);
    if (ref.ToImage())
        return ref;
    Fail(StrFormat("Image resource not found: %s", id.c_str()));
    throw ResourceManagerException(GetErrorText());
}

int ResourceManager::GetSoundThrow(const std::string& id)
{
    int soundId = GetSoundId(id);
    if (soundId != -1)
        return soundId;
    Fail(StrFormat("Sound resource not found: %s", id.c_str()));
    throw ResourceManagerException(GetErrorText());
}

Font* ResourceManager::GetFontThrow(const std::string& id)
{
    Font* font = GetFont(id);
    if (font)
        return font;
    Fail(StrFormat("Font resource not found: %s", id.c_str()));
    throw ResourceManagerException(GetErrorText());
}

} // namespace Kivo
