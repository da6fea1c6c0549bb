#pragma once
// A group of layers, loaded from a "Layer" element. The first child in the
// file is drawn last, on top.
#include "game/effects/ComplexImage.h"

#include <map>
#include <vector>

class LayerSet : public ComplexImage {
public:
    ~LayerSet() override;

    void Draw(Kivo::Graphics* g, int x, int y) override;
    void DrawForced(Kivo::Graphics* g, int x, int y) override;
    void Tick() override;
    void Update(float dt) override;
    int GetWidth() override { return mWidth; }
    int GetHeight() override { return mHeight; }
    int GetLayerCount() override { return static_cast<int>(mChildren.size()); }
    ComplexImage* FindLayer(const std::string& name) override;
    ComplexImage* GetLayer(int index) override;
    bool Load(TiXmlElement* element) override;

    std::vector<ComplexImage*> mChildren; // owned, in file order
    std::map<std::string, ComplexImage*> mByName;
    int mWidth = -1;
    int mHeight = -1;
};
