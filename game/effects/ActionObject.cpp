#include "game/effects/ActionObject.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "game/effects/BaseAction.h"

#include <cmath>

namespace {

// A script whose steps keep re-inserting lists without ever blocking would
// otherwise never end its update; the walk stops there for the frame.
constexpr int kMaxStepVisitsPerUpdate = 100000;

} // namespace

ActionObject::ActionObject(const std::string& name, ActionScript* owner)
    : mName(name), mOwner(owner), mCurrent(mSteps.end())
{
}

ActionObject::~ActionObject()
{
    for (BaseAction* step : mSteps)
        delete step;
}

ActionObject* ActionObject::Clone(ActionScript* owner) const
{
    ActionObject* copy = new ActionObject(mName, owner);
    for (const BaseAction* step : mSteps)
        if (step)
            copy->AddMutator(step, 0);
    return copy;
}

void ActionObject::AddMutator(const BaseAction* step, int mode)
{
    BaseAction* clone = step->Clone();
    clone->mOwner = this;
    if (mode == 1)
        mSteps.push_front(clone);
    else if (mode == 2)
        mCurrent = mSteps.insert(mCurrent, clone);
    else
        mSteps.push_back(clone);
}

void ActionObject::RemoveStep(StepList::iterator at)
{
    const bool wasCurrent = mCurrent == at;
    delete *at;
    StepList::iterator next = mSteps.erase(at);
    if (wasCurrent)
        mCurrent = next;
}

void ActionObject::Update(float dt)
{
    mClock += dt;
    mCurrent = mSteps.begin();
    for (int visits = 0; mCurrent != mSteps.end() && visits < kMaxStepVisitsPerUpdate; ++visits) {
        const StepList::iterator self = mCurrent;
        BaseAction* step = *self;
        if (!step) {
            RemoveStep(self);
            continue;
        }
        if (!step->mStarted) {
            if (!step->Start()) {
                RemoveStep(self);
                continue;
            }
            step->mStarted = true;
        }
        const int result = step->Update(dt);
        if (result == BaseAction::Block)
            break;
        if (result == BaseAction::Finished || result == BaseAction::Replaced) {
            // A replacing step has moved the position to what it inserted.
            RemoveStep(self);
            continue;
        }
        if (mCurrent == self)
            ++mCurrent;
    }
}

void ActionObject::Draw(Kivo::Graphics* g, float x, float y, float factor)
{
    if (!mImage || std::fabs(mScale[0]) < 0.001f || std::fabs(mScale[1]) < 0.001f || mColor.mAlpha == 0)
        return;
    g->PushState();
    g->SetColorizeImages(true);
    g->SetColor(mColor);
    mTransform.Reset();
    if (std::fabs(mRotation) > 0.001f)
        mTransform.Rotate(mRotation);
    if (factor == 1.0f) {
        mTransform.Scale(mScale[0], mScale[1]);
        mTransform.Translate(mPosition[0], mPosition[1]);
    } else {
        mTransform.Scale(factor * mScale[0], factor * mScale[1]);
        mTransform.Translate(factor * mPosition[0], factor * mPosition[1]);
    }
    mTransform.Translate(x, y);
    g->DrawImageTransformSrcF(mImage, mTransform, mImage->GetCelRect(mCel), 0.0f, 0.0f);
    g->PopState();
}
