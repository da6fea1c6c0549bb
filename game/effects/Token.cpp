#include "game/effects/Token.h"

#include <cstdlib>
#include <sstream>

Token::Token(int type, const std::string& text) { Set(type, text); }

Token::Token(double value, const std::string& text) : mType(Value), mText(text), mValue(value) {}

void Token::Set(int type, const std::string& text)
{
    mType = type;
    mText = text;
    if (type == Value)
        mValue = std::atof(text.c_str());
}

std::string Token::Text() const
{
    if (mType != Value)
        return mText;
    std::ostringstream out;
    out << mValue;
    return out.str();
}

int operatorPrecedence(int type)
{
    switch (type) {
    case Token::Add:
    case Token::Subtract: return 3;
    case Token::Multiply:
    case Token::Divide: return 4;
    case Token::Power: return 5;
    case Token::OpenParen: return 1;
    case Token::CloseParen: return 2;
    case Token::Assign: return -1;
    default: return 0;
    }
}
