#include "game/ui/LabelScoreCounter.h"

#include "framework/core/Random.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/ui/UiEffects.h"

#include <cmath>
#include <numbers>

namespace {
constexpr int kNumberX = 260;
constexpr float kCountSteps = 180;
} // namespace

LabelScoreCounter::LabelScoreCounter(int id, Kivo::Image* icon, const std::string& text,
                                     LabelScoreListener* listener)
    : mId(id), mIcon(icon), mText(text), mListener(listener)
{
    mMouseVisible = false;
    mClip = false;
    if (UiEffectsFactory* effects = GetUiEffects())
        mEffects.reset(effects->NewEffectList());
}

LabelScoreCounter::~LabelScoreCounter() = default;

void LabelScoreCounter::StartCount(int target, float delaySeconds)
{
    mCount.mCurrent = 0;
    mCount.SetTargetInt(target);
    mDelay = delaySeconds * 100;
    mAppear.mCurrent = 0;
    mAppear.SetTarget(1.0f);
    mDone.mCurrent = 0;
    mDone.SetTarget(0.0f);
    mStarted = false;
    mSwing.Snap();
    mSwing.SetX(Kivo::RandomSign() * Kivo::RandomFloat(80, 90));
}

bool LabelScoreCounter::IsCounting() { return mDelay > 0 || mCount.IsMoving(); }

void LabelScoreCounter::SkipToEnd()
{
    // Only a count on its way is announced as ended here. One still waiting
    // out its delay has not started: it tells its listener nothing now, and
    // a target of 0 still finishes on the next update. A count that was
    // already announced is not announced twice.
    if (mListener && mCount.IsMoving()) {
        if (!mStarted)
            mListener->CountStarted(mId);
        mListener->CountFinished(mId);
    }
    mStarted = true;
    mDelay = 0;
    mCount.mCurrent = mCount.mTarget;
    mAppear.mSpeed = 0.1f;
}

void LabelScoreCounter::Update()
{
    Kivo::Widget::Update();
    if (mEffects)
        mEffects->Process();
}

void LabelScoreCounter::UpdateF(float fraction)
{
    if (mEffects)
        mEffects->UpdateF(fraction);
    if (mDelay > 0) {
        mDelay -= fraction;
        if (mDelay > 0)
            return;
    }
    mSwing.Update(fraction);
    if (mCount.mTarget == 0) {
        mCount.SetTarget(0.01f);
        mCount.mSpeed = 0.05f;
    } else {
        // A negative target counts down; its speed is a magnitude all the same.
        mCount.mSpeed = std::fabs(mCount.mTarget) / kCountSteps;
    }
    mAppear.mSpeed = 0.05f;
    if (!mStarted) {
        if (mListener)
            mListener->CountStarted(mId);
        mStarted = true;
        if (mEffects)
            mEffects->AddPyroSystem("counter_appear", mWidth / 2, mHeight / 2);
    }
    mCount.Update(fraction);
    mAppear.Update(fraction);
    if (mCount.JustStopped()) {
        if (mListener)
            mListener->CountFinished(mId);
        mDone.SetTarget(1.0f);
        mDone.mSpeed = 0.03f;
        if (mEffects)
            mEffects->AddPyroSystem("counter_one_done", kNumberX, mHeight / 2 - 5);
    }
    mDone.Update(fraction);
}

void LabelScoreCounter::Draw(Kivo::Graphics* g)
{
    if (mDelay > 0)
        return;
    g->PushState();
    g->SetColorizeImages(true);
    g->SetColorRGBA(255, 255, 255, static_cast<int>(mAppear.mCurrent * 255));
    if (mIcon)
        g->DrawImageRotated(mIcon, 15, 0, mSwing.GetX() * std::numbers::pi / 180.0);
    if (Kivo::Font* font = GetFontById("FONT_GOLD")) {
        const int ascent = font->GetAscent();
        g->SetFont(font);
        g->SetColor(Kivo::Color(246, 255, 172));
        g->DrawString(mText, 70, ascent);
        const float s = mDone.IsMoving() ? static_cast<float>(std::sin(mDone.mCurrent * std::numbers::pi) * 0.2 + 1)
                                         : 1.0f;
        g->SetScale(s, s, kNumberX, static_cast<float>(ascent));
        const std::string number = std::to_string(static_cast<int>(mCount.mCurrent));
        g->DrawString(number, kNumberX - font->StringWidth(number) / 2, ascent);
    }
    g->PopState();
    if (mEffects)
        mEffects->Draw(g);
}
