#pragma once
// The effects that make town items and their layers appear and disappear,
// run in the item's own effect manager. While an effect draws the whole
// item, the item's shown flag is false, so that the item itself draws
// nothing; the effect sets the flag when it ends. Times count in units of
// the dt given to update (one per 10 ms update).
#include "framework/graphics/LiveValue.h"
#include "game/effects/gfxBase.h"

#include <string>
#include <vector>

class ComplexImage;
class TownItem;

// The whole item fades in or out over 50 units.
class GfxTownItemVisible : public gfxBase {
public:
    GfxTownItemVisible(TownItem* item, bool show);
    bool start() override;
    int process() override;
    void update(float dt) override;
    void draw(Kivo::Graphics* g) override;

    TownItem* mItem;
    Kivo::LiveValue mAlpha;
};

// The layers a path addresses fade in or out over 50 units. Only made for
// a path that resolves.
class GfxTownItemLayerVisible : public gfxBase {
public:
    GfxTownItemLayerVisible(TownItem* item, const std::string& path, bool show);
    bool start() override;
    int process() override;
    void update(float dt) override;
    void draw(Kivo::Graphics* g) override;

    std::string mLayerName;
    ComplexImage* mContainer;
    TownItem* mItem;
    Kivo::LiveValue mAlpha;
    int mX = 0;
    int mY = 0;

private:
    std::vector<ComplexImage*> Layers() const;
};

// What the falling and growing effects share: the item, its construction
// look (else its finished look), and the picture's position.
class GfxTownItemBuild : public gfxBase {
public:
    explicit GfxTownItemBuild(TownItem* item);

    TownItem* mItem;
    ComplexImage* mLayer;
    int mX = 0;
    int mY = 0;
};

// The layer drops from above the screen onto its place, faster and faster.
class GfxTownItemFall : public GfxTownItemBuild {
public:
    using GfxTownItemBuild::GfxTownItemBuild;
    bool start() override;
    int process() override;
    void update(float dt) override;
    void draw(Kivo::Graphics* g) override;

    float mSpeed = 0.15f;
    float mCurrentY = 0;
};

// Each part of the construction look drops on its own; when the last has
// landed the building blends into its finished look.
class GfxTownItemFallParts : public GfxTownItemBuild {
public:
    struct Part {
        ComplexImage* layer;
        int x;
        int targetY;
        float speed;
        float currentY;
        float acceleration;
        bool landed;
    };

    using GfxTownItemBuild::GfxTownItemBuild;
    bool start() override;
    int process() override;
    void update(float dt) override;
    void draw(Kivo::Graphics* g) override;

    std::vector<Part> mParts;
};

// The building rises out of the ground over 125 units.
class GfxTownItemGrow : public GfxTownItemBuild {
public:
    using GfxTownItemBuild::GfxTownItemBuild;
    bool start() override;
    int process() override;
    void update(float dt) override;
    void draw(Kivo::Graphics* g) override;

    float mT = 0;
};

// A cross-fade from one layer of the item to another over 50 units.
class GfxTownItemMorph : public gfxBase {
public:
    GfxTownItemMorph(TownItem* item, ComplexImage* from, ComplexImage* to);
    bool start() override;
    int process() override;
    void update(float dt) override;
    void draw(Kivo::Graphics* g) override;

    TownItem* mItem;
    ComplexImage* mFrom;
    ComplexImage* mTo;
    float mT = 0;
};
