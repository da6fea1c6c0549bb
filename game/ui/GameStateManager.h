#pragma once
// Screens as states: a stack of states (the last is on top) and a registry
// of states by name. The manager owns the registered states.
#include <string>
#include <vector>

class GameState {
public:
    virtual void Enter() = 0;
    virtual void Leave() = 0;
    // A state refuses to be covered by a pushed state unless it says so.
    virtual bool AllowCover() { return false; }
    // The state is on top again after a pop.
    virtual void Resume() {}
    virtual ~GameState() = default;
};

class GameStateListener {
public:
    virtual ~GameStateListener() = default;
    virtual void RegisterState(const std::string& name, GameState* state) = 0;
    virtual GameState* FindState(const std::string& name) = 0;
    virtual bool ChangeState(GameState* state) = 0;
    virtual bool PushState(GameState* state) = 0;
    virtual void PopState() = 0;
    virtual void Quit() = 0;
};

class GameStateManager : public GameStateListener {
public:
    GameStateManager() = default;
    GameStateManager(const GameStateManager&) = delete;
    GameStateManager& operator=(const GameStateManager&) = delete;
    // Leaves every state on the stack, then deletes the registered states,
    // the last registered first.
    ~GameStateManager() override;

    // No check for a name already registered: the first one is found.
    void RegisterState(const std::string& name, GameState* state) override;
    GameState* FindState(const std::string& name) override;
    // Leaves and pops the top, then pushes and enters the state; false for
    // a null state.
    bool ChangeState(GameState* state) override;
    // False, changing nothing, when the top refuses to be covered.
    bool PushState(GameState* state) override;
    // Quits when the stack becomes empty.
    void PopState() override;
    void Quit() override;

    bool CallChangeState(GameState* state) { return ChangeState(state); }

    struct Registration {
        std::string mName;
        GameState* mState;
    };

    std::vector<GameState*> mStates;
    std::vector<Registration> mRegistry;
    bool mQuit = false;

private:
    void LeaveTop();
};
