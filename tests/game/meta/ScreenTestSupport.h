#pragma once
// What the town and upgrade screens run on in tests: the stand-in
// application, a state manager that records the states asked for by name,
// and the town of the shared texts over registered images.
#include "framework/sound/MusicManager.h"
#include "game/ui/GameStateManager.h"
#include "tests/framework/sound/AudioHostDouble.h"
#include "tests/game/meta/TownTestSupport.h"
#include "tests/support/FakeApp.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace towntest {

class RecordingStates : public GameStateListener {
public:
    struct Named : GameState {
        void Enter() override {}
        void Leave() override {}
    };
    void RegisterState(const std::string&, GameState*) override {}
    GameState* FindState(const std::string& name) override
    {
        auto& state = mByName[name];
        if (!state)
            state = std::make_unique<Named>();
        return state.get();
    }
    bool ChangeState(GameState* state) override
    {
        mCalls.push_back("change " + NameOf(state));
        return true;
    }
    bool PushState(GameState* state) override
    {
        mCalls.push_back("push " + NameOf(state));
        return true;
    }
    void PopState() override { mCalls.push_back("pop"); }
    void Quit() override { mCalls.push_back("quit"); }

    std::string NameOf(GameState* state)
    {
        for (auto& [name, s] : mByName)
            if (s.get() == state)
                return name;
        return "?";
    }

    std::map<std::string, std::unique_ptr<Named>> mByName;
    std::vector<std::string> mCalls;
};

struct ScreenFixture {
    ~ScreenFixture()
    {
        app.Steps(2);
        delete MusicManager::Existing();
    }
    FakeApp app;
    soundtest::AudioHostDouble audio;
    TownFixture town;
    RecordingStates states;
};

} // namespace towntest
