// The application's settings files: "config.xml" (TinyXML) and the
// properties files.
#include "framework/app/KivoAppBase.h"

#include "framework/app/AppFiles.h"
#include "framework/core/PakFile.h"
#include "framework/core/Strings.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <tinyxml.h>

namespace Kivo {

bool ReadWholeFile(const std::string& fileName, std::string& bytes)
{
    PakFileHandle* f = PakFileOpen(fileName.c_str(), "rb");
    if (!f)
        return false;
    bytes.clear();
    char chunk[4096];
    while (size_t n = PakFileRead(chunk, 1, sizeof chunk, f))
        bytes.append(chunk, n);
    PakFileClose(f);
    return true;
}

namespace {

// strtol in base 10, held to the 32-bit range.
int DecimalValue(const char* text)
{
    long long v = std::strtoll(text, nullptr, 10);
    return static_cast<int>(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v);
}

// Base 16 the way a 32-bit strtoul reads it: leading blanks, a sign and
// "0x" are accepted, reading stops at the first non-digit, a value beyond
// 32 bits gives 0xFFFFFFFF, and a minus sign negates in 32 bits.
uint32_t HexValue(const char* text)
{
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && std::isxdigit(static_cast<unsigned char>(text[2])))
        text += 2;
    uint64_t v = 0;
    for (; std::isxdigit(static_cast<unsigned char>(*text)); ++text) {
        int d = std::isdigit(static_cast<unsigned char>(*text)) ? *text - '0' : (std::tolower(*text) - 'a' + 10);
        v = v * 16 + static_cast<uint64_t>(d);
        if (v > 0xFFFFFFFFull)
            return 0xFFFFFFFFu;
    }
    uint32_t result = static_cast<uint32_t>(v);
    return negative ? 0u - result : result;
}

} // namespace

bool KivoAppBase::LoadSettingsXml(const std::string& fileName)
{
    std::string text;
    if (!ReadWholeFile(fileName, text))
        return false;
    // The file is Windows-1252 text. TinyXML's UTF-8 mode steps over
    // multi-byte sequences by their lead byte and can run past the end of a
    // truncated one, so the bytes are parsed as they stand; a UTF-8 mark is
    // dropped first.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    TiXmlDocument doc;
    doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    if (doc.Error())
        return false;
    TiXmlNode* settings = doc.FirstChild("settings");
    if (!settings)
        return true;
    for (TiXmlElement* e = settings->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const char* name = e->Attribute("name");
        const char* val = e->Attribute("val");
        // An element without both attributes leaves the settings as they are.
        if (!name || !val)
            continue;
        const std::string type = e->Value();
        if (type == "int") {
            SetInteger(name, DecimalValue(val));
        } else if (type == "float") {
            SetDouble(name, std::strtod(val, nullptr));
        } else if (type == "string") {
            SetString(name, StringToWString(val));
        } else if (type == "bool") {
            const std::string v = val;
            if (v == "true" || v == "TRUE" || v == "1")
                SetBoolean(name, true);
            else if (v == "false" || v == "FALSE" || v == "0")
                SetBoolean(name, false);
            else
                SetBoolean(name, !v.empty());
        } else if (type == "hex") {
            SetInteger(name, static_cast<int>(HexValue(val)));
        }
    }
    return true;
}

bool KivoAppBase::LoadProperties(const std::string& fileName, bool required, bool checkSignature)
{
    // Read as a demo's file event, so that playback sees the same texts.
    Buffer buffer;
    if (!DemoReadFile(fileName, buffer)) {
        if (!required)
            return true;
        Popup(GetString("UNABLE_OPEN_PROPERTIES", "Unable to open properties file ") + fileName);
        return false;
    }
    if (checkSignature && !CheckSignature(buffer, fileName)) {
        Popup(GetString("PROPERTIES_SIG_FAILED", "Signature check failed on ") + fileName + "'");
        return false;
    }
    PropertiesParser parser(this);
    if (!parser.ParsePropertiesBuffer(buffer)) {
        Popup(parser.GetErrorText());
        return false;
    }
    return true;
}

bool KivoAppBase::CheckSignature(const Buffer&, const std::string&)
{
    return false;
}

} // namespace Kivo
