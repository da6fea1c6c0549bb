#include "framework/graphics/AnimInfo.h"

#include <algorithm>

namespace Kivo {

void AnimInfo::Compute(int numCels, int beginFrameTime, int endFrameTime)
{
    mNumCels = std::max(numCels, 1);
    mFrameDelay = std::max(mFrameDelay, 1);

    if (mAnimType == AnimType_PingPong && numCels >= 2) {
        mFrameMap.clear();
        mFrameMap.reserve(2 * size_t(numCels) - 2);
        for (int i = 0; i < numCels; ++i)
            mFrameMap.push_back(i);
        for (int i = numCels - 2; i >= 1; --i)
            mFrameMap.push_back(i);
    }
    if (!mFrameMap.empty())
        mNumCels = static_cast<int>(mFrameMap.size());

    if (beginFrameTime > 0) {
        if (mPerFrameDelay.empty())
            mPerFrameDelay.resize(1);
        mPerFrameDelay[0] = beginFrameTime;
    }
    if (endFrameTime > 0) {
        if (static_cast<int>(mPerFrameDelay.size()) < mNumCels)
            mPerFrameDelay.resize(mNumCels);
        mPerFrameDelay[mNumCels - 1] = endFrameTime;
    }

    // Delays come from manifests: the sum is kept within an int.
    int64_t total = 0;
    if (!mPerFrameDelay.empty()) {
        mPerFrameDelay.resize(mNumCels);
        for (int& d : mPerFrameDelay) {
            if (d < 1)
                d = mFrameDelay;
            total += d;
        }
    } else {
        total = static_cast<int64_t>(mNumCels) * mFrameDelay;
    }
    mTotalAnimTime = static_cast<int>(std::min<int64_t>(total, INT32_MAX));
}

int AnimInfo::GetCel(int time) const
{
    const int numCels = std::max(mNumCels, 1);
    int cel;
    time = std::max(time, 0);
    if (mAnimType == AnimType_Once && time >= mTotalAnimTime) {
        if (!mFrameMap.empty())
            return mFrameMap.back();
        return numCels - 1;
    }
    const int t = mTotalAnimTime > 0 ? time % mTotalAnimTime : 0;
    if (mPerFrameDelay.empty()) {
        cel = (t / std::max(mFrameDelay, 1)) % numCels;
    } else {
        cel = numCels - 1;
        int64_t left = t;
        for (int i = 0; i < static_cast<int>(mPerFrameDelay.size()); ++i) {
            left -= mPerFrameDelay[i];
            if (left < 0) {
                cel = i;
                break;
            }
        }
    }
    if (!mFrameMap.empty())
        return mFrameMap[std::min(cel, static_cast<int>(mFrameMap.size()) - 1)];
    return cel;
}

} // namespace Kivo
