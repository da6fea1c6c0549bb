#include "game/match/BrickColored.h"

#include "framework/core/Random.h"
#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/match/BrickHelper.h"
#include "game/match/BrickListener.h"
#include "game/match/Grid.h"
#include "game/match/ImageFrames.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kStartSpeed = 1.5f;

int Sign(float d)
{
    return d > 0.01f ? 1 : d < -0.01f ? -1 : 0;
}

// The shaking brick's jitter, -4 to 4. It is drawn at draw time, once per
// frame drawn: a generator of its own keeps the game's numbers (and so a
// demo's replay) independent of how many frames are drawn.
float Jitter()
{
    static Kivo::MTRand jitter { 1 };
    return -4.0f + 8.0f * float(jitter.Next()) / float(0x7FFFFFFF);
}

} // namespace

BrickColored::BrickColored(uint8_t code) : BrickBase(code), mTickCount(Kivo::RandomInt(0, 100))
{
    BrickHelper* helper = BrickHelper::Instance();
    mImage = helper->GetBrickImage(code);
    mGlowImage = helper->GetGlowImage(code);
    mShineImage = helper->GetShineImage(code);
    helper->GetColour(code, mColour);
}

void BrickColored::PlaceAt(int x, int y)
{
    BrickBase::PlaceAt(x, y);
    for (Kivo::LiveValue* v : { &mLiveX, &mLiveY })
        v->mPrevious = v->mCurrent = v->mTarget = (v == &mLiveX ? mX : mY);
    mCarryX = mCarryY = 0;
    mJiggle.mTargetX = mJiggle.mTargetY = 0;
    mJiggle.Snap();
    mSpeed = kStartSpeed;
    mLanded = true;
    mIdleTime = 0;
    mStateOn[2] = mStateOn[4] = mStateOn[5] = mStateOn[6] = mStateOn[7] = mStateOn[8] = false;
    mAppear = mFade = mJolt = 1;
}

void BrickColored::MoveTo(int x, int y)
{
    StopState(1);
    StopState(3);
    int tx = 0;
    int ty = 0;
    Grid::Instance()->BrickTopLeft(x, y, tx, ty);
    mDirX = Sign(static_cast<float>(tx) - mX);
    mDirY = Sign(static_cast<float>(ty) - mY);
    mX += mCarryX;
    mY += mCarryY;
    mLiveX.mPrevious = mLiveX.mCurrent = mX;
    mLiveY.mPrevious = mLiveY.mCurrent = mY;
    mLiveX.mTarget = static_cast<float>(tx);
    mLiveY.mTarget = static_cast<float>(ty);
    mLiveX.mSpeed = mLiveY.mSpeed = mSpeed;
    mLanded = false;
}

void BrickColored::Update(float dt)
{
    if (mLiveX.IsMoving() || mLiveY.IsMoving()) {
        float overX = mLiveX.Update(dt);
        float overY = mLiveY.Update(dt);
        mX = mLiveX.mCurrent;
        mY = mLiveY.mCurrent;
        mSpeed += dt * 0.25f;
        mLiveX.mSpeed = mLiveY.mSpeed = mSpeed;
        if (mLiveX.JustStopped() || mLiveY.JustStopped()) {
            mCarryX = overX;
            mCarryY = overY;
        }
        mIdleTime = 0;
    } else if (!mLanded) {
        mIdleTime += dt;
        if (mIdleTime > 2 * dt) {
            mLanded = true;
            StartState(5, 2 * mSpeed);
            if (mListener)
                mListener->BrickLanded(static_cast<int>(mX + mOffsetX), static_cast<int>(mY + mOffsetY));
            mSpeed = kStartSpeed;
            mIdleTime = 0;
            mCarryX = mCarryY = 0;
        }
    }
    mJiggle.Update(dt);
    if (HasFlag(kBrickEnergized)) {
        if (!mOutline)
            mOutline.reset(MakeEnergyOutline(BrickHelper::Instance()->GetMaskImage(mCode)));
        if (mOutline)
            mOutline->Update(dt);
    }
    if (mStateOn[6] && (mAppear += 0.02f * dt) >= 1) {
        mAppear = 1;
        mStateOn[6] = false;
    }
    if (mStateOn[4] && (mJolt += 0.015f * dt) >= 1) {
        mJolt = 1;
        mStateOn[4] = false;
    }
    if (mStateOn[7] && (mFade += 0.04f * dt) >= 1) {
        mFade = 1;
        mStateOn[7] = false;
    }
    if (mStateOn[8] && (mFade -= 0.04f * dt) <= 0) {
        mFade = 0;
        mStateOn[8] = false;
    }
}

void BrickColored::Tick()
{
    ++mTickCount;
    if (mStateOn[1] && mTickCount % FrameDelay(mImage) == 0)
        mFrame = (mFrame + 1) % FrameCount(mImage);
    if (mStateOn[2] && mTickCount % FrameDelay(mShineImage) == 0) {
        mShineFrame += mShineStep;
        if (mShineFrame < 0 || mShineFrame >= FrameCount(mShineImage))
            mStateOn[2] = false;
    }
    if (mStateOn[3]) {
        mGlowLevel = std::min(1.0f, mGlowLevel + 0.04f);
        if (mTickCount % 4 == 0) {
            mGlowJitterX = Kivo::RandomInt(-1, 1);
            mGlowJitterY = Kivo::RandomInt(-1, 1);
            int frame = Kivo::RandomInt(-3, 2);
            int frames = FrameCount(mGlowImage);
            mGlowFrame = ((frame < 0 ? frames + frame : frame) % frames + frames) % frames;
        }
    }
}

bool BrickColored::IsBusy() const
{
    return mLiveX.IsMoving() || mLiveY.IsMoving() || mStateOn[9];
}

void BrickColored::StartState(int id, float value)
{
    switch (id) {
    case 2:
        SetState(2);
        break;
    case 3:
        StopState(2);
        mStateOn[3] = true;
        mGlowStrength = value;
        break;
    case 5:
        mJiggle.AddVelocity(-static_cast<float>(mDirX) * value, -static_cast<float>(mDirY) * value);
        break;
    default:
        SetState(id);
        break;
    }
}

void BrickColored::SetState(int id)
{
    switch (id) {
    case 1:
        StopState(2);
        mStateOn[1] = true;
        break;
    case 2:
        if (!mStateOn[1] && !mStateOn[3] && !mStateOn[6] && !mStateOn[4] && mShineImage && mShown) {
            mStateOn[2] = true;
            mShineStep = Kivo::RandomIndex(2) == 0 ? 1 : -1;
            mShineFrame = mShineStep > 0 ? 0 : FrameCount(mShineImage) - 1;
        }
        break;
    case 3:
        StartState(3, mGlowStrength);
        break;
    case 4:
        StopState(2);
        mStateOn[4] = true;
        mJolt = 0;
        mJiggle.AddVelocity(Kivo::RandomFloat(-50, 50), Kivo::RandomFloat(-50, 50));
        break;
    case 6:
        mStateOn[6] = true;
        mAppear = 0;
        mAppearAngle = Kivo::RandomFloat(1, 5) * static_cast<float>(Kivo::RandomSign());
        break;
    case 7:
    case 8: {
        // A fade asked for while the other runs turns back from where the
        // alpha stands; from rest it starts over from the far end.
        float goal = id == 7 ? 1.0f : 0.0f;
        if (!mStateOn[7] && !mStateOn[8] && mFade != goal)
            mFade = 1 - goal;
        mStateOn[7] = mStateOn[8] = false;
        mStateOn[id] = mFade != goal;
        break;
    }
    case 9:
        mStateOn[9] = true;
        mShown = false;
        break;
    default:
        break;
    }
}

void BrickColored::StopState(int id)
{
    if (id < 1 || id > 9)
        return;
    mStateOn[id] = false;
    if (id == 1)
        mFrame = 0;
    if (id == 3) {
        mGlowLevel = 0;
        mGlowJitterX = mGlowJitterY = 0;
        mGlowFrame = 0;
    }
    if (id == 9)
        mShown = true;
}

void BrickColored::StopAllStates()
{
    for (int id : { 1, 3, 9, 2 })
        StopState(id);
}

void BrickColored::DrawModifier(Kivo::Graphics& g, const char* id, float x, float y)
{
    Kivo::Image* mod = GetImageById(id);
    if (!mod || !mImage)
        return;
    g.DrawImageF(mod, x + static_cast<float>((mImage->GetCelWidth() - mod->GetCelWidth()) / 2),
                 y + static_cast<float>((mImage->GetCelHeight() - mod->GetCelHeight()) / 2));
}

void BrickColored::DrawOutline(Kivo::Graphics& g, float x, float y)
{
    if (!HasFlag(kBrickEnergized) || !mOutline)
        return;
    g.PushState();
    g.SetColorizeImages(true);
    g.SetColorRGBA(mColour.GetRed(), mColour.GetGreen(), mColour.GetBlue(), static_cast<int>(160 * mFade));
    mOutline->DrawAt(&g, x, y);
    g.PopState();
}

void BrickColored::DrawLayers(Kivo::Graphics& g, float x, float y, float jx, float jy)
{
    if (mImage) {
        if (mStateOn[2] && mShineImage)
            g.DrawImageCel(mShineImage, static_cast<int>(x + jx), static_cast<int>(y + jy), mShineFrame);
        else
            g.DrawImageCel(mImage, static_cast<int>(x + jx), static_cast<int>(y + jy), mFrame);
    }
    DrawOutline(g, x + jx, y + jy);
    if (HasFlag(kBrickEnergized) && mGlowImage) {
        // A pulsing halo: the glow's first cel enlarged about its centre.
        g.PushState();
        g.SetDrawMode(1);
        g.SetColorizeImages(true);
        g.SetColorRGBA(255, 255, 255,
                       static_cast<int>((40 + static_cast<int>(30 * std::fabs(std::sin(mTickCount / 10.0f)))) * mFade));
        Kivo::Transform t;
        t.Scale(1.4f, 1.4f);
        const Kivo::Rect cel = mGlowImage->GetCelRect(0);
        g.DrawImageTransformSrcF(mGlowImage, t, cel, x + jx + cel.mWidth / 2.0f, y + jy + cel.mHeight / 2.0f);
        g.PopState();
    }
    if (HasFlag(kBrickChain))
        DrawModifier(g, "BRICK_MOD_FRAME", x, y);
    if (HasFlag(kBrickChain2))
        DrawModifier(g, "BRICK_MOD_CHAIN2", x, y);
    if (HasFlag(kBrickChain))
        DrawModifier(g, "BRICK_MOD_CHAIN1", x, y);
    if (HasFlag(kBrickBox))
        DrawModifier(g, "BRICK_MOD_BOX", x + jx - 2, y + jy - 3);
    if (mStateOn[3] && mGlowImage) {
        g.PushState();
        g.SetDrawMode(1);
        g.SetColorizeImages(true);
        g.SetColorRGBA(255, 255, 255, static_cast<int>((mGlowStrength * 120 + 50) * mGlowLevel * mFade));
        g.DrawImageCel(mGlowImage, static_cast<int>(x + jx) + mGlowJitterX, static_cast<int>(y + jy) + mGlowJitterY,
                       mGlowFrame);
        g.PopState();
    }
}

void BrickColored::DrawTop(Kivo::Graphics& g)
{
    // A brick that has faded out stays hidden until it fades in again.
    if (mStateOn[9] || mFade <= 0)
        return;
    float x = mX + mOffsetX;
    float y = mY + mOffsetY;
    float jx = mJiggle.GetX();
    float jy = mJiggle.GetY();
    if (mStateOn[4]) {
        jx += Jitter() * (1 - mJolt);
        jy += Jitter() * (1 - mJolt);
    }
    g.PushState();
    if (mFade < 1) {
        g.SetColorizeImages(true);
        g.SetColorRGBA(255, 255, 255, static_cast<int>(mFade * 255));
    }
    if (mStateOn[6] && mImage) {
        g.SetColorizeImages(true);
        g.SetColorRGBA(255, 255, 255, static_cast<int>(mAppear * 255));
        Kivo::Rect src = mImage->GetCelRect(mFrame);
        g.DrawImageRotatedF(mImage, x + jx, y + jy, (1 - mAppear) * mAppearAngle, src.mWidth / 2.0f,
                            src.mHeight / 2.0f, &src);
        if (HasFlag(kBrickBox))
            DrawModifier(g, "BRICK_MOD_BOX", x + jx - 2, y + jy - 3);
    } else {
        DrawLayers(g, x, y, jx, jy);
    }
    g.PopState();
}

void BrickColored::Draw(Kivo::Graphics& g, float scale, float dx, float dy)
{
    if (mStateOn[9] || !mImage || mFade <= 0)
        return;
    float w = static_cast<float>(mImage->GetCelWidth());
    float h = static_cast<float>(mImage->GetCelHeight());
    Kivo::Transform t;
    t.Scale(scale, scale);
    float cx = mX + mOffsetX + dx + w / 2;
    float cy = mY + mOffsetY + dy + h / 2;
    g.PushState();
    if (mStateOn[6]) {
        g.SetColorizeImages(true);
        g.SetColorRGBA(255, 255, 255, static_cast<int>(mAppear * 255));
    }
    g.DrawImageTransformSrcF(mImage, t, mImage->GetCelRect(mFrame), cx, cy);
    DrawOutline(g, mX + mOffsetX + dx, mY + mOffsetY + dy);
    auto modifier = [&](uint32_t flag, const char* id, float ox, float oy) {
        if (!HasFlag(flag))
            return;
        if (Kivo::Image* mod = GetImageById(id))
            g.DrawImageTransformF(mod, t, cx + ox, cy + oy);
    };
    modifier(kBrickChain, "BRICK_MOD_FRAME", 0, 0);
    modifier(kBrickChain2, "BRICK_MOD_CHAIN2", 0, 0);
    modifier(kBrickChain, "BRICK_MOD_CHAIN1", 0, 0);
    modifier(kBrickBox, "BRICK_MOD_BOX", -2, -3);
    g.PopState();
}
