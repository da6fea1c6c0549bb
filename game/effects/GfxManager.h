#pragma once
// An ordered list of owned effects: processing order and drawing order
// (later entries on top).
#include <list>
#include <string>

class gfxBase;

namespace Kivo {
class Graphics;
}

class GfxManager {
public:
    GfxManager() = default;
    GfxManager(const GfxManager&) = delete;
    GfxManager& operator=(const GfxManager&) = delete;
    virtual ~GfxManager();

    void addEffect(gfxBase* effect, bool atFront = false);
    void processEffects();
    void updateEffects(float frac);
    void drawEffects(Kivo::Graphics* g);
    void clearEffects();
    bool removeEffectsByName(const std::string& name);
    bool sendEffectMessage(const std::string& name, const std::string& message);
    bool empty() const { return mEffects.empty(); }
    size_t size() const { return mEffects.size(); }

    std::list<gfxBase*> mEffects;
};
