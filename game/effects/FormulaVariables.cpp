#include "game/effects/FormulaVariables.h"

#include "game/effects/FormulaParser.h"
#include "game/effects/ParserError.h"

double FormulaVariables::Evaluate(const std::string& formula)
{
    if (formula.empty())
        return 0.0;
    FormulaParser parser(formula);
    parser.mVariables = this;
    try {
        parser.Parse();
        return parser.Evaluate();
    } catch (const ParserError&) {
        return 0.0;
    }
}

void FormulaVariables::SetVariable(const std::string& name, double value) { mVariables[name] = value; }
