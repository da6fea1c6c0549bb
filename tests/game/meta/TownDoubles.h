#pragma once
// Stand-ins for the layered pictures and effect managers of town items. A
// picture builds its layer tree from the "Layer" element: nested "Layer"
// elements become sets, "Image" and "Particles" elements leaves; a leaf
// loads when its id is present and does not begin with "missing", a set
// when one of its children loads. Effects only record what was added.
#include "game/meta/TownGfx.h"
#include "game/meta/TownItem.h"

#include <memory>
#include <string>
#include <tinyxml.h>
#include <vector>

namespace towntest {

class FakeLayer : public TownPicture {
public:
    const std::string& GetName() const override { return name; }
    bool IsShown() const override { return shown; }
    void SetShown(bool s) override { shown = s; }
    int GetChildCount() const override { return static_cast<int>(children.size()); }
    TownLayer* GetChild(int i) override
    {
        return i >= 0 && i < GetChildCount() ? children[static_cast<size_t>(i)].get() : nullptr;
    }
    TownLayer* FindByName(const std::string& n) override
    {
        for (auto& c : children)
            if (c->name == n)
                return c.get();
        return nullptr;
    }
    bool Load(const TiXmlElement* e) override
    {
        const char* n = e->Attribute("name");
        name = n ? n : "";
        for (const TiXmlElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement()) {
            auto child = std::make_unique<FakeLayer>();
            std::string kind = c->Value();
            if (kind == "Layer") {
                if (!child->Load(c))
                    continue;
            } else if (kind == "Image" || kind == "Particles") {
                const char* id = c->Attribute("id");
                if (!id || std::string(id).rfind("missing", 0) == 0)
                    continue;
                const char* cn = c->Attribute("name");
                child->name = cn ? cn : "";
            } else {
                continue;
            }
            children.push_back(std::move(child));
        }
        return !children.empty();
    }
    void Update() override {}
    void UpdateF(float) override {}
    void Draw(Kivo::Graphics*, int, int) override
    {
        if (drawLog && shown)
            drawLog->push_back(name);
    }

    // Where drawn pictures record their root layer's name, when set.
    static inline std::vector<std::string>* drawLog = nullptr;
    std::string name;
    bool shown = true;
    std::vector<std::unique_ptr<FakeLayer>> children;
};

struct AddedEffect {
    TownEffectKind kind;
    std::string item;
    std::string path;
    bool show;
    float delay;
};

class FakeEffects : public TownEffects {
public:
    explicit FakeEffects(std::vector<AddedEffect>* log) : log(log) {}
    void Add(TownEffectKind kind, TownItem* item, const std::string& path, bool show, float delay) override
    {
        log->push_back({kind, item->id, path, show, delay});
        ++count;
    }
    void Process() override {}
    void Update(float) override {}
    void Draw(Kivo::Graphics*) override
    {
        if (FakeLayer::drawLog)
            FakeLayer::drawLog->push_back("effects");
    }
    void Clear() override { count = 0; }

    std::vector<AddedEffect>* log;
    int count = 0;
};

class FakeGfxHost : public TownGfxHost {
public:
    FakeGfxHost() { SetTownGfxHost(this); }
    ~FakeGfxHost() override { SetTownGfxHost(nullptr); }
    std::unique_ptr<TownPicture> CreatePicture() override { return std::make_unique<FakeLayer>(); }
    std::unique_ptr<TownEffects> CreateEffects() override { return std::make_unique<FakeEffects>(&added); }

    std::vector<AddedEffect> added;
};

} // namespace towntest
