#pragma once
// A lightning between two ends: a zigzag line or a bow, of a given number of
// segments (at least 2). Moving one end turns and stretches the path about
// the other.
#include "game/effects/LightningBase.h"

class LightningLine : public LightningDraw {
public:
    LightningLine(float x1, float y1, float x2, float y2, float amplitude, int segments);

    int getType() const override { return 2; }
    void generate() override;
    void setStart(float x, float y) override;
    void setEnd(float x, float y) override;

    float mAmplitude;
    int mSegments;

protected:
    // The sideways offset of inner point i from its place on the straight
    // path; `side` is the unit normal.
    virtual void Place(int i, float sideX, float sideY, float strength, float& x, float& y);
    // The random factor of the sideways offsets, drawn once per generation.
    virtual float Strength();

private:
    // Turns and stretches every point about the pivot so that the end at
    // (oldX, oldY) comes to (newX, newY).
    void MoveEnd(float pivotX, float pivotY, float oldX, float oldY, float newX, float newY);
};

class LightningBow : public LightningLine {
public:
    using LightningLine::LightningLine;

    int getType() const override { return 1; }

protected:
    void Place(int i, float sideX, float sideY, float strength, float& x, float& y) override;
};
