#include "framework/graphics/DescParser.h"

#include "framework/core/PakFile.h"
#include "framework/core/Strings.h"

#include <algorithm>

namespace Kivo {

namespace {

int Depth(const DataElement* e)
{
    if (!e->mIsList)
        return 0;
    int deepest = 0;
    for (const DataElement* item : static_cast<const ListDataElement*>(e)->mElementVector)
        deepest = std::max(deepest, Depth(item));
    return deepest + 1;
}

const char* const kTooDeep = "Lists Nested Too Deeply";

} // namespace

bool DescParser::Error(const std::string& message)
{
    mError = message;
    return false;
}

DataElement* DescParser::GetDefine(const std::string& name)
{
    auto it = mDefineMap.find(StringToUpper(name));
    return it == mDefineMap.end() ? nullptr : it->second;
}

bool DescParser::LoadFile(const std::string& path)
{
    mError.clear();
    PakFileHandle* file = PakFileOpen(path.c_str(), "r");
    if (!file)
        return false;
    int lineCounter = 0;
    int pushedBack = -1;
    bool ok = true;
    auto add = [&](char c) {
        if (mCurrentLine.empty())
            mCurrentLineNum = lineCounter + 1;
        mCurrentLine += c;
    };
    for (;;) {
        bool indented = false, inComment = false, inSingle = false, inDouble = false, escape = false;
        bool atLineStart = true, atEnd = false;
        for (;;) {
            int c;
            if (pushedBack >= 0) {
                c = pushedBack;
                pushedBack = -1;
            } else {
                c = PakFileGetc(file);
            }
            if (c == EOF) {
                atEnd = true;
                break;
            }
            if (c == '\r')
                continue;
            if (c == '\n')
                ++lineCounter;
            if (atLineStart) {
                if (c == ' ' || c == '\t') {
                    indented = true;
                    continue;
                }
                if (c == '\n')
                    continue;
                if ((mCmdSep & UnindentedLineStartsCommand) && !indented && !mCurrentLine.empty()) {
                    pushedBack = c;
                    break;
                }
                if (c == '#')
                    inComment = true;
                atLineStart = false;
            }
            if (c == '\n') {
                indented = false;
                atLineStart = true;
                if (inComment) {
                    inComment = false;
                    continue;
                }
            } else if (inComment) {
                continue;
            } else if (c == '\\' && (inSingle || inDouble)) {
                if (escape) {
                    add('\\');
                    add('\\');
                }
                escape = !escape;
                continue;
            } else if ((c == '\'' && !inDouble) || (c == '"' && !inSingle)) {
                if (escape) {
                    add('\\');
                    escape = false;
                } else if (c == '\'') {
                    inSingle = !inSingle;
                } else {
                    inDouble = !inDouble;
                }
                add(static_cast<char>(c));
                continue;
            }
            if (c == ';' && !inSingle && !inDouble && (mCmdSep & SemicolonEndsCommand))
                break;
            if (escape) {
                add('\\');
                escape = false;
            }
            add(static_cast<char>(c));
        }
        if (!mCurrentLine.empty() && !ParseCommand(mCurrentLine)) {
            ok = false;
            break;
        }
        mCurrentLine.clear();
        if (atEnd || (pushedBack < 0 && PakFileEof(file)))
            break;
    }
    mCurrentLine.clear();
    mCurrentLineNum = 0;
    PakFileClose(file);
    return ok;
}

bool DescParser::ParseCommand(const std::string& text)
{
    ListDataElement params;
    if (!Tokenize(text, &params, false, nullptr))
        return false;
    if (params.mElementVector.empty())
        return true;
    if (params.mElementVector[0]->mIsList)
        return Error("Missing Command");
    return HandleCommand(&params);
}

bool DescParser::Tokenize(const std::string& text, ListDataElement* into, bool expectListEnd, int* pos)
{
    int start = 0;
    return TokenizeAt(text, into, expectListEnd, pos ? pos : &start, 0);
}

bool DescParser::TokenizeAt(const std::string& text, ListDataElement* into, bool expectListEnd, int* pos, int depth)
{
    bool inSingle = false, inDouble = false, escaped = false;
    SingleDataElement* token = nullptr;
    const int size = static_cast<int>(text.size());
    while (*pos >= 0 && *pos < size) {
        const char c = text[(*pos)++];
        if (escaped) {
            escaped = false;
        } else if (c == '\\') {
            escaped = true;
            continue;
        } else {
            if (c == '\'' && !inDouble)
                inSingle = !inSingle;
            else if (c == '"' && !inSingle)
                inDouble = !inDouble;
            if (!inSingle && !inDouble) {
                if (c == ')') {
                    if (expectListEnd)
                        return true;
                    return Error("Unexpected List End");
                }
                if (c == '(') {
                    if (token)
                        return Error("Unexpected List Start");
                    if (depth >= kMaxListDepth)
                        return Error(kTooDeep);
                    auto* list = new ListDataElement;
                    if (!TokenizeAt(text, list, true, pos, depth + 1)) {
                        delete list;
                        return false;
                    }
                    into->mElementVector.push_back(list);
                    continue;
                }
                if (c == ' ' || c == '\t' || c == '\n' || c == ',') {
                    token = nullptr;
                    continue;
                }
            }
        }
        if (!token) {
            token = new SingleDataElement;
            into->mElementVector.push_back(token);
        }
        token->mString += c;
    }
    if (inSingle)
        return Error("Unterminated Single Quotes");
    if (inDouble)
        return Error("Unterminated Double Quotes");
    if (expectListEnd)
        return Error("Unterminated List");
    return true;
}

bool DescParser::IsLiteral(const std::string& text)
{
    if (text.empty())
        return false;
    const char c = text[0];
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '\'' || c == '"';
}

std::string DescParser::StripQuotes(const std::string& text)
{
    if (text.empty() || (text[0] != '\'' && text[0] != '"'))
        return text;
    const char quote = text[0];
    std::string out;
    bool prevQuote = false;
    for (char c : text) {
        if (c != quote || prevQuote)
            out += c;
        prevQuote = c == quote;
    }
    return out;
}

std::string DescParser::ElementToText(DataElement* element)
{
    if (!element->mIsList)
        return static_cast<SingleDataElement*>(element)->mString;
    std::string out = "(";
    const auto& items = static_cast<ListDataElement*>(element)->mElementVector;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += ElementToText(items[i]);
    }
    return out + ")";
}

bool DescParser::UnableToDereference(const std::string& name)
{
    return Error("Unable to Dereference \"" + name + "\"");
}

bool DescParser::ResolveString(DataElement* element, std::string* out)
{
    if (element->mIsList)
        return false;
    const std::string& text = static_cast<SingleDataElement*>(element)->mString;
    if (DataElement* define = GetDefine(text)) {
        if (define->mIsList)
            return false;
        *out = StripQuotes(static_cast<SingleDataElement*>(define)->mString);
        return true;
    }
    *out = StripQuotes(text);
    return true;
}

bool DescParser::ResolveList(ListDataElement* source, ListDataElement* into) { return ResolveListAt(source, into, 1); }

bool DescParser::ResolveListAt(ListDataElement* source, ListDataElement* into, int depth)
{
    for (DataElement* item : source->mElementVector) {
        if (item->mIsList) {
            if (depth >= kMaxListDepth)
                return Error(kTooDeep);
            auto* list = new ListDataElement;
            if (!ResolveListAt(static_cast<ListDataElement*>(item), list, depth + 1)) {
                delete list;
                return false;
            }
            into->mElementVector.push_back(list);
            continue;
        }
        const std::string& text = static_cast<SingleDataElement*>(item)->mString;
        if (text.empty())
            continue;
        if (text[0] == '\'' || text[0] == '"') {
            into->mElementVector.push_back(new SingleDataElement(StripQuotes(text)));
        } else if (IsLiteral(text)) {
            into->mElementVector.push_back(item->Duplicate());
        } else {
            DataElement* define = GetDefine(text);
            if (!define)
                return UnableToDereference(text);
            // Defines placed inside lists must not let values grow without
            // bound, one command at a time.
            if (depth + Depth(define) > kMaxListDepth)
                return Error(kTooDeep);
            into->mElementVector.push_back(define->Duplicate());
        }
    }
    return true;
}

bool DescParser::ResolveListOrDefine(DataElement* element, ListDataElement* into)
{
    if (element->mIsList)
        return ResolveList(static_cast<ListDataElement*>(element), into);
    DataElement* define = GetDefine(static_cast<SingleDataElement*>(element)->mString);
    if (!define || !define->mIsList)
        return false;
    *into = *static_cast<ListDataElement*>(define);
    return true;
}

bool DescParser::ResolveStrings(DataElement* element, std::vector<std::string>* out)
{
    out->clear();
    ListDataElement resolved;
    const ListDataElement* list = &resolved;
    if (element->mIsList) {
        if (!ResolveList(static_cast<ListDataElement*>(element), &resolved))
            return false;
    } else {
        const std::string& name = static_cast<SingleDataElement*>(element)->mString;
        DataElement* define = GetDefine(name);
        if (!define)
            return UnableToDereference(name);
        if (!define->mIsList)
            return false;
        list = static_cast<ListDataElement*>(define);
    }
    for (const DataElement* item : list->mElementVector) {
        if (item->mIsList) {
            out->clear();
            return false;
        }
        out->push_back(static_cast<const SingleDataElement*>(item)->mString);
    }
    return true;
}

bool DescParser::ResolveInts(DataElement* element, std::vector<int>* out)
{
    out->clear();
    std::vector<std::string> strings;
    if (!ResolveStrings(element, &strings))
        return false;
    for (const std::string& s : strings) {
        int v = 0;
        if (!StringToInt(s, v))
            return false;
        out->push_back(v);
    }
    return true;
}

bool DescParser::ResolveDoubles(DataElement* element, std::vector<double>* out)
{
    out->clear();
    std::vector<std::string> strings;
    if (!ResolveStrings(element, &strings))
        return false;
    for (const std::string& s : strings) {
        double v = 0;
        if (!StringToDouble(s, v))
            return false;
        out->push_back(v);
    }
    return true;
}

} // namespace Kivo
