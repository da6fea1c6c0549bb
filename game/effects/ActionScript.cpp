#include "game/effects/ActionScript.h"

#include "game/effects/ActionObject.h"
#include "game/effects/BaseAction.h"

#include <cmath>

namespace {

// Bounds what a list that re-inserts itself can grow an object's steps to.
constexpr size_t kMaxObjectSteps = 50000;

} // namespace

ActionScript::~ActionScript()
{
    for (ActionObject* object : mObjects)
        delete object;
    for (auto& [name, steps] : mMutLists)
        for (BaseAction* step : steps)
            delete step;
}

ActionScript* ActionScript::Clone() const
{
    ActionScript* copy = new ActionScript();
    copy->mSpeed = mSpeed;
    copy->mWidth = mWidth;
    copy->mHeight = mHeight;
    for (const ActionObject* object : mObjects)
        copy->mObjects.push_back(object->Clone(copy));
    copy->mTextures = mTextures;
    for (const auto& [name, steps] : mMutLists) {
        StepList& list = copy->mMutLists[name];
        for (const BaseAction* step : steps)
            list.push_back(step->Clone());
    }
    return copy;
}

bool ActionScript::AddMutList(ActionObject* object, int mode, const std::string& name)
{
    const StepList& steps = mMutLists[name];
    if (steps.empty() || object->mSteps.size() + steps.size() > kMaxObjectSteps)
        return false;
    if (mode == 0) {
        for (const BaseAction* step : steps)
            object->AddMutator(step, 0);
    } else {
        for (auto step = steps.rbegin(); step != steps.rend(); ++step)
            object->AddMutator(*step, mode);
    }
    return true;
}

void ActionScript::Update(float dt)
{
    if (std::fabs(mSpeed) < 0.001f)
        return;
    for (ActionObject* object : mObjects)
        object->Update(dt * mSpeed);
}

void ActionScript::Draw(Kivo::Graphics* g, float x, float y, float factor)
{
    for (ActionObject* object : mObjects)
        object->Draw(g, x, y, factor);
}

void ActionScript::DrawAt(Kivo::Graphics* g, int x, int y, float factor)
{
    Draw(g, static_cast<float>(x), static_cast<float>(y), factor);
}
