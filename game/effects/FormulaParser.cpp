#include "game/effects/FormulaParser.h"

#include "game/effects/FormulaVariables.h"
#include "game/effects/ParserError.h"
#include "game/effects/TokenReader.h"

#include <cmath>

namespace {

// Each operator of the formula nests one evaluation call; a formula longer
// than any script needs fails instead of exhausting the stack.
constexpr int kMaxDepth = 2000;

bool IsArithmetic(int type) { return type >= Token::Add && type <= Token::Power; }

} // namespace

void FormulaParser::SetFormula(const std::string& formula)
{
    mFormula = formula;
    mPosition = 0;
}

void FormulaParser::Fail(int code, const std::string& token) const
{
    throw ParserError(code, token, mFormula, static_cast<int32_t>(mPosition));
}

bool FormulaParser::Parse()
{
    mOperators.Clear();
    mOutput.Clear();
    mPosition = 0;
    TokenReader reader(this);
    bool operandSeen = false;
    bool lastWasOperator = false;
    bool assignmentSeen = false;
    for (;;) {
        Token token = reader.Next();
        const int type = token.mType;
        if (IsArithmetic(type)) {
            if (!operandSeen) {
                mOutput.Push(Token(0.0, ""));
                operandSeen = true;
            }
            if (lastWasOperator)
                Fail(0, token.Text());
            lastWasOperator = true;
        } else if (type == Token::OpenParen) {
            operandSeen = false;
            lastWasOperator = false;
        } else if (type == Token::CloseParen) {
            if (lastWasOperator)
                Fail(6, token.Text());
            operandSeen = true;
            lastWasOperator = false;
        } else if (type == Token::Assign) {
            if (assignmentSeen)
                Fail(0, token.Text());
            assignmentSeen = true;
            operandSeen = false;
            lastWasOperator = false;
        } else if (type == Token::Variable || type == Token::Value) {
            operandSeen = true;
            lastWasOperator = false;
        } else if (type == Token::Undefined) {
            Fail(1, token.Text());
        } else if (type > Token::Undefined) {
            Fail(11, token.Text());
        }

        switch (type) {
        case Token::End:
            while (!mOperators.Empty())
                mOutput.Push(mOperators.Pop());
            return true;
        case Token::Variable:
        case Token::Value: mOutput.Push(token); break;
        case Token::OpenParen: mOperators.Push(token); break;
        case Token::CloseParen:
            for (;;) {
                if (mOperators.Empty())
                    Fail(6, token.Text());
                if (mOperators.Top().mType == Token::OpenParen)
                    break;
                mOutput.Push(mOperators.Pop());
            }
            mOperators.Pop();
            break;
        default:
            while (!mOperators.Empty() && operatorPrecedence(mOperators.Top().mType) >= operatorPrecedence(type))
                mOutput.Push(mOperators.Pop());
            mOperators.Push(token);
            break;
        }
    }
}

double FormulaParser::Evaluate()
{
    if (mOutput.Empty())
        throw ParserError(8);
    return EvaluateNext(0);
}

double FormulaParser::EvaluateNext(int depth)
{
    if (mOutput.Empty())
        throw ParserError(2);
    if (depth > kMaxDepth)
        throw ParserError(11);
    const Token token = mOutput.Pop();
    switch (token.mType) {
    case Token::Add:
    case Token::Subtract:
    case Token::Multiply:
    case Token::Divide:
    case Token::Power: {
        const double right = EvaluateNext(depth + 1);
        const double left = EvaluateNext(depth + 1);
        switch (token.mType) {
        case Token::Add: return left + right;
        case Token::Subtract: return left - right;
        case Token::Multiply: return left * right;
        case Token::Divide:
            if (std::fabs(right) < 1e-07)
                throw ParserError(9, "/", mFormula, -1);
            return left / right;
        default: return std::pow(left, right);
        }
    }
    case Token::Assign: {
        const double value = EvaluateNext(depth + 1);
        if (mOutput.Empty())
            throw ParserError(2);
        const Token target = mOutput.Pop();
        if (target.mType != Token::Variable)
            throw ParserError(4, target.Text(), mFormula, -1);
        if (mVariables)
            mVariables->SetVariable(target.mText, value);
        return value;
    }
    case Token::Variable: {
        if (!mVariables)
            throw ParserError(7);
        auto found = mVariables->mVariables.find(token.mText);
        if (found == mVariables->mVariables.end())
            throw ParserError(7);
        return found->second;
    }
    case Token::Value: return token.mValue;
    default: throw ParserError(11);
    }
}
