#include "game/effects/GfxManager.h"

#include "game/effects/gfxBase.h"

#include "framework/graphics/Graphics.h"

GfxManager::~GfxManager()
{
    clearEffects();
}

void GfxManager::addEffect(gfxBase* effect, bool atFront)
{
    if (atFront)
        mEffects.push_front(effect);
    else
        mEffects.push_back(effect);
}

void GfxManager::processEffects()
{
    auto it = mEffects.begin();
    while (it != mEffects.end()) {
        gfxBase* effect = *it;
        if (!effect) {
            it = mEffects.erase(it);
            continue;
        }
        if (!effect->mStarted) {
            if (!effect->start()) {
                // An effect may have queued follow-ups in a failed start;
                // they go with it.
                it = mEffects.erase(it);
                delete effect;
                continue;
            }
            effect->mStarted = 1;
        }
        int result = effect->process();
        auto behind = std::next(it);
        while (gfxBase* next = effect->popNext())
            mEffects.insert(behind, next);
        // The walk goes on with the first spliced follow-up, if any.
        auto after = std::next(it);
        if (result == -2)
            return;
        if (result == -1) {
            mEffects.erase(it);
            delete effect;
        }
        it = after;
    }
}

void GfxManager::updateEffects(float frac)
{
    for (gfxBase* effect : mEffects)
        if (effect && effect->mStarted)
            effect->update(frac);
}

void GfxManager::drawEffects(Kivo::Graphics* g)
{
    for (gfxBase* effect : mEffects)
        if (effect && effect->mStarted)
            effect->draw(g);
}

void GfxManager::clearEffects()
{
    // Destructors of effects may reach back into the manager; empty the list
    // first.
    std::list<gfxBase*> effects;
    effects.swap(mEffects);
    for (gfxBase* effect : effects)
        delete effect;
}

bool GfxManager::removeEffectsByName(const std::string& name)
{
    bool removed = false;
    for (auto it = mEffects.begin(); it != mEffects.end();) {
        if (*it && (*it)->name() == name) {
            delete *it;
            it = mEffects.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    return removed;
}

bool GfxManager::sendEffectMessage(const std::string& name, const std::string& message)
{
    bool found = false;
    for (gfxBase* effect : mEffects) {
        if (effect && effect->name() == name) {
            effect->onMessage(message);
            found = true;
        }
    }
    return found;
}
