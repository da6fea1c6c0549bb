#pragma once
// What the town needs of the layered pictures and timed effects that its
// items use. The effects module implements these and installs its host with
// SetTownGfxHost; without a host no item picture loads, so the town is empty.
#include <memory>
#include <string>

class TiXmlElement;
class TownItem;

namespace Kivo {
class Graphics;
}

// One layer of an item's picture: a set of named child layers, or a leaf.
class TownLayer {
public:
    virtual ~TownLayer() = default;
    virtual const std::string& GetName() const = 0;
    virtual bool IsShown() const = 0;
    virtual void SetShown(bool shown) = 0;
    virtual int GetChildCount() const = 0;
    // Null when the index is out of range.
    virtual TownLayer* GetChild(int index) = 0;
    // The first child of that name, or null.
    virtual TownLayer* FindByName(const std::string& name) = 0;
};

// The root layer set of an item.
class TownPicture : public TownLayer {
public:
    // Reads a "Layer" element with its child layers, images and particles;
    // false when the element gives nothing that can be drawn.
    virtual bool Load(const TiXmlElement* layer) = 0;
    virtual void Update() = 0;
    virtual void UpdateF(float dt) = 0;
    // Draws when shown, children honouring their own shown flags.
    virtual void Draw(Kivo::Graphics* g, int x, int y) = 0;
};

enum class TownEffectKind {
    Visible,      // the item fades to shown / hidden
    LayerVisible, // the item's layers at a path fade to shown / hidden
    Fall,         // a building falls into place
    FallParts,    // its construction parts fall one by one
    Grow,         // a building grows out of the ground
};

// An item's effect manager.
class TownEffects {
public:
    virtual ~TownEffects() = default;
    // Adds an effect at the back. With a delay above 0 (seconds) the effect
    // is released only after that delay; path is used by LayerVisible and
    // show by Visible and LayerVisible.
    virtual void Add(TownEffectKind kind, TownItem* item, const std::string& path, bool show,
                     float delay) = 0;
    // Per tick: starts new effects, processes them, deletes finished ones.
    virtual void Process() = 0;
    virtual void Update(float dt) = 0;
    virtual void Draw(Kivo::Graphics* g) = 0;
    // Deletes every effect, running or waiting.
    virtual void Clear() = 0;
};

class TownGfxHost {
public:
    virtual ~TownGfxHost() = default;
    virtual std::unique_ptr<TownPicture> CreatePicture() = 0;
    virtual std::unique_ptr<TownEffects> CreateEffects() = 0;
};

void SetTownGfxHost(TownGfxHost* host);
TownGfxHost* GetTownGfxHost();
