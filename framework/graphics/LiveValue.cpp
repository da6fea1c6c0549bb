#include "framework/graphics/LiveValue.h"

namespace Kivo {

LiveValue& LiveValue::SetTarget(float target)
{
    mTarget = target;
    return *this;
}

LiveValue& LiveValue::SetTargetInt(int target) { return SetTarget(static_cast<float>(target)); }

float LiveValue::Update(float dt)
{
    mPrevious = mCurrent;
    if (mCurrent == mTarget)
        return 0;
    if (mTarget > mCurrent) {
        mCurrent = mCurrent + mSpeed * dt;
        if (mCurrent > mTarget) {
            const float over = mCurrent - mTarget;
            mCurrent = mTarget;
            return over;
        }
        return 0;
    }
    mCurrent = mCurrent - mSpeed * dt;
    if (mCurrent < mTarget) {
        const float over = mCurrent - mTarget;
        mCurrent = mTarget;
        return over;
    }
    return 0;
}

} // namespace Kivo
