#pragma once
// The reader of the description language that font descriptions are written
// in. A file is a list of commands ending at semicolons; a command is a name
// followed by values, each a token or a parenthesised list of values; lines
// whose first non-blank byte is '#' are comments. Each command goes as a
// tree of values to the derived class's HandleCommand. Defines are named
// values, looked up without regard to case.
#include "framework/graphics/DataElement.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Kivo {

class DescParser {
public:
    enum { SemicolonEndsCommand = 1, UnindentedLineStartsCommand = 2 };
    // Lists nest at most this deep; deeper text is refused.
    static constexpr int kMaxListDepth = 64;

    DescParser() = default;
    DescParser(const DescParser&) = delete;
    DescParser& operator=(const DescParser&) = delete;

    // Stores the message as the error text; returns false.
    virtual bool Error(const std::string& message);
    virtual DataElement* GetDefine(const std::string& name);
    // The first item is the command name. False ends the file.
    virtual bool HandleCommand(ListDataElement* params) = 0;
    // Frees the define map; the values belong to the derived class.
    virtual ~DescParser() = default;

    // Reads the file through the data file layer and handles each command.
    // False when it cannot be opened (no message) or a command failed.
    bool LoadFile(const std::string& path);
    bool ParseCommand(const std::string& text);
    // Appends the values of the text to `into`; nested calls share `pos`.
    bool Tokenize(const std::string& text, ListDataElement* into, bool expectListEnd, int* pos);
    // Starts with a digit, '-', '+' or a quote.
    bool IsLiteral(const std::string& text);
    // Enclosing quotes go; a run of k quote characters inside gives k - 1.
    static std::string StripQuotes(const std::string& text);
    std::string ElementToText(DataElement* element);

    bool ResolveString(DataElement* element, std::string* out);
    bool ResolveList(ListDataElement* source, ListDataElement* into);
    bool ResolveListOrDefine(DataElement* element, ListDataElement* into);
    bool ResolveStrings(DataElement* element, std::vector<std::string>* out);
    bool ResolveInts(DataElement* element, std::vector<int>* out);
    bool ResolveDoubles(DataElement* element, std::vector<double>* out);

    int32_t mCmdSep = SemicolonEndsCommand;
    std::string mError;
    int32_t mCurrentLineNum = 0;
    std::string mCurrentLine; // the command being handled
    std::map<std::string, DataElement*> mDefineMap;

private:
    bool TokenizeAt(const std::string& text, ListDataElement* into, bool expectListEnd, int* pos, int depth);
    bool ResolveListAt(ListDataElement* source, ListDataElement* into, int depth);
    bool UnableToDereference(const std::string& name);
};

} // namespace Kivo
