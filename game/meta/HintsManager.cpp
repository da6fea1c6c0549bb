#include "game/meta/HintsManager.h"

#include "framework/resources/ResourceHelpers.h"
#include "framework/sound/SoundFiles.h"
#include "game/meta/TownXml.h"

#include <algorithm>
#include <tinyxml.h>

namespace {

// The attribute's value when present and not empty.
const char* NonEmpty(const TiXmlElement* e, const char* name)
{
    const char* value = e ? e->Attribute(name) : nullptr;
    return value && *value ? value : nullptr;
}

} // namespace

HintsManager::HintsManager()
{
    Load();
}

void HintsManager::Load()
{
    std::vector<uint8_t> bytes;
    if (Kivo::ReadPakFile("properties\\hints.xml", bytes))
        LoadXml(std::string(bytes.begin(), bytes.end()));
}

bool HintsManager::LoadXml(const std::string& text)
{
    mHints.clear();
    mIndexBound = 0;
    TiXmlDocument doc;
    if (!ParseTownXml(text, doc))
        return false;
    TiXmlElement* hints = TownRootElement(doc, "hints");
    if (!hints)
        return false;
    int index = 0;
    for (TiXmlElement* e = hints->FirstChildElement("hint"); e; e = e->NextSiblingElement("hint"), ++index) {
        // A hint without an id keeps its place, so the bits of the hints
        // after it stay where they are.
        if (const char* id = e->Attribute("id"))
            ParseHint(e, id, index);
    }
    return true;
}

void HintsManager::ParseHint(const TiXmlElement* hint, const std::string& id, int index)
{
    Hint record;
    record.index = index;
    if (const char* image = NonEmpty(hint->FirstChildElement("image"), "id"))
        record.image = GetImageById(image);
    const TiXmlElement* text = hint->FirstChildElement("text");
    if (const char* literal = NonEmpty(text, "text"))
        record.text = literal;
    if (const char* textId = NonEmpty(text, "id"))
        record.text = GetStringById(textId);
    mHints[id] = record;
    mIndexBound = std::max(mIndexBound, index + 1);
}

bool HintsManager::Find(const std::string& id, Hint* out) const
{
    if (!out)
        return false;
    auto it = mHints.find(id);
    if (it == mHints.end())
        return false;
    *out = it->second;
    return true;
}
