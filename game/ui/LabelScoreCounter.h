#pragma once
// A score line of the level-completed window: an icon that swings in, a
// caption and a number that counts up from 0 in 180 update steps, with
// particle bursts when it starts and ends. A listener hears when the count
// starts and finishes.
#include "framework/graphics/LiveValue.h"
#include "framework/graphics/MovingPoint.h"
#include "framework/widgets/Widget.h"

#include <memory>
#include <string>

namespace Kivo {
class Image;
}
class UiEffectList;

class LabelScoreListener {
public:
    virtual ~LabelScoreListener() = default;
    virtual void CountStarted(int id) = 0;
    virtual void CountFinished(int id) = 0;
};

class LabelScoreCounter : public Kivo::Widget {
public:
    LabelScoreCounter(int id, Kivo::Image* icon, const std::string& text, LabelScoreListener* listener);
    ~LabelScoreCounter() override;

    void Update() override;
    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;

    void StartCount(int target, float delaySeconds);
    bool IsCounting();
    void SkipToEnd();

    int32_t mId;
    float mDelay = 0; // update steps before the count starts
    Kivo::LiveValue mAppear{0.0f, 0.05f}; // the icon's alpha
    Kivo::Image* mIcon;
    Kivo::MovingPoint mSwing{1.05f, 1.2f, 2.0f}; // x: the icon's angle in degrees
    std::string mText;
    bool mStarted = false;
    Kivo::LiveValue mCount{0.0f, 0.0f}; // the number shown
    Kivo::LiveValue mDone{0.0f, 0.03f}; // a swell after the count ends
    LabelScoreListener* mListener;
    std::unique_ptr<UiEffectList> mEffects; // none without an effect system
};
