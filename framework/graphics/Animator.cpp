#include "framework/graphics/Animator.h"

#include "framework/core/Random.h"
#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/Image.h"

#include <algorithm>
#include <cstdlib>

namespace Kivo {

int Animator::CurrentDelay() const
{
    // Per-frame delays may be fewer than the frames (a range or frame count
    // set past them): such frames take the default delay.
    int delay = mFrameDelay;
    if (!mPerFrameDelay.empty() && mFrameCount >= 2 && mFrame >= 0 &&
        static_cast<size_t>(mFrame) < mPerFrameDelay.size())
        delay = mPerFrameDelay[static_cast<size_t>(mFrame)];
    return std::max(delay, 1);
}

void Animator::Update()
{
    ++mTick;
    if (mTimeLimit > 0 && !mStopped && !mFinished) {
        if (++mTimeTicks >= mTimeLimit)
            Finish();
    }
    if (!mStopped && !mFinished) {
        const int delay = CurrentDelay();
        int first = 0;
        int last = mFrameCount;
        // A ping-pong animation plays its whole length twice before it keeps
        // to its range.
        if (mRangeSet && !(mPingPong && mLoopsDone < 2)) {
            first = mRangeFirst;
            last = mRangeLast;
        }
        if (mTick % delay == 0 && (mMaxLoops == 0 || mLoopsDone <= mMaxLoops)) {
            mFrameChanged = true;
            if (mShuffle)
                StepShuffled();
            else if (mPingPong)
                StepPingPong(first, last);
            else
                StepLinear(first, last);
        }
    }
    if (mFrameCount == 1)
        mFrameChanged = false;
}

void Animator::StepLinear(int first, int last)
{
    if (mDirection >= 0) {
        mFrame += mStep;
        if (mFrame < last)
            return;
        mFrame = first;
    } else {
        mFrame -= mStep;
        if (mFrame >= first)
            return;
        mFrame = last - 1;
    }
    ++mLoopsDone;
    if (mPlayOnce || LoopLimitReached())
        Finish();
}

void Animator::StepPingPong(int first, int last)
{
    if (mGoingBack) {
        mFrame -= mStep;
        if (mFrame >= first)
            return;
        ++mLoopsDone;
        mFrame = mFrameCount == 1 ? 0 : first + 1;
        mGoingBack = false;
        if (mPlayOnce || LoopLimitReached()) {
            mFrame = first;
            Finish();
        }
    } else {
        mFrame += mStep;
        if (mFrame < last)
            return;
        ++mLoopsDone;
        mFrame = mFrameCount == 1 ? 0 : last - 2;
        mGoingBack = true;
        if (LoopLimitReached())
            Finish();
    }
}

void Animator::RefillShufflePool()
{
    mShufflePool.resize(static_cast<size_t>(mFrameCount));
    for (int i = 0; i < mFrameCount; ++i)
        mShufflePool[static_cast<size_t>(i)] = i;
}

void Animator::StepShuffled()
{
    if (mShufflePool.empty()) {
        ++mLoopsDone;
        if (mPlayOnce || LoopLimitReached())
            Finish();
        RefillShufflePool();
    }
    const size_t p = Rand() % mShufflePool.size();
    mFrame = mShufflePool[p];
    mShufflePool.erase(mShufflePool.begin() + static_cast<std::ptrdiff_t>(p));
}

void Animator::SetStopped(bool stopped) { mStopped = stopped; }

void Animator::Reset()
{
    mStopped = false;
    mFinished = false;
    mFrame = mDirection < 0 ? mFrameCount - 1 : 0;
    mLoopsDone = 0;
    mRangeFirst = 0;
    mRangeLast = mFrameCount;
    mRangeSet = false;
    mTimeTicks = 0;
}

void Animator::Restart()
{
    mStopped = false;
    mFinished = false;
    mTimeTicks = 0;
    mFrame = mDirection < 0 ? mRangeLast - 1 : mRangeFirst;
}

void Animator::SetFrameRange(int first, int last)
{
    if (last <= first)
        return;
    mRangeSet = true;
    mRangeFirst = first;
    mRangeLast = last;
    mFrame = first;
}

void Animator::SetDirection(int direction, bool restart)
{
    mDirection = direction;
    if (!restart)
        return;
    if (mRangeSet)
        mFrame = direction < 0 ? mRangeLast - 1 : mRangeFirst;
    else
        mFrame = direction < 0 ? mFrameCount - 1 : 0;
}

int Animator::GetDirection() { return mDirection; }

void Animator::SetTimeLimit(int ticks)
{
    mTimeLimit = ticks;
    mTimeTicks = 0;
}

void Animator::SetColor(int r, int g, int b, int a)
{
    mColor = Color(r, g, b);
    mColor.mAlpha = a;
    mColorize = true;
}

void Animator::ClearColor() { mColorize = false; }

void Animator::SetFrameCount(int count)
{
    mFrameCount = std::max(count, 1);
    mFrame = mDirection < 0 ? mFrameCount - 1 : 0;
    mPerFrameDelay.assign(static_cast<size_t>(mFrameCount), mFrameDelay);
}

void Animator::SetImage(Image* image)
{
    mImage = nullptr;
    mFrame = 0;
    if (image) {
        SetFrameCount(image->mNumCels);
        if (const AnimInfo* info = image->mAnimInfo) {
            SetAllFrameDelays(info->mFrameDelay);
            if (info->mAnimType == AnimInfo::AnimType_Once)
                SetLoopCount(1);
            else if (info->mAnimType == AnimInfo::AnimType_PingPong)
                mPingPong = true;
            if (!info->mFrameMap.empty()) {
                SetFrameCount(static_cast<int>(info->mFrameMap.size()));
                mFrameMap = info->mFrameMap;
            }
            if (!info->mPerFrameDelay.empty()) {
                mPerFrameDelay.assign(info->mPerFrameDelay.size(), 0);
                for (size_t i = 0; i < info->mPerFrameDelay.size(); ++i)
                    SetFrameDelay(info->mPerFrameDelay[i], static_cast<int>(i));
            }
        }
    }
    mImage = image;
}

void Animator::SetShuffle(bool shuffle)
{
    mShuffle = shuffle;
    if (shuffle)
        RefillShufflePool();
}

void Animator::SetLoopCount(int loops)
{
    mMaxLoops = loops;
    mLoopsDone = 0;
}

int Animator::SetFrame(int n)
{
    const int count = std::max(mFrameCount, 1);
    mFrame = n % count;
    return n / count;
}

void Animator::SetRandomFrame()
{
    if (mRangeSet && mRangeLast > mRangeFirst)
        SetFrame(mRangeFirst + static_cast<int>(Rand() % static_cast<uint32_t>(mRangeLast - mRangeFirst)));
    else
        SetFrame(static_cast<int>(Rand() % static_cast<uint32_t>(std::max(mFrameCount, 1))));
}

void Animator::SetFrameDelay(int delay, int frame)
{
    delay = std::max(delay, 1);
    if (frame >= 0 && static_cast<size_t>(frame) < mPerFrameDelay.size())
        mPerFrameDelay[static_cast<size_t>(frame)] = delay;
    mFrameDelay = delay;
}

void Animator::SetAllFrameDelays(int delay)
{
    mFrameDelay = std::max(delay, 1);
    std::fill(mPerFrameDelay.begin(), mPerFrameDelay.end(), mFrameDelay);
}

bool Animator::PopFrameChanged()
{
    const bool changed = mFrameChanged;
    mFrameChanged = false;
    return changed;
}

void Animator::Assign(const Animator* other)
{
    if (other == this)
        return;
    mImage = nullptr;
    mTimeLimit = other->mTimeLimit;
    mTimeTicks = other->mTimeTicks;
    mTick = other->mTick;
    mGoingBack = other->mGoingBack;
    mFinished = other->mFinished;
    mFrameChanged = other->mFrameChanged;
    mFrameDelay = other->mFrameDelay;
    mFrameMap = other->mFrameMap;
    SetFrameCount(other->mFrameCount);
    mStopped = other->mStopped;
    mPingPong = other->mPingPong;
    mPlayOnce = other->mPlayOnce;
    if (other->mImage)
        SetImage(other->mImage);
    mMaxLoops = other->mMaxLoops;
    mLoopsDone = other->mLoopsDone;
    mRangeFirst = other->mRangeFirst;
    mRangeLast = other->mRangeLast;
    mDirection = other->mDirection;
    mStep = other->mStep;
    mRangeSet = other->mRangeSet;
    mOffsetX = other->mOffsetX;
    mOffsetY = other->mOffsetY;
    mColorize = other->mColorize;
    mColor = other->mColor;
}

int Animator::GetImageCel() const
{
    if (mFrameCount == 1)
        return 0;
    // A frame past the map (a range or frame count beyond it) shows its own
    // cel.
    if (!mFrameMap.empty() && mFrame >= 0 && static_cast<size_t>(mFrame) < mFrameMap.size())
        return mFrameMap[static_cast<size_t>(mFrame)];
    return mFrame;
}

} // namespace Kivo
