#pragma once

namespace Kivo {

// A 2-D point that follows its target like a damped spring. Its owners write
// the target directly and call Update once per update step.
class MovingPoint {
public:
    MovingPoint(float damping, float spring, float snapDistance)
        : mDamping(damping), mSpring(spring), mSnapDistance(snapDistance)
    {
    }

    void Snap();
    bool IsMoving() const;
    void AddVelocity(float dx, float dy);
    void AddVelocityX(float dx) { mVelX += dx; }
    float GetX() const { return mX; }
    float GetY() const { return mY; }
    void SetX(float x) { mX = x; }
    // One step of the spring; false once the point rests on its target.
    bool Update(float dt);

    float mTargetX = 0;
    float mTargetY = 0;
    float mDamping;      // the velocity is divided by it after every step
    float mSpring;       // the distance is divided by it to give the pull
    float mSnapDistance; // closer than this and slower (squared) than it: snap
    float mX = 0;
    float mY = 0;
    float mVelX = 0;
    float mVelY = 0;
};

} // namespace Kivo
