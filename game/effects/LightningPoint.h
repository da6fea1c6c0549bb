#pragma once
// Points of a lightning path. A live point jitters about its place: its
// offset drifts at a speed that turns back towards the place now and then.
class LightningPoint {
public:
    LightningPoint(float x, float y) : mX(x), mY(y) {}
    LightningPoint(const LightningPoint&) = delete;
    LightningPoint& operator=(const LightningPoint&) = delete;
    virtual ~LightningPoint() = default;

    virtual void setPosition(float x, float y)
    {
        mX = x;
        mY = y;
    }
    virtual void update(float) {}
    virtual float getX() const { return mX; }
    virtual float getY() const { return mY; }

    float mX;
    float mY;
};

class LightningPointLive : public LightningPoint {
public:
    LightningPointLive(float x, float y, bool frozen);

    // dt in seconds.
    void update(float dt) override;
    float getX() const override { return mX + mOffsetX; }
    float getY() const override { return mY + mOffsetY; }

    float mAmplitude = 1.0f;
    bool mFrozen;
    float mOffsetX = 0;
    float mOffsetY = 0;
    float mVelocityX = 0;
    float mVelocityY = 0;
    float mTimer = 0;

private:
    void NewVelocity();
};
