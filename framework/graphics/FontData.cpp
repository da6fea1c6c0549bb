#include "framework/graphics/FontData.h"

#include "framework/core/Paths.h"
#include "framework/core/Strings.h"
#include "framework/graphics/FontHost.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace Kivo {

namespace {

const char* const kInvalidType = "Invalid Paramater Type";
const char* const kSizeMismatch = "List Size Mismatch";

const std::string& Text(DataElement* e) { return static_cast<SingleDataElement*>(e)->mString; }

// A single value read as an integer, from its text as it stands.
bool ToInt(DataElement* e, int& out) { return !e->mIsList && StringToInt(Text(e), out); }

// A colour channel from a fraction; far-off values are held to a range that
// converts without overflow.
int Channel(double v) { return static_cast<int>(std::trunc(std::clamp(v * 255, -1e6, 1e6))); }

int Lower(int c) { return c - 'A' + 'a'; }

} // namespace

FontData::FontData()
{
    for (int i = 0; i < 256; ++i)
        mCharMap[i] = static_cast<uint8_t>(i);
}

FontData::~FontData()
{
    for (auto& [name, value] : mDefineMap)
        delete value;
}

bool FontData::Error(const std::string& message)
{
    DescParser::Error(message);
    if (!mApp)
        return false;
    std::string text = mFontErrorHeader + message;
    if (!mCurrentLine.empty())
        text += " on Line " + StrFormat("%d:\r\n\r\n", mCurrentLineNum) + mCurrentLine;
    mApp->Popup(text);
    return false;
}

bool FontData::Load(FontHost* app, const std::string& path)
{
    if (mInitialized)
        return false;
    mApp = app;
    mCurrentLine.clear();
    mFontErrorHeader = "Font Descriptor Error in " + path + "\r\n";
    mSourceFile = path;
    mInitialized = LoadFile(path);
    return true;
}

bool FontData::FindLayer(DataElement* element, FontLayerDef** layer)
{
    *layer = nullptr;
    if (element->mIsList)
        return false;
    auto it = mFontLayerMap.find(StringToUpper(Text(element)));
    if (it == mFontLayerMap.end())
        return Error("Undefined Layer");
    *layer = it->second;
    return true;
}

bool FontData::ResolveColor(DataElement* element, Color* color)
{
    if (element->mIsList) {
        std::vector<double> v;
        if (!ResolveDoubles(element, &v) || v.size() != 4)
            return false;
        *color = Color(Channel(v[0]), Channel(v[1]), Channel(v[2]));
        color->mAlpha = Channel(v[3]);
        return true;
    }
    int packed = 0;
    if (!StringToInt(Text(element), packed))
        return false;
    *color = Color(packed);
    return true;
}

bool FontData::DefineValue(const std::string& name, DataElement* value)
{
    auto it = mDefineMap.find(name);
    if (it != mDefineMap.end()) {
        delete it->second;
        mDefineMap.erase(it);
    }
    if (value)
        mDefineMap[name] = value;
    return true;
}

FontLayerDef* FontData::AddLayer(const std::string& name, FontLayerDef&& layer)
{
    mFontLayerList.push_back(layer);
    FontLayerDef* added = &mFontLayerList.back();
    // A taken name keeps its layer; the new one still draws.
    if (!mFontLayerMap.emplace(StringToUpper(name), added).second)
        Error("Layer Already Exists");
    return added;
}

bool FontData::HandleImageMap(FontLayerDef* layer, const std::vector<std::string>& chars, ListDataElement& rects)
{
    if (chars.size() != rects.mElementVector.size())
        return Error(kSizeMismatch);
    Image* image = layer->mImage.ToImage();
    if (!image)
        return Error("Layer image not set");
    bool invalid = false;
    for (size_t i = 0; i < chars.size(); ++i) {
        std::vector<int> r;
        if (chars[i].size() != 1 || !ResolveInts(rects.mElementVector[i], &r) || r.size() != 4) {
            invalid = true;
            continue;
        }
        if (r[0] < 0 || r[1] < 0 || r[2] < 0 || r[3] < 0 || int64_t(r[0]) + r[2] > image->mWidth ||
            int64_t(r[1]) + r[3] > image->mHeight)
            return Error("Image rectangle out of bounds");
        layer->mCharData[static_cast<uint8_t>(chars[i][0])].mImageRect = Rect(r[0], r[1], r[2], r[3]);
    }
    int64_t tallest = 0;
    for (const GlyphInfo& g : layer->mCharData)
        tallest = std::max(tallest, int64_t(g.mImageRect.mHeight) + g.mOffsetY);
    layer->mDefaultHeight = static_cast<int>(std::min<int64_t>(tallest, INT32_MAX));
    return invalid ? Error(kInvalidType) : true;
}

bool FontData::HandleCommand(ListDataElement* params)
{
    std::vector<DataElement*>& p = params->mElementVector;
    const std::string command = StringToUpper(Text(p[0]));

    static const std::pair<const char*, size_t> kCommands[] = {
        { "DEFINE", 3 },
        { "CREATEHORZSPANRECTLIST", 4 },
        { "SETDEFAULTPOINTSIZE", 2 },
        { "SETCHARMAP", 3 },
        { "CREATELAYER", 2 },
        { "CREATELAYERFROM", 3 },
        { "LAYERREQUIRETAGS", 3 },
        { "LAYEREXCLUDETAGS", 3 },
        { "LAYERPOINTRANGE", 4 },
        { "LAYERSETPOINTSIZE", 3 },
        { "LAYERSETHEIGHT", 3 },
        { "LAYERSETIMAGE", 3 },
        { "LAYERSETDRAWMODE", 3 },
        { "LAYERSETCOLORMULT", 3 },
        { "LAYERSETCOLORADD", 3 },
        { "LAYERSETASCENT", 3 },
        { "LAYERSETASCENTPADDING", 3 },
        { "LAYERSETLINESPACINGOFFSET", 3 },
        { "LAYERSETOFFSET", 3 },
        { "LAYERSETCHARWIDTHS", 4 },
        { "LAYERSETSPACING", 3 },
        { "LAYERSETIMAGEMAP", 4 },
        { "LAYERSETCHAROFFSETS", 4 },
        { "LAYERSETKERNINGPAIRS", 4 },
        { "LAYERSETBASEORDER", 3 },
        { "LAYERSETCHARORDERS", 4 },
    };
    auto known = std::find_if(std::begin(kCommands), std::end(kCommands),
                              [&](const auto& c) { return command == c.first; });
    if (known == std::end(kCommands))
        return Error("Unknown Command");
    if (p.size() != known->second)
        return Error("Invalid Number of Parameters");
    auto invalid = [&] { return Error(kInvalidType); };

    if (command == "DEFINE") {
        if (p[1]->mIsList)
            return invalid();
        const std::string name = StringToUpper(Text(p[1]));
        if (IsLiteral(name))
            return invalid();
        DefineValue(name, nullptr);
        if (p[2]->mIsList) {
            auto* list = new ListDataElement;
            if (!ResolveList(static_cast<ListDataElement*>(p[2]), list)) {
                delete list;
                return false;
            }
            return DefineValue(name, list);
        }
        DataElement* existing = GetDefine(Text(p[2]));
        return DefineValue(name, existing ? existing->Duplicate() : p[2]->Duplicate());
    }
    if (command == "CREATEHORZSPANRECTLIST") {
        std::vector<int> rect, widths;
        if (p[1]->mIsList || !ResolveInts(p[2], &rect) || rect.size() != 4 || !ResolveInts(p[3], &widths))
            return invalid();
        auto* list = new ListDataElement;
        int64_t x = rect[0];
        for (int w : widths) {
            auto* item = new ListDataElement;
            for (int64_t v : { x, int64_t(rect[1]), int64_t(w), int64_t(rect[3]) })
                item->mElementVector.push_back(new SingleDataElement(StrFormat("%d", static_cast<int>(v))));
            list->mElementVector.push_back(item);
            x = std::clamp<int64_t>(x + w, INT32_MIN, INT32_MAX);
        }
        return DefineValue(StringToUpper(Text(p[1])), list);
    }
    if (command == "SETDEFAULTPOINTSIZE")
        return ToInt(p[1], mDefaultPointSize) ? true : invalid();
    if (command == "SETCHARMAP") {
        std::vector<std::string> from, to;
        if (!ResolveStrings(p[1], &from) || !ResolveStrings(p[2], &to))
            return invalid();
        if (from.size() != to.size())
            return Error(kSizeMismatch);
        bool bad = false;
        for (size_t i = 0; i < from.size(); ++i) {
            if (from[i].size() != 1 || to[i].size() != 1)
                bad = true;
            else
                mCharMap[static_cast<uint8_t>(from[i][0])] = static_cast<uint8_t>(to[i][0]);
        }
        return bad ? invalid() : true;
    }
    if (command == "CREATELAYER") {
        if (p[1]->mIsList)
            return invalid();
        AddLayer(Text(p[1]), FontLayerDef(this));
        return true;
    }
    if (command == "CREATELAYERFROM") {
        FontLayerDef* source = nullptr;
        if (p[1]->mIsList || !FindLayer(p[2], &source))
            return invalid();
        AddLayer(Text(p[1]), FontLayerDef(*source));
        return true;
    }

    // Every other command works on a layer.
    FontLayerDef* layer = nullptr;
    if (!FindLayer(p[1], &layer))
        return invalid();

    static const std::pair<const char*, int32_t FontLayerDef::*> kIntFields[] = {
        { "LAYERSETPOINTSIZE", &FontLayerDef::mPointSize },
        { "LAYERSETHEIGHT", &FontLayerDef::mHeight },
        { "LAYERSETASCENT", &FontLayerDef::mAscent },
        { "LAYERSETASCENTPADDING", &FontLayerDef::mAscentPadding },
        { "LAYERSETLINESPACINGOFFSET", &FontLayerDef::mLineSpacingOffset },
        { "LAYERSETSPACING", &FontLayerDef::mSpacing },
        { "LAYERSETBASEORDER", &FontLayerDef::mBaseOrder },
    };
    for (const auto& [name, field] : kIntFields)
        if (command == name)
            return ToInt(p[2], layer->*field) ? true : invalid();

    if (command == "LAYERREQUIRETAGS" || command == "LAYEREXCLUDETAGS") {
        std::vector<std::string> tags;
        if (!ResolveStrings(p[2], &tags))
            return invalid();
        auto& into = command == "LAYERREQUIRETAGS" ? layer->mRequiredTags : layer->mExcludedTags;
        for (const std::string& t : tags)
            into.push_back(StringToUpper(t));
        return true;
    }
    if (command == "LAYERPOINTRANGE") {
        int lo = 0, hi = 0;
        if (!ToInt(p[2], lo) || !ToInt(p[3], hi))
            return invalid();
        layer->mMinPointSize = lo;
        layer->mMaxPointSize = hi;
        return true;
    }
    if (command == "LAYERSETIMAGE") {
        std::string name;
        if (!ResolveString(p[2], &name))
            return invalid();
        const std::string path = GetPathFrom(name, GetFileDir(mSourceFile));
        bool created = false;
        SharedImageRef image = mApp ? mApp->GetSharedImage(path, "", &created) : SharedImageRef();
        if (!image.ToImage())
            return Error("Failed to Load Image");
        if (created)
            if (auto* memory = dynamic_cast<MemoryImage*>(image.ToImage()))
                memory->Palletize();
        layer->mImage = image;
        return true;
    }
    if (command == "LAYERSETDRAWMODE") {
        int mode = 0;
        if (!ToInt(p[2], mode) || (mode != 0 && mode != 1))
            return invalid();
        layer->mDrawMode = mode;
        return true;
    }
    if (command == "LAYERSETCOLORMULT" || command == "LAYERSETCOLORADD") {
        Color c;
        if (!ResolveColor(p[2], &c))
            return invalid();
        (command == "LAYERSETCOLORMULT" ? layer->mColorMult : layer->mColorAdd) = c;
        return true;
    }
    if (command == "LAYERSETOFFSET") {
        std::vector<int> v;
        if (!ResolveInts(p[2], &v) || v.size() != 2)
            return invalid();
        layer->mOffsetX = v[0];
        layer->mOffsetY = v[1];
        return true;
    }

    // Per-character lists: characters, then values of the same count.
    std::vector<std::string> chars;
    if (!ResolveStrings(p[2], &chars))
        return invalid();
    if (command == "LAYERSETIMAGEMAP" || command == "LAYERSETCHAROFFSETS") {
        ListDataElement items;
        if (!ResolveListOrDefine(p[3], &items))
            return invalid();
        if (command == "LAYERSETIMAGEMAP")
            return HandleImageMap(layer, chars, items);
        if (chars.size() != items.mElementVector.size())
            return Error(kSizeMismatch);
        bool bad = false;
        for (size_t i = 0; i < chars.size(); ++i) {
            std::vector<int> v;
            if (chars[i].size() != 1 || !ResolveInts(items.mElementVector[i], &v) || v.size() != 2) {
                bad = true;
                continue;
            }
            GlyphInfo& g = layer->mCharData[static_cast<uint8_t>(chars[i][0])];
            g.mOffsetX = v[0];
            g.mOffsetY = v[1];
        }
        return bad ? invalid() : true;
    }
    std::vector<int> values;
    if (!ResolveInts(p[3], &values))
        return invalid();
    if (chars.size() != values.size())
        return Error(kSizeMismatch);
    const bool kerning = command == "LAYERSETKERNINGPAIRS";
    bool bad = false;
    for (size_t i = 0; i < chars.size(); ++i) {
        const std::string& s = chars[i];
        if (s.size() != (kerning ? 2u : 1u)) {
            bad = true;
            continue;
        }
        GlyphInfo& g = layer->mCharData[static_cast<uint8_t>(s[0])];
        if (kerning)
            g.mKerningOffsets[static_cast<uint8_t>(s[1])] = static_cast<int8_t>(values[i] & 0xFF);
        else if (command == "LAYERSETCHARWIDTHS")
            g.mWidth = values[i];
        else
            g.mOrder = values[i];
    }
    return bad ? invalid() : true;
}

bool FontData::LoadLegacy(Image* image, const std::string& widthsPath)
{
    if (mInitialized)
        return false;
    FontLayerDef* layer = AddLayer("", FontLayerDef(this));
    layer->mImage = image;
    const int imageWidth = image ? image->mWidth : 0, imageHeight = image ? image->mHeight : 0;
    layer->mAscent = layer->mDefaultHeight = imageHeight;

    FILE* file = std::fopen(platform::DiskPath(widthsPath).c_str(), "r");
    if (!file)
        return false;
    mSourceFile = widthsPath;
    int spaceWidth = 0, ascent = layer->mAscent;
    if (std::fscanf(file, "%d%d", &spaceWidth, &ascent) == 2) {
        layer->mCharData[' '].mWidth = spaceWidth;
        layer->mAscent = ascent;
        int64_t x = 0;
        char c[2] = {};
        int n = 0;
        while (std::fscanf(file, "%1s%d", c, &n) == 2) {
            // Widths that leave the strip image are skipped.
            if (n < 0)
                continue;
            if (x + n <= imageWidth) {
                GlyphInfo& g = layer->mCharData[static_cast<uint8_t>(c[0])];
                g.mImageRect = Rect(static_cast<int>(x), 0, n, imageHeight);
                g.mWidth = n;
            }
            x += n;
        }
    }
    for (int upper = 'A'; upper <= 'Z'; ++upper) {
        const int lower = Lower(upper);
        if (layer->mCharData[upper].mWidth == 0 && layer->mCharData[lower].mWidth != 0)
            mCharMap[upper] = static_cast<uint8_t>(lower);
        else if (layer->mCharData[lower].mWidth == 0 && layer->mCharData[upper].mWidth != 0)
            mCharMap[lower] = static_cast<uint8_t>(upper);
    }
    mInitialized = true;
    std::fclose(file);
    return true;
}

} // namespace Kivo
