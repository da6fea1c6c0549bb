#pragma once
#include "game/effects/Token.h"

#include <deque>

class TokenStack {
public:
    virtual ~TokenStack() = default;

    bool Empty() const { return mTokens.empty(); }
    void Clear() { mTokens.clear(); }
    void Push(const Token& token) { mTokens.push_back(token); }
    const Token& Top() const { return mTokens.back(); }
    Token Pop();

private:
    std::deque<Token> mTokens;
};
