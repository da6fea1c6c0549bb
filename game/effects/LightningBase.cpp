#include "game/effects/LightningBase.h"

#include "framework/core/FastMath.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/effects/LightningPoint.h"

#include <cmath>
#include <numbers>

LightningBase::~LightningBase() { clearPoints(); }

void LightningBase::clearPoints()
{
    for (LightningPoint* point : mPoints)
        delete point;
    mPoints.clear();
}

void LightningBase::update(float dt)
{
    for (LightningPoint* point : mPoints)
        point->update(dt * 0.01f);
}

void LightningBase::draw(Kivo::Graphics* g)
{
    for (size_t i = 0; i + 1 < mPoints.size(); ++i)
        drawSegments(g, static_cast<int>(i), mPoints[i]->getX(), mPoints[i]->getY(), mPoints[i + 1]->getX(),
                     mPoints[i + 1]->getY());
}

void LightningBase::setStart(float x, float y)
{
    mStartX = x;
    mStartY = y;
}

void LightningBase::setEnd(float x, float y)
{
    mEndX = x;
    mEndY = y;
}

void LightningBase::drawSegments(Kivo::Graphics* g, int, float x1, float y1, float x2, float y2)
{
    g->DrawLine(static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2), static_cast<int>(y2));
}

void LightningBase::addPoint(float x, float y, bool frozen) { mPoints.push_back(createPoint(x, y, frozen)); }

LightningPoint* LightningBase::createPoint(float x, float y, bool frozen)
{
    return new LightningPointLive(x, y, frozen);
}

void LightningDraw::draw(Kivo::Graphics* g)
{
    g->SetDrawMode(Kivo::DRAWMODE_ADDITIVE);
    LightningBase::draw(g);
    g->SetDrawMode(Kivo::DRAWMODE_NORMAL);
}

void LightningDraw::drawSegments(Kivo::Graphics* g, int index, float x1, float y1, float x2, float y2)
{
    Kivo::Image* const line = GetImageById("IMAGE_GFX_LIGHTNING_LINE");
    Kivo::Image* const centre = GetImageById("IMAGE_GFX_LIGHTNING_LINE_CENTER");
    if (!centre || centre->GetWidth() <= 0)
        return;
    const float width = static_cast<float>(centre->GetWidth());
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    const float angle = std::atan2(dx, dy) + std::numbers::pi_v<float> / 2;
    const float length = static_cast<float>(Kivo::IntSqrt(static_cast<int>(dx * dx) + static_cast<int>(dy * dy)));
    // The ends of the path take the bright centre image, the rest the thin line.
    const bool end = index == 0 || index == static_cast<int>(mPoints.size()) - 2;
    Kivo::Image* image = end ? centre : line;
    if (!image)
        return;
    Kivo::Transform t;
    if (end)
        t.Scale(length / width * 4.5f, 0.4f);
    else
        t.Scale(length / width * 2, 0.12f);
    t.Rotate(angle);
    t.Translate((x1 + x2) / 2, (y1 + y2) / 2);
    g->DrawImageTransform(image, t, 0, 0);
}
