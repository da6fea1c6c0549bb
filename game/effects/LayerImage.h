#pragma once
// One image layer, plain or animated. In smooth mode a cel the animation has
// just left stays beneath the new one and fades out.
#include "game/effects/ComplexImage.h"

#include <vector>

namespace Kivo {
class Image;
}

class LayerImage : public ComplexImage {
public:
    struct FadingCel {
        int mCel;
        float mAlpha;
    };

    void Draw(Kivo::Graphics* g, int x, int y) override;
    void DrawForced(Kivo::Graphics* g, int x, int y) override;
    void Tick() override;
    void Update(float dt) override;
    int GetWidth() override;
    int GetHeight() override;
    int GetLayerCount() override { return 1; }
    ComplexImage* FindLayer(const std::string& name) override { return name == mName ? this : nullptr; }
    ComplexImage* GetLayer(int index) override { return index < 1 ? this : nullptr; }
    bool Load(TiXmlElement* element) override;

    Kivo::Image* mImage = nullptr; // owned by the resource manager
    int mDrawMode = 0;
    bool mAnimated = false;
    int mAnimTime = 0;
    bool mSmoothAnimation = false;
    float mSmoothAnimationSpeed = 0.02f;
    std::vector<FadingCel> mFadingCels;
};
