#include "game/effects/LightningLine.h"

#include "framework/core/FastMath.h"
#include "framework/core/Random.h"
#include "game/effects/LightningPoint.h"

#include <algorithm>
#include <cmath>

namespace {

// Below this the two ends count as one point.
constexpr float kMinLength = 1e-3f;

} // namespace

LightningLine::LightningLine(float x1, float y1, float x2, float y2, float amplitude, int segments)
    : mAmplitude(amplitude), mSegments(std::max(segments, 2))
{
    mStartX = x1;
    mStartY = y1;
    mEndX = x2;
    mEndY = y2;
    mLength = std::hypot(x2 - x1, y2 - y1);
}

float LightningLine::Strength() { return Kivo::RandomFloat(0.6f, 1.0f) * mAmplitude; }

void LightningLine::Place(int, float sideX, float sideY, float strength, float& x, float& y)
{
    const float side = Kivo::RandomFloat(0.4f, 0.7f) * static_cast<float>(Kivo::RandomSign());
    const float along = Kivo::RandomFloat(0.05f, 0.1f) * static_cast<float>(Kivo::RandomSign());
    const float n = static_cast<float>(mSegments);
    x += sideX * strength * side + (mEndX - mStartX) / n * along;
    y += sideY * strength * side + (mEndY - mStartY) / n * along;
}

void LightningBow::Place(int i, float sideX, float sideY, float strength, float& x, float& y)
{
    const float n = static_cast<float>(mSegments);
    const float bow = Kivo::FastSin(static_cast<float>(i) / n * 3.1415f) * strength;
    const float offsetX = sideX * bow;
    const float offsetY = sideY * bow;
    const float extra = Kivo::RandomFloat(0.2f, 0.3f) * static_cast<float>(Kivo::RandomSign());
    const float along = Kivo::RandomFloat(0.05f, 0.1f) * static_cast<float>(Kivo::RandomSign());
    x += offsetX + offsetX * extra + (mEndX - mStartX) / n * along;
    y += offsetY + offsetY * extra + (mEndY - mStartY) / n * along;
}

void LightningLine::generate()
{
    clearPoints();
    mLength = std::hypot(mEndX - mStartX, mEndY - mStartY);
    addPoint(mStartX, mStartY, true);
    const float n = static_cast<float>(mSegments);
    if (mLength < kMinLength) {
        // No direction to bend across: every point on the start, and the
        // path's owner sees a dead length.
        for (int i = 1; i < mSegments; ++i)
            addPoint(mStartX, mStartY, false);
        addPoint(mStartX, mStartY, true);
        return;
    }
    const float strength = Strength();
    const float dx = (mEndX - mStartX) / mLength;
    const float dy = (mEndY - mStartY) / mLength;
    for (int i = 1; i < mSegments; ++i) {
        const float t = static_cast<float>(i) / n;
        float x = mStartX + (mEndX - mStartX) * t;
        float y = mStartY + (mEndY - mStartY) * t;
        Place(i, -dy, dx, strength, x, y);
        addPoint(x, y, false);
    }
    addPoint(mEndX, mEndY, true);
}

void LightningLine::MoveEnd(float pivotX, float pivotY, float oldX, float oldY, float newX, float newY)
{
    const float oldLength = mLength;
    if (oldLength < kMinLength) {
        // Nothing to turn or stretch: draw the path anew.
        generate();
        return;
    }
    const float alpha = Kivo::Atan2f(pivotY - oldY, pivotX - oldX);
    const float beta = Kivo::Atan2f(pivotY - newY, pivotX - newX);
    const float sinA = Kivo::FastSin(beta - alpha);
    const float cosA = Kivo::FastCos(beta - alpha);
    const float ex = pivotX - newX;
    const float ey = pivotY - newY;
    const float squared = ex * ex + ey * ey;
    const float newLength = squared > 0 ? Kivo::FastSqrt(squared) : 0;
    const float scale = newLength / oldLength;
    for (LightningPoint* point : mPoints) {
        const float x = point->mX - pivotX;
        const float y = point->mY - pivotY;
        point->setPosition(pivotX + (x * cosA - y * sinA) * scale, pivotY + (x * sinA + y * cosA) * scale);
    }
    mLength = newLength;
}

void LightningLine::setStart(float x, float y)
{
    const float oldX = mStartX;
    const float oldY = mStartY;
    mStartX = x;
    mStartY = y;
    MoveEnd(mEndX, mEndY, oldX, oldY, x, y);
}

void LightningLine::setEnd(float x, float y)
{
    const float oldX = mEndX;
    const float oldY = mEndY;
    mEndX = x;
    mEndY = y;
    MoveEnd(mStartX, mStartY, oldX, oldY, x, y);
}
