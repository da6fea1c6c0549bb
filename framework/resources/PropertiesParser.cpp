#include "framework/resources/PropertiesParser.h"

#include "framework/core/Strings.h"
#include "framework/resources/XMLParser.h"

namespace Kivo {

PropertiesParser::PropertiesParser(PropertiesTarget* app)
    : mApp(app)
{
}

PropertiesParser::~PropertiesParser()
{
    delete mXMLParser;
}

bool PropertiesParser::Fail(const std::string& text)
{
    if (mHasFailed)
        return false;
    mHasFailed = true;
    mErrorText = text;
    if (mXMLParser && mXMLParser->GetCurrentLineNum() > 0)
        mErrorText += StrFormat(" on Line %d", mXMLParser->GetCurrentLineNum());
    if (mXMLParser && !mXMLParser->GetFileName().empty())
        mErrorText += StrFormat(" in File '%s'", mXMLParser->GetFileName().c_str());
    return false;
}

bool PropertiesParser::ParsePropertiesBuffer(const Buffer& buffer)
{
    delete mXMLParser;
    mXMLParser = new XMLParser;
    const char* bytes = reinterpret_cast<const char*>(buffer.GetDataPtr());
    mXMLParser->SetStringSource(bytes ? std::string(bytes, static_cast<size_t>(buffer.GetDataLen())) : std::string());
    ParseDocument();
    if (mXMLParser->HasFailed())
        Fail(mXMLParser->GetErrorText());
    delete mXMLParser;
    mXMLParser = nullptr;
    return !mHasFailed;
}

bool PropertiesParser::ParseDocument()
{
    XMLElement e;
    while (!mXMLParser->HasFailed() && mXMLParser->NextElement(&e)) {
        if (e.mType == XMLElement::TYPE_START) {
            if (e.mValue != "Properties")
                return Fail("Invalid Section '" + e.mValue + "'");
            if (!ParseProperties())
                return false;
        } else if (e.mType == XMLElement::TYPE_ELEMENT) {
            return Fail("Element Not Expected '" + e.mValue + "'");
        }
    }
    return true;
}

bool PropertiesParser::ParseProperties()
{
    for (;;) {
        XMLElement e;
        if (!mXMLParser->NextElement(&e))
            return false;
        if (e.mType == XMLElement::TYPE_END)
            return true;
        if (e.mType == XMLElement::TYPE_ELEMENT)
            return Fail("Element Not Expected '" + e.mValue + "'");
        if (e.mType != XMLElement::TYPE_START)
            continue;

        const std::string& kind = e.mValue;
        auto idAttr = e.mAttributes.find("id");
        const std::string id = idAttr == e.mAttributes.end() ? std::string() : idAttr->second;
        if (kind == "StringArray") {
            std::vector<std::wstring> list;
            if (!ParseStringArray(list))
                return false;
            mApp->InsertStringList(id, list);
            continue;
        }
        if (kind != "String" && kind != "Boolean" && kind != "Integer" && kind != "Double")
            return Fail("Invalid Section '" + kind + "'");

        std::string value;
        if (!ParseSingleValue(value))
            return false;
        if (kind == "String") {
            mApp->SetString(id, StringToWString(value));
        } else if (kind == "Boolean") {
            const std::string upper = StringToUpper(value);
            if (upper == "1" || upper == "YES" || upper == "ON" || upper == "TRUE")
                mApp->SetBoolean(id, true);
            else if (upper == "0" || upper == "NO" || upper == "OFF" || upper == "FALSE")
                mApp->SetBoolean(id, false);
            else
                return Fail("Invalid Boolean Value: '" + upper + "'");
        } else if (kind == "Integer") {
            int n;
            if (!StringToInt(value, n))
                return Fail("Invalid Integer Value: '" + value + "'");
            mApp->SetInteger(id, n);
        } else {
            double d;
            if (!StringToDouble(value, d))
                return Fail("Invalid Double Value: '" + value + "'");
            mApp->SetDouble(id, d);
        }
    }
}

bool PropertiesParser::ParseSingleValue(std::string& value)
{
    value.clear();
    for (;;) {
        XMLElement e;
        if (!mXMLParser->NextElement(&e))
            return false;
        if (e.mType == XMLElement::TYPE_ELEMENT)
            value = e.mValue;
        else if (e.mType == XMLElement::TYPE_END)
            return true;
        else if (e.mType == XMLElement::TYPE_START)
            return Fail("Unexpected Section: '" + e.mValue + "'");
    }
}

bool PropertiesParser::ParseStringArray(std::vector<std::wstring>& list)
{
    list.clear();
    for (;;) {
        XMLElement e;
        if (!mXMLParser->NextElement(&e))
            return false;
        if (e.mType == XMLElement::TYPE_START) {
            if (e.mValue != "String")
                return Fail("Invalid Section '" + e.mValue + "'");
            std::string value;
            if (!ParseSingleValue(value))
                return false;
            list.push_back(StringToWString(value));
        } else if (e.mType == XMLElement::TYPE_ELEMENT) {
            return Fail("Element Not Expected '" + e.mValue + "'");
        } else if (e.mType == XMLElement::TYPE_END) {
            return true;
        }
    }
}

} // namespace Kivo
