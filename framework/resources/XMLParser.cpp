#include "framework/resources/XMLParser.h"

#include "framework/core/Strings.h"

namespace Kivo {
namespace {

// Characters above U+FFFF have no 16-bit unit; they are read as this.
constexpr uint16_t kReplacement = 0xFFFD;

bool IsWideSpace(int c)
{
    return c == ' ' || (c >= 9 && c <= 13);
}

// The C locale's isspace on the low 8 bits.
bool IsTagSpace(int c)
{
    return IsWideSpace(c & 0xFF);
}

char Low8(int c)
{
    return static_cast<char>(c & 0xFF);
}

} // namespace

XMLParser::XMLParser() = default;

XMLParser::~XMLParser()
{
    CloseFile();
}

void XMLParser::CloseFile()
{
    if (mFile)
        PakFileClose(mFile);
    mFile = nullptr;
    mBytesPos = mBytesLen = 0;
}

void XMLParser::Reset()
{
    mSection.clear();
    mErrorText.clear();
    mLineNum = 1;
    mHasFailed = false;
    mStartOfStream = true;
    mByteSwap = false;
    mInputEnded = false;
    mPushBack.clear();
}

bool XMLParser::OpenFile(const std::string& fileName)
{
    CloseFile();
    mFile = PakFileOpen(fileName.c_str(), "rt");
    if (!mFile) {
        mLineNum = 0;
        mHasFailed = true;
        mErrorText = "Unable to open file " + fileName;
        return false;
    }
    Reset();
    mFileName = fileName;

    // Look at the first bytes without consuming them.
    mBytesLen = PakFileRead(mBytes, 1, sizeof mBytes, mFile);
    mBytesPos = 0;
    mReader = Reader::Bytes;
    if (mBytesLen >= 2 && ((mBytes[0] == 0xFF && mBytes[1] == 0xFE) || (mBytes[0] == 0xFE && mBytes[1] == 0xFF)))
        mReader = Reader::Utf16;
    else if (mBytesLen >= 3 && mBytes[0] == 0xEF && mBytes[1] == 0xBB && mBytes[2] == 0xBF)
        mReader = Reader::Utf8;
    return true;
}

void XMLParser::SetStringSource(const std::wstring& source)
{
    CloseFile();
    Reset();
    mFileName.clear();
    mPushBack.reserve(source.size());
    for (auto it = source.rbegin(); it != source.rend(); ++it)
        mPushBack.push_back(static_cast<uint16_t>(*it));
}

void XMLParser::SetStringSource(const std::string& source)
{
    SetStringSource(StringToWString(source));
}

bool XMLParser::Fail(const std::string& text)
{
    mHasFailed = true;
    mErrorText = text;
    return false;
}

int XMLParser::ReadByte()
{
    if (mBytesPos == mBytesLen) {
        if (!mFile)
            return kEnd;
        mBytesLen = PakFileRead(mBytes, 1, sizeof mBytes, mFile);
        mBytesPos = 0;
        if (mBytesLen == 0)
            return kEnd;
    }
    return mBytes[mBytesPos++];
}

// Byte and UTF-8 files are text: carriage returns are dropped, as reading
// in text mode does.
int XMLParser::ReadByteChar()
{
    int b;
    do
        b = ReadByte();
    while (b == '\r');
    return b;
}

int XMLParser::ReadUtf16Unit(uint16_t& unit)
{
    int lo = ReadByte();
    int hi = lo < 0 ? kEnd : ReadByte();
    if (hi < 0)
        return kEnd;
    unit = static_cast<uint16_t>(lo | hi << 8);
    if (mByteSwap)
        unit = static_cast<uint16_t>(unit >> 8 | unit << 8);
    return 0;
}

int XMLParser::ReadUtf16Char()
{
    uint16_t unit;
    for (;;) {
        if (ReadUtf16Unit(unit) < 0)
            return kEnd;
        if (!mStartOfStream)
            break;
        mStartOfStream = false;
        if (unit == 0xFFFE)
            mByteSwap = true;
        else if (unit != 0xFEFF)
            break;
    }
    // Broken surrogates end the input; a whole pair is one character
    // outside 16 bits.
    if (unit >= 0xDC00 && unit <= 0xDFFF)
        return kEnd;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        uint16_t low;
        if (ReadUtf16Unit(low) < 0 || low < 0xDC00 || low > 0xDFFF)
            return kEnd;
        return kReplacement;
    }
    return unit;
}

int XMLParser::ReadUtf8Char()
{
    static const uint16_t kLeadMasks[] = { 0xC0, 0xE0, 0xF0, 0xF8, 0xFC };
    for (;;) {
        int lead = ReadByteChar();
        if (lead < 0)
            return kEnd;
        if (lead < 0x80)
            return lead;
        if (lead < 0xC0)
            return kIllegal;
        int count = -1;
        uint32_t mask = 0;
        for (int i = 0; i < 5; ++i) {
            mask = kLeadMasks[i];
            if ((lead & mask) == ((mask << 1) & mask)) {
                count = i;
                break;
            }
        }
        if (count < 1)
            return kIllegal;
        uint32_t value = lead & ~mask;
        int first = 0;
        for (int i = 0; i < count; ++i) {
            int c = ReadByteChar();
            if (c < 0 || (c & 0xC0) != 0x80)
                return kIllegal;
            if (i == 0)
                first = c;
            value = value << 6 | (c & 0x3F);
        }
        bool overlong = (count == 1 && (lead & 0x1E) == 0)
            || (count == 2 && (lead & 0x1F) == 0 && (first & 0x20) == 0)
            || (count == 3 && (lead & 0x0F) == 0 && (first & 0x30) == 0)
            || (count == 4 && (lead & 0x07) == 0 && (first & 0x38) == 0);
        if (overlong || value == 0xFFFE || value == 0xFFFF || (value >= 0xD800 && value <= 0xDFFF))
            return kIllegal;
        if (value == 0xFEFF && mStartOfStream) {
            mStartOfStream = false;
            continue;
        }
        return value > 0xFFFF ? kReplacement : static_cast<int>(value);
    }
}

int XMLParser::ReadCharacter()
{
    if (!mPushBack.empty()) {
        int c = mPushBack.back();
        mPushBack.pop_back();
        return c;
    }
    if (!mFile || mInputEnded)
        return kEnd;
    int c;
    switch (mReader) {
    case Reader::Bytes: c = ReadByteChar(); break;
    case Reader::Utf16: c = ReadUtf16Char(); break;
    default: c = ReadUtf8Char(); break;
    }
    if (c == kEnd)
        mInputEnded = true;
    return c;
}

void XMLParser::PushBack(const std::string& text)
{
    for (auto it = text.rbegin(); it != text.rend(); ++it)
        mPushBack.push_back(static_cast<uint8_t>(*it));
}

void XMLParser::AddAttribute(XMLElement* element, const std::wstring& name, const std::wstring& value)
{
    std::string n = WStringToString(XMLDecodeWString(name));
    element->mAttributes[n] = WStringToString(XMLDecodeWString(value));
    if (n != "/")
        element->mAttributeOrder.push_back(n);
}

bool XMLParser::NextElement(XMLElement* element)
{
    for (;;) {
        element->mType = XMLElement::TYPE_NONE;
        element->mSection = mSection;
        element->mValue.clear();
        element->mInstruction.clear();
        element->mAttributes.clear();

        bool inQuote = false;
        bool pendingSpace = false;
        bool inAttributes = false;
        bool afterEquals = false;
        bool valueWasQuoted = false;
        std::wstring attrName;
        std::wstring attrValue;
        std::wstring lastAttrName;
        int& type = element->mType;
        std::string& value = element->mValue;
        std::string& instruction = element->mInstruction;

        // The attribute in hand is complete when a blank is followed by
        // anything but '=' (or the value after a bare '=').
        auto resolvePendingSpace = [&](int c) {
            if (!pendingSpace)
                return;
            pendingSpace = false;
            if (afterEquals && attrValue.empty() && !valueWasQuoted)
                return;
            if (!afterEquals && c == '=')
                return;
            if (!attrName.empty())
                AddAttribute(element, attrName, attrValue);
            attrName.clear();
            attrValue.clear();
            afterEquals = false;
            valueWasQuoted = false;
        };

        bool done = false;
        while (!done) {
            int c = ReadCharacter();
            if (c == kEnd) {
                if (type == XMLElement::TYPE_NONE)
                    return false;
                return Fail("Unexpected End of File");
            }
            if (c == kIllegal)
                return Fail("Illegal Character");
            if (c == '\n')
                ++mLineNum;

            if (type == XMLElement::TYPE_COMMENT) {
                instruction += Low8(c);
                size_t n = instruction.size();
                if (c == '>' && n >= 3 && instruction[n - 2] == '-' && instruction[n - 3] == '-') {
                    instruction.resize(n - 3);
                    done = true;
                }
                continue;
            }
            if (type == XMLElement::TYPE_INSTRUCTION) {
                std::string& to = (instruction.empty() && !IsWideSpace(c)) ? value : instruction;
                to += Low8(c);
                if (c == '>' && to.size() >= 2 && to[to.size() - 2] == '?') {
                    to.resize(to.size() - 2);
                    done = true;
                }
                continue;
            }

            if (c == '"') {
                inQuote = !inQuote;
                if (!inQuote)
                    valueWasQuoted = true;
                if (type != XMLElement::TYPE_NONE && type != XMLElement::TYPE_ELEMENT)
                    continue;
            } else if (!inQuote) {
                if (c == '<') {
                    if (type == XMLElement::TYPE_ELEMENT) {
                        mPushBack.push_back('<');
                        break;
                    }
                    if (type != XMLElement::TYPE_NONE)
                        return Fail("Unexpected '<'");
                    type = XMLElement::TYPE_START;
                    continue;
                }
                if (c == '>') {
                    if (type == XMLElement::TYPE_START) {
                        resolvePendingSpace(c);
                        bool selfClosing = false;
                        if (attrName == L"/") {
                            selfClosing = true;
                        } else {
                            if (!attrName.empty())
                                AddAttribute(element, attrName, attrValue);
                            lastAttrName = attrName;
                            if (!lastAttrName.empty()) {
                                std::string& stored = element->mAttributes[WStringToString(XMLDecodeWString(lastAttrName))];
                                if (!stored.empty() && stored.back() == '/') {
                                    stored.pop_back();
                                    stored = XMLDecodeString(stored);
                                    selfClosing = true;
                                }
                            } else if (!value.empty() && value.back() == '/') {
                                value.pop_back();
                                selfClosing = true;
                            }
                        }
                        attrName.clear();
                        attrValue.clear();
                        if (selfClosing)
                            PushBack("</" + value + ">");
                        if (!mSection.empty())
                            mSection += '/';
                        mSection += value;
                    } else if (type == XMLElement::TYPE_END) {
                        size_t slash = mSection.rfind('/');
                        if (slash == std::string::npos && mSection.empty())
                            return Fail("Unexpected End");
                        size_t from = slash == std::string::npos ? 0 : slash + 1;
                        std::string open = mSection.substr(from);
                        if (open != value)
                            return Fail("End '" + value + "' Doesn't Match Start '" + open + "'");
                        mSection.erase(slash == std::string::npos ? 0 : slash);
                    } else {
                        return Fail("Unexpected '>'");
                    }
                    break;
                }
                if (c == '/' && type == XMLElement::TYPE_START && value.empty()) {
                    type = XMLElement::TYPE_END;
                    continue;
                }
                if (c == '?' && type == XMLElement::TYPE_START && value.empty()) {
                    type = XMLElement::TYPE_INSTRUCTION;
                    continue;
                }
                if (IsTagSpace(c)) {
                    if (!value.empty())
                        pendingSpace = true;
                    if (type == XMLElement::TYPE_START && !inAttributes && value == "!--")
                        type = XMLElement::TYPE_COMMENT;
                    continue;
                }
                if (c < 33)
                    return Fail("Illegal Character");
            }

            // An ordinary character.
            if (type == XMLElement::TYPE_NONE)
                type = XMLElement::TYPE_ELEMENT;
            if (type == XMLElement::TYPE_ELEMENT || type == XMLElement::TYPE_END) {
                if (pendingSpace) {
                    value += ' ';
                    pendingSpace = false;
                }
                value += Low8(c);
            } else if (!inAttributes) {
                if (pendingSpace) {
                    pendingSpace = false;
                    inAttributes = true;
                    attrName += static_cast<wchar_t>(c);
                } else {
                    value += Low8(c);
                }
            } else {
                resolvePendingSpace(c);
                if (c == '=' && !afterEquals && !inQuote) {
                    afterEquals = true;
                    valueWasQuoted = false;
                } else if (afterEquals) {
                    attrValue += static_cast<wchar_t>(c);
                } else {
                    attrName += static_cast<wchar_t>(c);
                }
            }
        }

        if (!attrName.empty())
            AddAttribute(element, attrName, attrValue);
        value = XMLDecodeString(value);
        if (type != XMLElement::TYPE_COMMENT)
            return true;
    }
}

} // namespace Kivo
