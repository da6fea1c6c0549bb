#pragma once
// Properties files: an XML document of typed named values that fill the
// application's setting maps.
//
//   <Properties>
//     <String id="x">text</String>
//     <StringArray id="y"><String>a</String><String>b</String></StringArray>
//     <Boolean id="z">yes</Boolean> <Integer id="n">0x10</Integer> <Double id="d">0.5</Double>
//   </Properties>
//
// Only the first failure is kept; values stored before it stay stored.
#include "framework/core/Buffer.h"

#include <string>
#include <vector>

namespace Kivo {

class XMLParser;
class XMLElement;

// The setting maps a properties file fills; the application implements it.
class PropertiesTarget {
public:
    virtual void SetString(const std::string& id, const std::wstring& value) = 0;
    virtual void SetBoolean(const std::string& id, bool value) = 0;
    virtual void SetInteger(const std::string& id, int value) = 0;
    virtual void SetDouble(const std::string& id, double value) = 0;
    // Stores the list unless one is already stored under the id.
    virtual void InsertStringList(const std::string& id, const std::vector<std::wstring>& list) = 0;

protected:
    ~PropertiesTarget() = default;
};

class PropertiesParser {
public:
    explicit PropertiesParser(PropertiesTarget* app);
    virtual ~PropertiesParser();
    PropertiesParser(const PropertiesParser&) = delete;
    PropertiesParser& operator=(const PropertiesParser&) = delete;

    // The buffer's bytes are read one per character, without decoding.
    bool ParsePropertiesBuffer(const Buffer& buffer);
    std::string GetErrorText() const { return mErrorText; }

private:
    bool Fail(const std::string& text);
    bool ParseDocument();
    bool ParseProperties();
    bool ParseSingleValue(std::string& value);
    bool ParseStringArray(std::vector<std::wstring>& list);

    PropertiesTarget* mApp;
    XMLParser* mXMLParser = nullptr;
    std::string mErrorText;
    bool mHasFailed = false;
};

} // namespace Kivo
