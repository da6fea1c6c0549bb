#include "framework/graphics/MovingPoint.h"

#include <cmath>

namespace Kivo {

void MovingPoint::Snap()
{
    mX = mTargetX;
    mY = mTargetY;
    mVelX = 0;
    mVelY = 0;
}

bool MovingPoint::IsMoving() const { return mX != mTargetX || mY != mTargetY || mVelX != 0 || mVelY != 0; }

void MovingPoint::AddVelocity(float dx, float dy)
{
    mVelX += dx;
    mVelY += dy;
}

bool MovingPoint::Update(float dt)
{
    if (!IsMoving())
        return false;
    const float dx = mX - mTargetX;
    const float dy = mY - mTargetY;
    const float d = std::sqrt(dx * dx + dy * dy);
    const float speedSq = mVelX * mVelX + mVelY * mVelY;
    // The squared speed is compared with the snap distance, not the speed.
    if (d < mSnapDistance && speedSq < mSnapDistance) {
        Snap();
        return false;
    }
    const float speed = std::sqrt(speedSq);
    // Close to the target the pull follows the current motion. A point at
    // rest there has no motion to follow (velocity / |velocity| would be
    // 0 / 0 and poison the position), so it is pulled toward the target, or
    // snapped when it is too close for a direction to exist.
    float ux;
    float uy;
    if (d >= 1 || (speed == 0 && d > 0)) {
        ux = -dx / d;
        uy = -dy / d;
    } else if (speed > 0) {
        ux = mVelX / speed;
        uy = mVelY / speed;
    } else {
        Snap();
        return false;
    }
    const float a = speed + d / mSpring;
    const float k = 0.1f;
    mVelX += ux * a * k;
    mVelY += uy * a * k;
    mX += mVelX * dt * k;
    mY += k * (dt * mVelY);
    mVelX /= mDamping;
    mVelY /= mDamping;
    return true;
}

} // namespace Kivo
