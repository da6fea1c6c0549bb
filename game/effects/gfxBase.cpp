#include "game/effects/gfxBase.h"

gfxBase::~gfxBase()
{
    for (gfxBase* effect : mNext)
        delete effect;
}

void gfxBase::addNext(gfxBase* effect)
{
    if (effect)
        mNext.push_back(effect);
}

gfxBase* gfxBase::popNext()
{
    if (mNext.empty())
        return nullptr;
    gfxBase* effect = mNext.front();
    mNext.pop_front();
    return effect;
}
