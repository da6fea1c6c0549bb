#pragma once
#include <string>

// One lexical unit of a formula. The type is the index of the operator text
// in kOperatorTexts for operators, else one of the kinds below.
class Token {
public:
    enum Type {
        Add = 0, Subtract, Multiply, Divide, Power, OpenParen, CloseParen, Assign,
        Variable = 8, Value = 9, End = 10, Undefined = 11
    };

    Token() = default;
    // A value token's value is the atof of its text.
    Token(int type, const std::string& text);
    Token(double value, const std::string& text);
    virtual ~Token() = default;

    void Set(int type, const std::string& text);
    // A value token prints its value; any other token gives its text.
    std::string Text() const;

    int mType = Undefined;
    std::string mText;
    double mValue = 0.0;
};

// The operator texts, indexed by token type.
constexpr const char* kOperatorTexts[] = { "+", "-", "*", "/", "^", "(", ")", "=" };
constexpr int kOperatorCount = 8;

int operatorPrecedence(int type);
