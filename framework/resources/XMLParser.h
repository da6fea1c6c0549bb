#pragma once
// A streaming XML tokenizer: it hands out one flat element at a time (start
// tag, end tag, text, processing instruction; comments are skipped) and
// keeps the path of open elements. It builds no tree.
//
// Rules the data files rely on: a '"' toggles quoting everywhere outside
// comments, and inside quotes '<', '>', '/', '=' and blanks are ordinary;
// quotes are kept in text and dropped in tags. Runs of whitespace in text
// become one space and the ends are trimmed. A comment needs whitespace
// right after "<!--". A '/' ending the tag name or the last attribute value
// makes the element self-closing.
#include "framework/core/PakFile.h"

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

namespace Kivo {

class XMLElement {
public:
    enum {
        TYPE_NONE = 0,
        TYPE_START = 1,
        TYPE_END = 2,
        TYPE_ELEMENT = 3,     // a run of text
        TYPE_INSTRUCTION = 4, // <?target body?>
        TYPE_COMMENT = 5,
    };

    int mType = TYPE_NONE;
    // For a start tag the path of its parents, for an end tag the path
    // including the element it closes; names joined by '/'.
    std::string mSection;
    std::string mValue;       // tag name, text, or instruction target
    std::string mInstruction; // body of an instruction
    std::map<std::string, std::string> mAttributes;
    // Names in the order they were added; a repeated name is listed twice.
    std::list<std::string> mAttributeOrder;
};

class XMLParser {
public:
    XMLParser();
    virtual ~XMLParser();
    XMLParser(const XMLParser&) = delete;
    XMLParser& operator=(const XMLParser&) = delete;

    // Opens the file through the pak layer and picks the decoding from its
    // first bytes: UTF-16 after FF FE or FE FF, UTF-8 after EF BB BF, one
    // byte per character (Windows-1252) otherwise.
    bool OpenFile(const std::string& fileName);
    // Each string unit is one character; nothing is decoded, so a byte-order
    // mark is read as text.
    void SetStringSource(const std::wstring& source);
    void SetStringSource(const std::string& source);

    // False at the end of input, or on an error (HasFailed tells which).
    bool NextElement(XMLElement* element);

    std::string GetErrorText() const { return mErrorText; }
    std::string GetFileName() const { return mFileName; }
    bool HasFailed() const { return mHasFailed; }
    int GetCurrentLineNum() const { return mLineNum; }

private:
    enum class Reader { Bytes, Utf16, Utf8 };
    static constexpr int kEnd = -1;
    static constexpr int kIllegal = -2;

    void Reset();
    void CloseFile();
    bool Fail(const std::string& text);
    int ReadByte();
    int ReadCharacter();
    int ReadByteChar();
    int ReadUtf16Unit(uint16_t& unit);
    int ReadUtf16Char();
    int ReadUtf8Char();
    void PushBack(const std::string& text);
    void AddAttribute(XMLElement* element, const std::wstring& name, const std::wstring& value);

    std::string mFileName;
    std::string mErrorText;
    int mLineNum = 0;
    PakFileHandle* mFile = nullptr;
    bool mHasFailed = false;
    std::vector<uint16_t> mPushBack; // a stack: the end is read first
    std::string mSection;
    Reader mReader = Reader::Utf8;
    bool mStartOfStream = false;
    bool mByteSwap = false;
    bool mInputEnded = false;

    // Bytes read ahead from the file.
    uint8_t mBytes[4096];
    size_t mBytesPos = 0;
    size_t mBytesLen = 0;
};

} // namespace Kivo
