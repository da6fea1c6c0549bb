#include "game/match/BrickHelper.h"

#include "framework/core/Random.h"
#include "framework/core/Strings.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/sound/SoundFiles.h"

#include <set>
#include <tinyxml.h>

namespace {

struct BonusSlot {
    int kind;
    const char* imageId;
};

constexpr BonusSlot kBonusSlots[5] = {
    { 4, "BRICK_BONUS_BOMB" }, { 1, "BRICK_BONUS_PALKA" }, { 5, "BRICK_BONUS_ROW" },
    { 6, "BRICK_BONUS_MAGNIT" }, { 0, "BRICK_BONUS_MIXER" },
};

// Slot filled by colour codes 1..10.
constexpr int kColourSlot[11] = { -1, 0, -1, -1, 1, 1, 0, 3, 4, 2, 3 };

constexpr uint8_t kColours[11][3] = {
    { 255, 255, 255 }, { 0, 100, 255 }, { 240, 200, 150 }, { 162, 184, 211 }, { 0, 255, 0 }, { 192, 239, 95 },
    { 128, 255, 255 }, { 255, 128, 0 }, { 255, 50, 224 }, { 255, 0, 0 }, { 255, 255, 0 },
};

} // namespace

int BonusSlotToKind(int slot)
{
    return slot >= 0 && slot < 5 ? kBonusSlots[slot].kind : -1;
}

int BonusKindToSlot(int kind)
{
    for (int slot = 0; slot < 5; ++slot)
        if (kBonusSlots[slot].kind == kind)
            return slot;
    return -1;
}

const char* GetBonusBrickImageId(int kind)
{
    int slot = BonusKindToSlot(kind);
    return slot < 0 ? "" : kBonusSlots[slot].imageId;
}

Kivo::Image* GetBonusBrickImage(int kind)
{
    int slot = BonusKindToSlot(kind);
    return slot < 0 ? nullptr : GetImageById(kBonusSlots[slot].imageId);
}

int ColourToBonusSlot(int code)
{
    return code >= 1 && code <= 10 ? kColourSlot[code] : -1;
}

std::vector<std::vector<int>> ParseColourSets(const std::string& xml)
{
    std::vector<std::vector<int>> sets;
    TiXmlDocument doc;
    std::string text = xml;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    if (doc.Error())
        return sets;
    TiXmlElement* root = doc.FirstChildElement("chipsets");
    for (TiXmlElement* e = root ? root->FirstChildElement("chipset") : nullptr; e;
         e = e->NextSiblingElement("chipset")) {
        std::vector<int> set;
        for (const char* c = e->GetText(); c && *c; ++c)
            if (*c >= '0' && *c <= '9')
                set.push_back(*c - '0');
        sets.push_back(std::move(set));
    }
    return sets;
}

BrickHelper::BrickHelper()
{
    for (int c = 1; c <= 10; ++c) {
        mBricks[c] = GetImageById(Kivo::StrFormat("BRICK_%d", c - 1));
        mMasks[c] = GetImageById(Kivo::StrFormat("BRICK_MASK_%d", c - 1));
        mGlows[c] = GetImageById(Kivo::StrFormat("BRICK_GLOW_%d", c - 1));
        mShines[c] = GetImageById(Kivo::StrFormat("BRICK_SHINE_%d", c - 1));
    }
    mBricks[12] = GetImageById("BRICK_KEY");
    std::vector<uint8_t> bytes;
    if (Kivo::ReadPakFile("properties/combinations.xml", bytes))
        mColourSets = ParseColourSets(std::string(bytes.begin(), bytes.end()));
}

Kivo::Image* BrickHelper::GetBrickImage(int code) const
{
    return code >= 1 && code <= 12 ? mBricks[code] : nullptr;
}

Kivo::Image* BrickHelper::GetMaskImage(int colour) const
{
    return colour >= 1 && colour <= 10 ? mMasks[colour] : nullptr;
}

Kivo::Image* BrickHelper::GetGlowImage(int colour) const
{
    return colour >= 1 && colour <= 10 ? mGlows[colour] : nullptr;
}

Kivo::Image* BrickHelper::GetShineImage(int colour) const
{
    return colour >= 1 && colour <= 10 ? mShines[colour] : nullptr;
}

bool BrickHelper::GetColour(int colour, Kivo::Color& out) const
{
    if (colour == 12)
        colour = 0;
    else if (colour < 1 || colour > 10)
        return false;
    out = Kivo::Color(kColours[colour][0], kColours[colour][1], kColours[colour][2]);
    return true;
}

bool BrickHelper::PickLevelColours(std::vector<int>& colours, int count, int setIndex) const
{
    if (setIndex < 0 || setIndex >= static_cast<int>(mColourSets.size()))
        return false;
    const std::vector<int>& set = mColourSets[static_cast<size_t>(setIndex)];
    // Drawing until `count` distinct colours are found never ends when the
    // set holds fewer.
    int distinct = static_cast<int>(std::set<int>(set.begin(), set.end()).size());
    if (count > distinct)
        count = distinct;
    std::set<int> picked;
    while (static_cast<int>(picked.size()) < count)
        picked.insert(set[static_cast<size_t>(Kivo::RandomIndex(static_cast<int>(set.size())))]);
    colours.clear();
    for (int c : picked)
        colours.push_back(c + 1);
    return true;
}

int BrickHelper::PickRandomColourSet(std::vector<int>& colours, int count) const
{
    if (mColourSets.empty())
        return -1;
    int index = Kivo::RandomIndex(static_cast<int>(mColourSets.size()));
    PickLevelColours(colours, count, index);
    return index;
}
