#pragma once
// A parsed font description: layers of glyph images with per-character
// rectangles, advances, offsets, kerning and draw orders, a character map
// and a default point size. It handles the commands of the description
// language; the image fonts that share it count their references. An older
// source is one strip image with a text file of character widths.
#include "framework/graphics/DescParser.h"
#include "framework/graphics/FontLayerDef.h"

#include <array>
#include <cstdint>
#include <list>
#include <map>
#include <string>

namespace Kivo {

class FontHost;
class Image;

class FontData : public DescParser {
public:
    FontData();
    ~FontData() override;

    // Shows the error header, the message and, for a command, its line and
    // text through the application's popup; nothing without an application.
    bool Error(const std::string& message) override;
    bool HandleCommand(ListDataElement* params) override;

    // False when already loaded; otherwise reads the description and
    // records in mInitialized whether it was read completely.
    bool Load(FontHost* app, const std::string& path);
    // The strip image (borrowed) with the widths file beside it.
    bool LoadLegacy(Image* image, const std::string& widthsPath);
    bool FindLayer(DataElement* element, FontLayerDef** layer);
    // A list of four numbers 0..1 (r g b a), or a packed 0xAARRGGBB value
    // whose alpha 0 means opaque.
    bool ResolveColor(DataElement* element, Color* color);

    bool mInitialized = false;
    int32_t mRefCount = 0;
    FontHost* mApp = nullptr;
    int32_t mDefaultPointSize = 0;
    std::array<uint8_t, 256> mCharMap{}; // indexed by unsigned character code
    std::list<FontLayerDef> mFontLayerList; // in creation order
    std::map<std::string, FontLayerDef*> mFontLayerMap;
    std::string mSourceFile;
    std::string mFontErrorHeader;

private:
    bool DefineValue(const std::string& name, DataElement* value);
    bool HandleImageMap(FontLayerDef* layer, const std::vector<std::string>& chars, ListDataElement& rects);
    FontLayerDef* AddLayer(const std::string& name, FontLayerDef&& layer);
};

} // namespace Kivo
