#include "game/meta/TownXml.h"

#include "framework/sound/SoundFiles.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <tinyxml.h>

namespace {

constexpr int kMaxDepth = 64;

// An upper bound of the element nesting: every "<" that is not a closing
// tag, a declaration or a comment opens one level, "</" and "/>" close one.
bool NestingWithinLimit(const std::string& text)
{
    int depth = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '<') {
            char c = text[i + 1];
            if (c == '/')
                --depth;
            else if (c != '!' && c != '?' && ++depth > kMaxDepth)
                return false;
        } else if (text[i] == '/' && text[i + 1] == '>') {
            --depth;
        }
    }
    return true;
}

} // namespace

bool ParseTownXml(const std::string& text, TiXmlDocument& doc)
{
    if (!NestingWithinLimit(text))
        return false;
    const char* start = text.c_str();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        start += 3;
    doc.Parse(start, nullptr, TIXML_ENCODING_LEGACY);
    return !doc.Error();
}

bool LoadTownXmlFile(const std::string& name, TiXmlDocument& doc)
{
    std::vector<uint8_t> bytes;
    if (!Kivo::ReadPakFile(name, bytes))
        return false;
    return ParseTownXml(std::string(bytes.begin(), bytes.end()), doc);
}

int TownIntAttribute(const TiXmlElement* e, const char* name)
{
    const char* value = e->Attribute(name);
    if (!value)
        return 0;
    // strtol saturates where atoi would overflow.
    long v = std::strtol(value, nullptr, 10);
    return static_cast<int>(std::clamp<long>(v, INT_MIN, INT_MAX));
}

bool TownElementIs(const TiXmlElement* e, const char* name)
{
    return std::strcmp(e->Value(), name) == 0;
}

TiXmlElement* TownRootElement(TiXmlDocument& doc, const char* name)
{
    TiXmlNode* root = doc.FirstChild(name);
    return root ? root->ToElement() : nullptr;
}
