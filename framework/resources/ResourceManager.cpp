#include "framework/resources/ResourceManager.h"

#include "framework/core/Paths.h"
#include "framework/core/Strings.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHost.h"
#include "framework/resources/XMLParser.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace Kivo {
namespace {

int ClampToInt(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// The C leading-number conversion (atoi): blanks, a sign, digits; 0 when
// there is no number. Out-of-range values saturate.
int LeadingInt(const std::string& s)
{
    return ClampToInt(std::strtoll(s.c_str(), nullptr, 10));
}

// Like sscanf "%d": false, leaving `out` alone, when there is no number.
bool ScanInt(const std::string& s, int& out)
{
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, 10);
    if (end == s.c_str())
        return false;
    out = ClampToInt(v);
    return true;
}

bool ScanHex(const std::string& s, uint32_t& out)
{
    char* end = nullptr;
    unsigned long long v = std::strtoull(s.c_str(), &end, 16);
    if (end == s.c_str())
        return false;
    out = static_cast<uint32_t>(v);
    return true;
}

bool ScanDouble(const std::string& s, double& out)
{
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (end == s.c_str())
        return false;
    out = v;
    return true;
}

// A number at the start and after every ','; empty items are 0.
void ReadIntList(const std::string& s, std::vector<int>& list)
{
    list.clear();
    size_t pos = 0;
    for (;;) {
        size_t comma = s.find(',', pos);
        list.push_back(LeadingInt(s.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos)));
        if (comma == std::string::npos)
            return;
        pos = comma + 1;
    }
}

std::string WithoutTrailingSlash(const std::string& s)
{
    if (!s.empty() && (s.back() == '/' || s.back() == '\\'))
        return s.substr(0, s.size() - 1);
    return s;
}

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.rfind(prefix, 0) == 0;
}

} // namespace

ResourceManager::ResourceManager(ResourceHost* app) : mApp(app) {}

ResourceManager::~ResourceManager()
{
    for (ResMap* map : { &mImageMap, &mSoundMap, &mFontMap }) {
        for (auto& [id, res] : *map) {
            res->DeleteResource();
            delete res;
        }
        map->clear();
    }
    delete mXMLParser;
}

std::string ResourceManager::GetErrorText() const
{
    std::lock_guard lock(mLock);
    return mError;
}

std::string ResourceManager::GetDamagedArchive() const
{
    std::lock_guard lock(mLock);
    return mDamagedArchive;
}

bool ResourceManager::Fail(const std::string& error, const std::string& damagedArchive)
{
    std::lock_guard lock(mLock);
    if (mHasFailed)
        return false;
    mError = error;
    mDamagedArchive = damagedArchive;
    if (mXMLParser) {
        int line = mXMLParser->GetCurrentLineNum();
        if (line > 0)
            mError += " on Line " + std::to_string(line);
        if (!mXMLParser->GetFileName().empty())
            mError += " in File '" + mXMLParser->GetFileName() + "'";
    }
    mHasFailed = true;
    return false;
}

bool ResourceManager::ParseResourcesFile(const std::string& fileName)
{
    // Held throughout: records and group lists change here.
    std::lock_guard lock(mLock);
    delete mXMLParser;
    mXMLParser = new XMLParser();
    if (!mXMLParser->OpenFile(fileName))
        Fail("Resource file not found: " + fileName);

    if (!mXMLParser->HasFailed()) {
        XMLElement element;
        for (;;) {
            if (!mXMLParser->NextElement(&element)) {
                Fail(mXMLParser->GetErrorText());
                break;
            }
            if (element.mType == XMLElement::TYPE_START) {
                if (element.mValue != "ResourceManifest")
                    Fail("Expecting ResourceManifest tag");
                break;
            }
        }
    }
    return ParseSections();
}

bool ResourceManager::ParseResourcesFileAllowRedefine(const std::string& fileName)
{
    std::lock_guard lock(mLock);
    bool was = mAllowRedefinitions;
    mAllowRedefinitions = true;
    bool ok = ParseResourcesFile(fileName);
    mAllowRedefinitions = was;
    return ok;
}

bool ResourceManager::ParseSections()
{
    if (!mXMLParser->HasFailed()) {
        XMLElement element;
        while (mXMLParser->NextElement(&element)) {
            if (element.mType == XMLElement::TYPE_START) {
                if (element.mValue != "Resources") {
                    Fail("Invalid Section '" + element.mValue + "'");
                    break;
                }
                mCurResGroup = element.mAttributes["id"];
                if (mCurResGroup.empty()) {
                    Fail("No id specified.");
                    break;
                }
                mCurResGroupList = &mResGroupMap[mCurResGroup];
                if (!ParseResources())
                    break;
            } else if (element.mType == XMLElement::TYPE_ELEMENT) {
                Fail("Element Not Expected '" + element.mValue + "'");
                break;
            }
        }
    }
    if (mXMLParser->HasFailed())
        Fail(mXMLParser->GetErrorText());
    delete mXMLParser;
    mXMLParser = nullptr;
    return !mHasFailed;
}

bool ResourceManager::ParseResources()
{
    XMLElement element;
    for (;;) {
        if (!mXMLParser->NextElement(&element))
            return false;
        if (element.mType == XMLElement::TYPE_END)
            return true;
        if (element.mType == XMLElement::TYPE_ELEMENT)
            return Fail("Element Not Expected '" + element.mValue + "'");
        if (element.mType != XMLElement::TYPE_START)
            continue;

        bool ok;
        if (element.mValue == "Image")
            ok = ParseImageResource(element);
        else if (element.mValue == "Sound")
            ok = ParseSoundResource(element);
        else if (element.mValue == "Font")
            ok = ParseFontResource(element);
        else if (element.mValue == "SetDefaults")
            ok = ParseSetDefaults(element);
        else
            return Fail("Invalid Section '" + element.mValue + "'");
        if (!ok)
            return false;

        if (!mXMLParser->NextElement(&element))
            return false;
        if (element.mType != XMLElement::TYPE_END)
            return Fail("Unexpected element found.");
    }
}

bool ResourceManager::ParseSetDefaults(XMLElement& element)
{
    auto path = element.mAttributes.find("path");
    if (path != element.mAttributes.end())
        mDefaultPath = WithoutTrailingSlash(path->second) + "/";
    auto prefix = element.mAttributes.find("idprefix");
    if (prefix != element.mAttributes.end())
        mDefaultIdPrefix = WithoutTrailingSlash(prefix->second);
    return true;
}

bool ResourceManager::ParseCommonResource(XMLElement& element, BaseRes* res, ResMap& map)
{
    mHadAlreadyDefinedError = false;
    const std::string path = element.mAttributes["path"];
    if (path.empty())
        return Fail("No path specified.");

    res->mXMLAttributes = element.mAttributes;
    res->mFromProgram = path == "!program";
    res->mPath = path[0] == '!' ? path : mDefaultPath + path;

    auto id = element.mAttributes.find("id");
    res->mId = mDefaultIdPrefix + (id != element.mAttributes.end() ? id->second : GetFileName(res->mPath, true));
    res->mResGroup = mCurResGroup;

    if (!map.emplace(res->mId, res).second) {
        mHadAlreadyDefinedError = true;
        return Fail("Resource already defined.");
    }
    mCurResGroupList->push_back(res);
    return true;
}

ResourceManager::BaseRes* ResourceManager::AddResource(XMLElement& element, BaseRes* res, ResMap& map)
{
    bool failedBefore = mHasFailed;
    if (ParseCommonResource(element, res, map))
        return res;
    if (!mHadAlreadyDefinedError || !mAllowRedefinitions) {
        delete res;
        return nullptr;
    }
    // Withdraw the failure, unless an earlier one was already recorded: the
    // first failure is kept whatever follows.
    if (!failedBefore) {
        mError.clear();
        mHasFailed = false;
    }
    BaseRes* existing = map[res->mId];
    existing->mPath = res->mPath;
    existing->mXMLAttributes = res->mXMLAttributes;
    existing->mFromProgram = res->mFromProgram;
    delete res;
    return existing;
}

bool ResourceManager::ParseImageResource(XMLElement& element)
{
    auto* res = static_cast<ImageRes*>(AddResource(element, new ImageRes(), mImageMap));
    return res && ReadImageAttributes(element, res);
}

bool ResourceManager::ParseSoundResource(XMLElement& element)
{
    auto* res = static_cast<SoundRes*>(AddResource(element, new SoundRes(mApp), mSoundMap));
    if (!res)
        return false;
    ReadSoundAttributes(element, res);
    return true;
}

bool ResourceManager::ParseFontResource(XMLElement& element)
{
    auto* res = static_cast<FontRes*>(AddResource(element, new FontRes(), mFontMap));
    return res && ReadFontAttributes(element, res);
}

bool ResourceManager::ReadImageAttributes(XMLElement& element, ImageRes* res)
{
    auto& attributes = element.mAttributes;
    auto has = [&](const char* name) { return attributes.count(name) != 0; };
    auto get = [&](const char* name, std::string& value) {
        auto it = attributes.find(name);
        if (it == attributes.end())
            return false;
        value = it->second;
        return true;
    };

    std::string value;
    if (has("nopal"))
        res->mPalletize = false;
    if (has("a4r4g4b4"))
        res->mA4R4G4B4 = true;
    if (has("a8r8g8b8"))
        res->mA8R8G8B8 = true;
    if (has("ddsurface"))
        res->mDDSurface = true;
    if (has("nobits"))
        res->mPurgeBits = true;
    if (has("nobits3d") || has("nobits2d")) {
        bool accelerated = mApp && mApp->Is3DAccelerated();
        if (has(accelerated ? "nobits3d" : "nobits2d"))
            res->mPurgeBits = true;
    }
    if (has("minsubdivide"))
        res->mMinimizeSubdivisions = true;
    if (has("noalpha"))
        res->mAutoFindAlpha = false;
    if (get("alphaimage", value))
        res->mAlphaImage = mDefaultPath + value;
    if (get("alphacolor", value))
        ScanHex(value, res->mAlphaColor);
    if (get("variant", value))
        res->mVariant = value;
    if (get("alphagrid", value))
        res->mAlphaGridImage = mDefaultPath + value;

    // Rows and columns divide the image into cels: a count below 1 from a
    // broken manifest would divide by zero wherever cels are measured. Rows
    // and columns stay within the largest image side, and the cel count
    // within 65536 cels (a 256 x 256 grid, far beyond any sprite sheet), so
    // that the animation computed below, before the image is loaded, stays
    // small: its frame tables take at most a few hundred kilobytes.
    if (get("rows", value))
        res->mRows = std::clamp(LeadingInt(value), 1, kMaxImageSide);
    if (get("cols", value))
        res->mCols = std::clamp(LeadingInt(value), 1, kMaxImageSide);
    constexpr int64_t kMaxCels = 65536;
    const int64_t grid = std::min<int64_t>(int64_t(res->mRows) * res->mCols, kMaxCels);
    int64_t cels = grid;
    if (get("total", value))
        cels = LeadingInt(value);
    res->mNumCels = static_cast<int>(std::clamp<int64_t>(cels, 1, grid));

    AnimInfo& anim = res->mAnimInfo;
    if (get("anim", value)) {
        const std::string type = StringToLower(value);
        if (type == "none")
            anim.mAnimType = AnimInfo::AnimType_None;
        else if (type == "once")
            anim.mAnimType = AnimInfo::AnimType_Once;
        else if (type == "pingpong")
            anim.mAnimType = AnimInfo::AnimType_PingPong;
        else if (type == "loop")
            anim.mAnimType = AnimInfo::AnimType_Loop;
        else
            return Fail("Invalid animation type.");
    }
    if (anim.mAnimType != AnimInfo::AnimType_None) {
        int beginDelay = 0;
        int endDelay = 0;
        if (get("framedelay", value))
            anim.mFrameDelay = LeadingInt(value);
        if (get("begindelay", value))
            beginDelay = LeadingInt(value);
        if (get("enddelay", value))
            endDelay = LeadingInt(value);
        if (get("perframedelay", value))
            ReadIntList(value, anim.mPerFrameDelay);
        if (get("framemap", value))
            ReadIntList(value, anim.mFrameMap);
        anim.Compute(res->mNumCels, beginDelay, endDelay);
    }

    if (has("mirrorx"))
        res->mMirrorX = true;
    if (has("mirrory"))
        res->mMirrorY = true;
    if (get("hue", value))
        res->mHue = LeadingInt(value);
    return true;
}

void ResourceManager::ReadSoundAttributes(XMLElement& element, SoundRes* res)
{
    auto volume = element.mAttributes.find("volume");
    if (volume != element.mAttributes.end())
        ScanDouble(volume->second, res->mVolume);
    auto pan = element.mAttributes.find("pan");
    if (pan != element.mAttributes.end())
        ScanInt(pan->second, res->mPan);
}

bool ResourceManager::ReadFontAttributes(XMLElement& element, FontRes* res)
{
    auto& attributes = element.mAttributes;
    auto image = attributes.find("image");
    if (image != attributes.end())
        res->mImagePath = image->second;
    auto tags = attributes.find("tags");
    if (tags != attributes.end())
        res->mTags = tags->second;

    if (StartsWith(res->mPath, "!sys:")) {
        res->mSysFont = true;
        auto size = attributes.find("size");
        if (size == attributes.end() || LeadingInt(size->second) <= 0)
            return Fail("SysFont needs point size");
        res->mSize = LeadingInt(size->second);
        if (attributes.count("bold"))
            res->mBold = true;
        if (attributes.count("italic"))
            res->mItalic = true;
        if (attributes.count("underline"))
            res->mUnderline = true;
        if (attributes.count("shadow"))
            res->mShadow = true;
    }
    return true;
}

} // namespace Kivo
