#pragma once
#include <cstdint>
#include <string>

// The exception every formula error raises; the code indexes the message table.
class ParserError {
public:
    ParserError(int code, const std::string& token, const std::string& formula, int32_t position);
    explicit ParserError(int code);
    virtual ~ParserError() = default;

    std::string mMessage;
    std::string mFormula;
    std::string mToken;
    int32_t mPosition = -1;
    int32_t mCode = 0;
};

// Builds the message table (idempotent; also built on first use).
void InitFormulaErrorTexts();
