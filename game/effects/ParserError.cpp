#include "game/effects/ParserError.h"

#include <array>

namespace {

constexpr int kCodeCount = 12;

const std::array<std::string, kCodeCount>& ErrorTexts()
{
    static const std::array<std::string, kCodeCount> texts = {
        "Unexpected operator \"$TOK$\" found at position $POS$",
        "Undefined token \"$TOK$\" found at position $POS$.",
        "Unexpected end of formula at position $POS$",
        "Unexpected value \"$TOK$\" found at position $POS$",
        "Unexpected variable \"$TOK$\" found at position $POS$",
        "Unexpected parenthesis \"$TOK$\" at position $POS$",
        "Missing parenthesis",
        "Invalid function, variable or constant name.",
        "Expression is empty.",
        "Divide by zero",
        "Parser error.",
        "Internal error",
    };
    return texts;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

void InitFormulaErrorTexts() { ErrorTexts(); }

ParserError::ParserError(int code, const std::string& token, const std::string& formula, int32_t position)
    : mFormula(formula), mToken(token), mPosition(position), mCode(code)
{
    if (code >= 0 && code < kCodeCount)
        mMessage = ErrorTexts()[code];
    ReplaceAll(mMessage, "$TOK$", token);
    ReplaceAll(mMessage, "$POS$", std::to_string(position));
}

ParserError::ParserError(int code) : ParserError(code, "", "", -1) {}
