#pragma once
// Small bows and lines that crawl round the outline of a mask image, each
// living a short while and then made anew elsewhere: the energy outline of a
// brick. At most two of the elements are lines at a time.
#include "game/effects/ImageEdger.h"

#include <vector>

class LightningBase;

class LightningFigure : public ImageEdger {
public:
    struct Element {
        LightningBase* mLightning = nullptr; // owned
        float mA = 0;                        // ends on the outline, radians
        float mB = 0;
        float mSpeedA = 0;
        float mSpeedB = 0;
        float mLife = 0;
    };

    // `count` empty elements; none without a memory image.
    LightningFigure(Kivo::Image* image, int count);
    ~LightningFigure() override;

    // dt: the owner's frame fraction.
    void update(float dt);
    void drawAt(Kivo::Graphics* g, float x, float y);

    std::vector<Element> mElements;
    int mLineCount = 0;

private:
    void MakeElement(Element& element);
};

// Lets energised bricks draw a figure of two elements round their mask.
void InstallEnergyOutlines();
