#pragma once
// A lightning path: owned points in path order between a start and an end.
// update() takes the owner's frame fraction (10 ms steps). LightningDraw
// draws each segment as a stretched, turned image in additive mode.
#include <vector>

namespace Kivo {
class Graphics;
}

class LightningPoint;

class LightningBase {
public:
    LightningBase() = default;
    LightningBase(const LightningBase&) = delete;
    LightningBase& operator=(const LightningBase&) = delete;
    virtual ~LightningBase();

    virtual int getType() const { return 0; }
    virtual void generate() {}
    virtual void update(float dt);
    virtual void draw(Kivo::Graphics* g);
    virtual void setStart(float x, float y);
    virtual void setEnd(float x, float y);
    virtual void drawSegments(Kivo::Graphics* g, int index, float x1, float y1, float x2, float y2);
    virtual void addPoint(float x, float y, bool frozen);
    virtual LightningPoint* createPoint(float x, float y, bool frozen);

    void clearPoints();

    std::vector<LightningPoint*> mPoints;
    float mStartX = 0;
    float mStartY = 0;
    float mEndX = 0;
    float mEndY = 0;
    float mLength = 0;
};

class LightningDraw : public LightningBase {
public:
    void draw(Kivo::Graphics* g) override;
    void drawSegments(Kivo::Graphics* g, int index, float x1, float y1, float x2, float y2) override;
};
