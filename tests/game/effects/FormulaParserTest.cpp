#include "game/effects/FormulaParser.h"
#include "game/effects/FormulaVariables.h"
#include "game/effects/ParserError.h"

#include <gtest/gtest.h>

namespace {

// Parses and evaluates with the given table, returning the error's code and
// position, or code -1 when the formula evaluates.
struct Outcome {
    double value = 0.0;
    int code = -1;
    int position = 0;
};

Outcome ParseAndEvaluate(const std::string& formula, FormulaVariables* table = nullptr)
{
    FormulaParser parser(formula);
    parser.mVariables = table;
    Outcome out;
    try {
        parser.Parse();
        out.value = parser.Evaluate();
    } catch (const ParserError& e) {
        out.code = e.mCode;
        out.position = e.mPosition;
    }
    return out;
}

} // namespace

TEST(FormulaParser, EvaluatesArithmeticLeftToRight)
{
    struct Case {
        const char* formula;
        double value;
    };
    const Case cases[] = {
        { "-3^2", -9 }, { "2^3^2", 64 }, { "8/2/2", 2 }, { "1+2*3", 7 }, { "(1+2)*3", 9 },
        { "10-4-3", 3 }, { "1/0.0000002", 5000000 }, { "3 4", 4 }, { "1.2.3", 1.2 }, { ".", 0 },
        { "-30", -30 }, { "5\n+1", 5 }, { "(-2)*3", -6 }, { "2x", 0 },
    };
    for (const Case& c : cases) {
        FormulaVariables table;
        table.SetVariable("x", 0);
        const Outcome out = ParseAndEvaluate(c.formula, &table);
        EXPECT_EQ(out.code, -1) << c.formula;
        EXPECT_DOUBLE_EQ(out.value, c.value) << c.formula;
    }
}

TEST(FormulaParser, ReportsErrorsWithCodeAndPosition)
{
    struct Case {
        const char* formula;
        int code;
        int position;
    };
    const Case cases[] = {
        { "2*-3", 0, 3 }, { "x=1=2", 0, 4 },   { "1\t+2", 1, 1 },  { "1 $", 1, 2 },  { "  ", 8, -1 },
        { "1/0.00000001", 9, -1 }, { "(1+2", 11, -1 }, { "1+2)", 6, 4 }, { "(3+)", 6, 4 },
        { "y", 7, -1 }, { "3=4", 4, -1 }, { "=4", 2, -1 },
    };
    for (const Case& c : cases) {
        FormulaVariables table;
        const Outcome out = ParseAndEvaluate(c.formula, &table);
        EXPECT_EQ(out.code, c.code) << c.formula;
        EXPECT_EQ(out.position, c.position) << c.formula;
    }
    EXPECT_EQ(ParseAndEvaluate("x").code, 7); // no table at all
}

TEST(FormulaParser, ErrorMessagesFillTokenAndPosition)
{
    InitFormulaErrorTexts();
    EXPECT_EQ(ParserError(0, "-", "2*-3", 3).mMessage, "Unexpected operator \"-\" found at position 3");
    EXPECT_EQ(ParserError(2).mMessage, "Unexpected end of formula at position -1");
    EXPECT_EQ(ParserError(12).mMessage, "");
}

TEST(FormulaVariables, AssignmentsPersistAndErrorsGiveZero)
{
    FormulaVariables table;
    EXPECT_EQ(table.Evaluate(""), 0.0);
    EXPECT_EQ(table.Evaluate("x = 4"), 4.0);
    EXPECT_EQ(table.Evaluate("x*2"), 8.0);
    EXPECT_EQ(table.Evaluate("y"), 0.0);
    EXPECT_EQ(table.Evaluate("1.5e3"), 0.0);
    table.SetVariable("e3", 7);
    EXPECT_EQ(table.Evaluate("1.5e3"), 7.0);
    // The value fails before anything is assigned.
    EXPECT_EQ(table.Evaluate("z = 3 + 1/0"), 0.0);
    EXPECT_EQ(table.mVariables.count("z"), 0u);
    EXPECT_EQ(table.Evaluate("X"), 0.0);
}

TEST(FormulaVariables, OverlongFormulaFailsInsteadOfOverflowingTheStack)
{
    std::string formula = "1";
    for (int i = 0; i < 200000; ++i)
        formula += "+1";
    FormulaVariables table;
    EXPECT_EQ(table.Evaluate(formula), 0.0);
    EXPECT_EQ(table.Evaluate("1+1+1"), 3.0);
}
