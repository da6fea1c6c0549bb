#pragma once
// The resource cache. Manifests (XML) declare images, sounds and fonts by
// group and id with their loading options; parsing only records them.
// Groups are then loaded one resource per call, so that a loading screen can
// count progress, and their objects are handed out by id and freed again by
// group.
//
//   <ResourceManifest>
//     <Resources id="Common">
//       <SetDefaults path="images" idprefix="IMAGE_"/>
//       <Image path="board.png" rows="2" cols="3" anim="loop"/>
//       <Sound id="SOUND_CLICK" path="sounds/click" volume="0.5"/>
//       <Font id="FONT_MAIN" path="!sys:Arial" size="12" bold/>
//     </Resources>
//   </ResourceManifest>
//
// Only the first failure is kept (HadError, GetErrorText); records made
// before it stay registered.
//
// Threads: the application's loading thread loads groups while the main
// thread looks resources up and draws them. mLock guards the maps, the group
// lists and the load position, the objects a record holds and the error
// text; loading decodes without the lock and stores the finished object
// under it, so a lookup never sees a half-made object and never waits for a
// decode. A record's options are written only by parsing, which must not run
// beside loading (the application parses before it starts the loading
// thread); and one thread at a time loads, since the load position is the
// manager's.
#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/SharedImage.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <list>
#include <map>
#include <mutex>
#include <set>
#include <string>

namespace Kivo {

class Font;
class Image;
class MemoryImage;
class ResourceHost;
class XMLElement;
class XMLParser;

class ResourceManagerException : public std::exception {
public:
    explicit ResourceManagerException(const std::string& what) : mWhat(what) {}
    const char* what() const noexcept override { return mWhat.c_str(); }

    std::string mWhat;
};

class ResourceManager {
public:
    enum ResType { ResType_Image = 0, ResType_Sound = 1, ResType_Font = 2 };

    class BaseRes {
    public:
        explicit BaseRes(ResType type) : mType(type) {}
        BaseRes(const BaseRes&) = delete;
        BaseRes& operator=(const BaseRes&) = delete;
        virtual ~BaseRes() = default;
        // Frees what was loaded; the record stays and can be loaded again.
        virtual void DeleteResource() {}

        ResType mType;
        std::string mId;
        std::string mResGroup;
        std::string mPath;
        std::map<std::string, std::string> mXMLAttributes; // for game code
        bool mFromProgram = false; // "!program": made by the program, never loaded
    };

    class ImageRes : public BaseRes {
    public:
        ImageRes() : BaseRes(ResType_Image) {}
        void DeleteResource() override;

        SharedImageRef mImage;
        std::string mAlphaImage;
        std::string mAlphaGridImage;
        std::string mVariant;
        bool mAutoFindAlpha = true; // recorded only
        bool mPalletize = true;
        bool mA4R4G4B4 = false;
        bool mA8R8G8B8 = false;
        bool mDDSurface = false;
        bool mPurgeBits = false;
        bool mMinimizeSubdivisions = false;
        // At least 1 each; the cel count lies in 1..rows x cols.
        int mRows = 1;
        int mCols = 1;
        int mNumCels = 1;
        uint32_t mAlphaColor = 0xFFFFFF;
        AnimInfo mAnimInfo;
        bool mMirrorX = false;
        bool mMirrorY = false;
        int mHue = 0;
    };

    class SoundRes : public BaseRes {
    public:
        explicit SoundRes(ResourceHost* app) : BaseRes(ResType_Sound), mApp(app) {}
        void DeleteResource() override;

        ResourceHost* mApp;
        int mSoundId = -1; // -1: not loaded
        double mVolume = -1.0; // below 0: the sound's own
        int mPan = 0;
    };

    class FontRes : public BaseRes {
    public:
        FontRes() : BaseRes(ResType_Font) {}
        ~FontRes() override { DeleteResource(); }
        void DeleteResource() override;

        Font* mFont = nullptr;   // owned
        Image* mImage = nullptr; // owned; the strip of an older image font
        std::string mImagePath;
        std::string mTags;
        bool mSysFont = false;
        bool mBold = false;
        bool mItalic = false;
        bool mUnderline = false;
        bool mShadow = false;
        int mSize = 0;
    };

    using ResMap = std::map<std::string, BaseRes*>;
    using ResList = std::list<BaseRes*>;

    explicit ResourceManager(ResourceHost* app);
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;
    virtual ~ResourceManager();

    // Reads one manifest. It does not clear an earlier failure: after one,
    // every parse returns false and the first text stays, until a load
    // starts. True when no failure is recorded.
    bool ParseResourcesFile(const std::string& fileName);
    // The same, but an id defined again replaces the path, attributes and
    // options of the existing record instead of failing.
    bool ParseResourcesFileAllowRedefine(const std::string& fileName);
    bool HadError() const { return mHasFailed.load(); }
    std::string GetErrorText() const;
    // The archive whose file the kept failure could not load (it is then
    // damaged), or empty.
    std::string GetDamagedArchive() const;

    virtual bool ParseCommonResource(XMLElement& element, BaseRes* res, ResMap& map);
    virtual bool ParseSoundResource(XMLElement& element);
    virtual bool ParseImageResource(XMLElement& element);
    virtual bool ParseFontResource(XMLElement& element);
    virtual bool ParseSetDefaults(XMLElement& element);
    virtual bool ParseResources();

    // Unloads the group's records (every record for an empty name).
    virtual void DeleteResources(const std::string& group);
    virtual void DeleteMap(ResMap& map, const std::string& group);
    virtual bool DoLoadImage(ImageRes* res);
    virtual bool DoLoadFont(FontRes* res);
    virtual bool DoLoadSound(SoundRes* res);
    // Loads the next record of the current group that is not loaded yet;
    // false at the end of the group or after a failure (HadError tells).
    virtual bool LoadNextResource();
    virtual void ResourceLoadedHook(BaseRes* res);
    virtual void StartLoadResources(const std::string& group);
    // Loads the whole group at once: its plain images (no alpha image or
    // grid, the first record of each file) on several threads where the host
    // allows, as decoding is most of the work, then the rest in order. Loaded or failed, the
    // result and the error text are those of loading one record at a time.
    virtual bool LoadResources(const std::string& group);
    // Throw ResourceManagerException for an unknown id or one not loaded.
    virtual SharedImageRef GetImageThrow(const std::string& id);
    virtual int GetSoundThrow(const std::string& id);
    virtual Font* GetFontThrow(const std::string& id);

    // Records of the group that are not made by the program; with an empty
    // name, every record.
    int GetNumResources(const std::string& group);
    // Empty, -1 or null for an unknown id or one not loaded.
    SharedImageRef GetImage(const std::string& id);
    int GetSoundId(const std::string& id);
    Font* GetFont(const std::string& id);

protected:
    bool Fail(const std::string& error, const std::string& damagedArchive = {});
    // "Failed to load <kind>: <path>", naming the archive when the file
    // came from one.
    bool FailToLoad(const char* kind, const std::string& path);
    bool ParseSections();
    // ParseCommonResource for a new record. Returns the record that takes
    // the kind's options: the new one, or under redefinition the existing
    // one (the new one is then deleted); null on failure.
    BaseRes* AddResource(XMLElement& element, BaseRes* res, ResMap& map);
    bool ReadImageAttributes(XMLElement& element, ImageRes* res);
    void ReadSoundAttributes(XMLElement& element, SoundRes* res);
    bool ReadFontAttributes(XMLElement& element, FontRes* res);
    bool ApplyAlphaImage(MemoryImage* image, const ImageRes* res);
    bool ApplyAlphaGrid(MemoryImage* image, const ImageRes* res);
    static bool IsLoaded(const BaseRes* res);
    // LoadResources' first pass. A record that fails is left unloaded and
    // its failure forgotten: the pass in order that follows fails on the
    // group's first bad record, with its own text.
    void LoadImagesAtOnce();

    mutable std::recursive_mutex mLock;
    std::set<std::string> mLoadedGroups;
    ResMap mImageMap;
    ResMap mSoundMap;
    ResMap mFontMap;
    XMLParser* mXMLParser = nullptr;
    std::string mError;
    std::string mDamagedArchive;
    std::atomic<bool> mHasFailed{ false };
    ResourceHost* mApp;
    std::string mCurResGroup;
    std::string mDefaultPath;
    std::string mDefaultIdPrefix;
    bool mAllowRedefinitions = false;
    bool mHadAlreadyDefinedError = false;
    std::map<std::string, ResList> mResGroupMap;
    ResList* mCurResGroupList = nullptr;
    ResList::iterator mCurResGroupListItr;
};

} // namespace Kivo
