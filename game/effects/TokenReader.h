#pragma once
#include "game/effects/Token.h"

class FormulaParser;

// Reads the parser's formula from the parser's position, advancing it.
class TokenReader {
public:
    explicit TokenReader(FormulaParser* parser) : mParser(parser) {}
    virtual ~TokenReader() = default;

    Token Next();

private:
    FormulaParser* mParser;
};
