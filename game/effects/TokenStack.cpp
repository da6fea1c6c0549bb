#include "game/effects/TokenStack.h"

Token TokenStack::Pop()
{
    Token top = std::move(mTokens.back());
    mTokens.pop_back();
    return top;
}
