#pragma once
#include "framework/graphics/Color.h"
#include "framework/graphics/Transform.h"

#include <list>
#include <string>

namespace Kivo {
class Graphics;
class Image;
} // namespace Kivo

class ActionScript;
class BaseAction;

// A sprite of an action script with its own list of timed steps.
class ActionObject {
public:
    using StepList = std::list<BaseAction*>;

    ActionObject(const std::string& name, ActionScript* owner);
    ActionObject(const ActionObject&) = delete;
    ActionObject& operator=(const ActionObject&) = delete;
    virtual ~ActionObject();

    // Same name and a clone of every step; the state starts fresh.
    ActionObject* Clone(ActionScript* owner) const;
    // Inserts a clone of the step: mode 0 at the end, 1 at the front, 2 before
    // the current step position, which then points at it.
    void AddMutator(const BaseAction* step, int mode);
    void Update(float dt);
    void Draw(Kivo::Graphics* g, float x, float y, float factor);

    std::string mName;
    ActionScript* mOwner;
    StepList mSteps;
    StepList::iterator mCurrent;
    Kivo::Image* mImage = nullptr;
    int mCel = 0;
    Kivo::Color mColor{ 255, 255, 255 };
    float mPosition[3] = { 0, 0, 0 };
    float mScale[3] = { 1, 1, 1 };
    float mRotation = 0.0f;
    float mClock = 0.0f;
    Kivo::Transform mTransform;

private:
    // Deletes the step at the position; the current position, if it was
    // there, moves on to the next step.
    void RemoveStep(StepList::iterator at);
};
