// Evaluates arbitrary text as a formula, once against a table holding a few
// variables. Any fault must surface as a ParserError, never as a crash; the
// table keeps whatever the formula assigned.
#include "game/effects/FormulaParser.h"
#include "game/effects/FormulaVariables.h"
#include "game/effects/ParserError.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    FormulaVariables table;
    table.SetVariable("x", 2);
    table.SetVariable("cx", 28);
    table.Evaluate(text);

    FormulaParser parser(text);
    try {
        parser.Parse();
        parser.Evaluate();
    } catch (const ParserError& e) {
        if (e.mCode < 0 || e.mCode > 11)
            __builtin_trap();
    }
    return 0;
}
