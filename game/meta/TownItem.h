#pragma once
// One drawable object of the town picture: the background, a building or a
// stage decoration. Its picture's named layers can be shown and hidden one
// by one; its effect manager runs the effects that show and hide it.
#include "game/effects/GfxManager.h"
#include "game/effects/LayerSet.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TiXmlElement;

namespace Kivo {
class Graphics;
}

class TownItem {
public:
    enum Type : int32_t { kNone = 0, kBackground = 1, kBuilding = 2, kStage = 3 };

    TownItem();
    virtual ~TownItem();
    TownItem(const TownItem&) = delete;
    TownItem& operator=(const TownItem&) = delete;

    // Applies an "Object" element; true when the item has a picture.
    bool Load(TiXmlElement* element);

    virtual void Update();
    virtual void UpdateF(float dt);
    // Draws the picture when shown, then the effects, which may draw a
    // hidden item while it fades in.
    virtual void Draw(Kivo::Graphics* g);

    // A path is layer names joined by ":"; it addresses the children named
    // like its last name inside the layer the other names lead to. A path
    // that does not resolve reads as not visible.
    bool IsLayerVisible(const std::string& path);
    void SetLayerVisible(const std::string& path, bool shown);
    ComplexImage* GetLayerContainer(const std::string& path);

    // Splits at every ":", keeping empty pieces.
    static std::vector<std::string> SplitPath(const std::string& path);
    static ComplexImage* FindLayerContainer(LayerSet* picture, const std::vector<std::string>& names);

    std::string id;
    std::string name;
    std::string description;
    int32_t type = kNone;
    bool shown = true;
    bool initiallyShown = true;
    std::unique_ptr<LayerSet> picture;
    // Declared after the picture so that it goes first: running effects
    // may still point into the picture.
    GfxManager effects;
};
