#pragma once
#include "game/effects/TokenStack.h"

#include <cstdint>
#include <string>

class FormulaVariables;

// Turns a formula into reverse Polish order (shunting-yard) and evaluates it
// against an optional variable table, which it does not own. Errors throw
// ParserError.
class FormulaParser {
public:
    explicit FormulaParser(const std::string& formula) : mFormula(formula) {}
    virtual ~FormulaParser() = default;

    void SetFormula(const std::string& formula);
    bool Parse();
    double Evaluate();

    std::string mFormula;
    uint32_t mPosition = 0;
    TokenStack mOperators;
    TokenStack mOutput;
    FormulaVariables* mVariables = nullptr;

private:
    double EvaluateNext(int depth);
    void Fail(int code, const std::string& token) const;
};
