#include "game/effects/TokenReader.h"

#include "game/effects/FormulaParser.h"

#include <cstring>

namespace {

const char kDigits[] = "0123456789.";
const char kNameChars[] = "0123456789_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

size_t RunOf(const std::string& text, size_t pos, const char* set)
{
    size_t end = pos;
    while (end < text.size() && text[end] != '\0' && std::strchr(set, text[end]))
        ++end;
    return end;
}

} // namespace

Token TokenReader::Next()
{
    const std::string& text = mParser->mFormula;
    uint32_t& pos = mParser->mPosition;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    if (pos >= text.size() || text[pos] == '\0' || text[pos] == '\n')
        return Token(Token::End, "");
    for (int type = 0; type < kOperatorCount; ++type) {
        const char* op = kOperatorTexts[type];
        if (text.compare(pos, std::strlen(op), op) == 0) {
            pos += static_cast<uint32_t>(std::strlen(op));
            return Token(type, op);
        }
    }
    for (auto [set, type] : { std::pair{ kDigits, int(Token::Value) }, std::pair{ kNameChars, int(Token::Variable) } }) {
        const size_t end = RunOf(text, pos, set);
        if (end > pos) {
            Token token(type, text.substr(pos, end - pos));
            pos = static_cast<uint32_t>(end);
            return token;
        }
    }
    return Token();
}
