#include "game/effects/LightningFigure.h"

#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "game/effects/LightningLine.h"
#include "game/match/EnergyOutline.h"

LightningFigure::LightningFigure(Kivo::Image* image, int count) : ImageEdger(image)
{
    if (mImage && count > 0)
        mElements.resize(static_cast<size_t>(count));
}

LightningFigure::~LightningFigure()
{
    for (Element& element : mElements)
        delete element.mLightning;
}

void LightningFigure::MakeElement(Element& element)
{
    const int kind = mLineCount < 2 ? Kivo::RandomInt(1, 2) : 1;
    const float radius = static_cast<float>(mRadius);
    element.mA = Kivo::RandomFloat(0, 6.283185f);
    element.mB = element.mA + (kind == 2 ? Kivo::RandomFloat(25, 35) : Kivo::RandomFloat(15, 25)) / radius;
    float x1, y1, x2, y2;
    castRay(element.mA, x1, y1);
    castRay(element.mB, x2, y2);
    if (element.mLightning && element.mLightning->getType() == 2)
        --mLineCount;
    delete element.mLightning;
    if (kind == 2) {
        element.mLightning = new LightningLine(x1, y1, x2, y2, Kivo::RandomFloat(2.0f, 3.0f), 5);
        element.mLightning->generate();
        element.mSpeedA = Kivo::RandomFloat(1.5f, 2.0f) * static_cast<float>(Kivo::RandomSign());
        element.mSpeedB = Kivo::RandomFloat(-0.2f, 0.2f) - element.mSpeedA;
        ++mLineCount;
    } else {
        element.mLightning = new LightningBow(x1, y1, x2, y2, Kivo::RandomFloat(3.0f, 5.0f), 4);
        element.mLightning->generate();
        element.mSpeedA = Kivo::RandomFloat(0.6f, 1.0f) * static_cast<float>(Kivo::RandomSign());
        element.mSpeedB = Kivo::RandomFloat(-0.4f, 0.4f) + element.mSpeedA;
    }
    element.mLife = Kivo::RandomFloat(0.8f, 1.5f);
}

void LightningFigure::update(float dt)
{
    for (Element& element : mElements) {
        if (element.mLife <= 0) {
            MakeElement(element);
            continue;
        }
        element.mLightning->update(dt);
        const float t = dt * 0.01f;
        element.mA += element.mSpeedA * t;
        element.mB += element.mSpeedB * t;
        float x1, y1, x2, y2;
        const bool hitA = castRay(element.mA, x1, y1);
        const bool hitB = castRay(element.mB, x2, y2);
        element.mLightning->setStart(x1, y1);
        element.mLightning->setEnd(x2, y2);
        if (element.mLightning->mLength >= 0.1f && hitA && hitB)
            element.mLife -= t;
        else
            element.mLife = -t;
    }
}

void LightningFigure::drawAt(Kivo::Graphics* g, float x, float y)
{
    g->TranslateF(x, y);
    for (Element& element : mElements)
        if (element.mLightning)
            element.mLightning->draw(g);
    g->TranslateF(-x, -y);
}

namespace {

class FigureOutline : public EnergyOutline {
public:
    explicit FigureOutline(Kivo::Image* mask) : mFigure(mask, 2) {}
    void Update(float dt) override { mFigure.update(dt); }
    void DrawAt(Kivo::Graphics* g, float x, float y) override { mFigure.drawAt(g, x, y); }

private:
    LightningFigure mFigure;
};

} // namespace

void InstallEnergyOutlines()
{
    SetEnergyOutlineMaker([](Kivo::Image* mask) -> EnergyOutline* { return new FigureOutline(mask); });
}
