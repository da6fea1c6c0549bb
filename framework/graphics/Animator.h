#pragma once
// Plays the cels of an image as a frame animation. Each Update advances a
// tick counter; the frame changes whenever the counter is a multiple of the
// current frame's delay. Supports a frame range, forward and backward play,
// a loop limit, playing once, ping-pong, a shuffled order without repeats
// within a pass, a time limit, the image's frame map and per-frame delays,
// a draw offset and an additive colour tint.
#include "framework/graphics/Color.h"

#include <cstdint>
#include <vector>

namespace Kivo {

class Graphics;
class Image;

class Animator {
public:
    Animator() = default;
    Animator(const Animator&) = delete;
    Animator& operator=(const Animator&) = delete;
    virtual ~Animator() = default;

    virtual void Update();
    // Pauses or resumes; does not touch the finished flag.
    virtual void SetStopped(bool stopped);
    // Back to the start of the whole animation: no range, no loops done.
    virtual void Reset();
    // Back to the start of the range; the loops done are kept.
    virtual void Restart();
    // Plays frames [first, last); an empty range is ignored.
    virtual void SetFrameRange(int first, int last);
    virtual void SetDirection(int direction, bool restart);
    virtual int GetDirection();
    // Stops the animation `ticks` updates from now; 0 or less: no limit.
    virtual void SetTimeLimit(int ticks);
    // Tints every draw additively with the colour.
    virtual void SetColor(int r, int g, int b, int a);
    virtual void ClearColor();
    // At least one frame.
    virtual void SetFrameCount(int count);
    // Takes the frame count, delays, frame map and play type from the image
    // and its animation description. Not owned.
    virtual void SetImage(Image* image);
    virtual void DrawF(Graphics* g, float x, float y, bool subPixel);
    virtual void Draw(Graphics* g, int x, int y);
    virtual void DrawStretched(Graphics* g, float x, float y, int w, int h);
    virtual void DrawScaled(Graphics* g, float x, float y, float scale);
    virtual void DrawTransformed(Graphics* g, float x, float y, float angle, float centerX, float centerY,
                                 float scaleX, float scaleY);
    virtual void DrawTransformed(Graphics* g, float x, float y, float angle, float centerX, float centerY,
                                 float scale);
    virtual void DrawRotatedF(Graphics* g, float x, float y, double angle, bool subPixel, float centerX,
                              float centerY);
    virtual void DrawMirrored(Graphics* g, float x, float y, bool mirror);
    virtual void DrawMirroredInt(Graphics* g, int x, int y, bool mirror);
    virtual void SetShuffle(bool shuffle);
    // 0: no limit.
    virtual void SetLoopCount(int loops);
    // Frame n mod the frame count; returns n div the frame count.
    virtual int SetFrame(int n);
    // A frame of the range (or of all frames) from the framework's twister, so
    // recorded demos replay it from their seed.
    virtual void SetRandomFrame();
    // Sets the delay of frame i, and the default delay. Delays are at least 1.
    virtual void SetFrameDelay(int delay, int frame);
    virtual void SetAllFrameDelays(int delay);
    virtual bool PopFrameChanged();
    virtual void Assign(const Animator* other);

    // The image cel of the current frame, through the frame map.
    int GetImageCel() const;

    int32_t mTick = 0;
    int32_t mFrame = 0;
    int32_t mFrameCount = 1;
    int32_t mFrameDelay = 1; // ticks per frame without per-frame delays
    int32_t mMaxLoops = 0;   // 0: unlimited
    int32_t mLoopsDone = 0;
    int32_t mRangeFirst = 0;
    int32_t mRangeLast = 0; // exclusive
    int32_t mDirection = 1;
    int32_t mStep = 1;
    int32_t mTimeLimit = -1;
    int32_t mTimeTicks = -1;
    float mOffsetX = 0;
    float mOffsetY = 0;
    bool mStopped = false;
    bool mPingPong = false;
    bool mGoingBack = true;
    bool mPlayOnce = false;
    bool mFinished = false;
    bool mFrameChanged = true;
    bool mRangeSet = false;
    bool mColorize = false;
    bool mShuffle = false;
    Color mColor;
    Image* mImage = nullptr;
    std::vector<int32_t> mPerFrameDelay;
    std::vector<int32_t> mFrameMap;
    std::vector<int32_t> mShufflePool; // frames not yet shown in this pass

private:
    int CurrentDelay() const;
    void Finish() { mStopped = mFinished = true; }
    bool LoopLimitReached() const { return mMaxLoops > 0 && mLoopsDone >= mMaxLoops; }
    void RefillShufflePool();
    void StepShuffled();
    void StepPingPong(int first, int last);
    void StepLinear(int first, int last);
    // Sets the tint for a draw and clears it again afterwards.
    template <typename DrawCall>
    void Tinted(Graphics* g, DrawCall draw);
};

} // namespace Kivo
