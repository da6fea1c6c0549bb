#include "game/ui/GameStateManager.h"

#include <algorithm>

// Leaves the top state and takes that state off the stack. Leave may run a
// stored call that changes the stack itself, so the state is found again
// rather than assumed to be still on top.
void GameStateManager::LeaveTop()
{
    GameState* top = mStates.back();
    top->Leave();
    auto it = std::find(mStates.rbegin(), mStates.rend(), top);
    if (it != mStates.rend())
        mStates.erase(std::next(it).base());
}

GameStateManager::~GameStateManager()
{
    while (!mStates.empty())
        LeaveTop();
    while (!mRegistry.empty()) {
        GameState* state = mRegistry.back().mState;
        mRegistry.pop_back();
        delete state;
    }
}

void GameStateManager::RegisterState(const std::string& name, GameState* state) { mRegistry.push_back({name, state}); }

GameState* GameStateManager::FindState(const std::string& name)
{
    for (const Registration& r : mRegistry)
        if (r.mName == name)
            return r.mState;
    return nullptr;
}

bool GameStateManager::ChangeState(GameState* state)
{
    if (!state)
        return false;
    if (!mStates.empty())
        LeaveTop();
    mStates.push_back(state);
    state->Enter();
    return true;
}

bool GameStateManager::PushState(GameState* state)
{
    if (!mStates.empty() && !mStates.back()->AllowCover())
        return false;
    mStates.push_back(state);
    state->Enter();
    return true;
}

void GameStateManager::PopState()
{
    if (!mStates.empty())
        LeaveTop();
    if (mStates.empty())
        Quit();
    else
        mStates.back()->Resume();
}

void GameStateManager::Quit() { mQuit = true; }
