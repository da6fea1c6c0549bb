#pragma once
// The real game application on the headless backend: a clock that only
// sleeps move, scripted window events and message boxes, the data set of
// the build (or a folder a test makes) as the program folder, archives of
// its own, and an Exit that throws instead of ending the test.
#include "game/app/GameApp.h"

#include "framework/core/PakInterface.h"
#include "framework/core/Random.h"
#include "platform/headless/HeadlessBackend.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace gametest {

struct ExitCalled {
    int code;
};

// Each application step, nested ones in modal windows included, moves the
// clock by a millisecond besides what the loop sleeps, as real time would.
class TestGameApp : public GameApp {
public:
    bool UpdateAppStep(bool* updated) override
    {
        platform::HeadlessBackend::Current()->clock.AdvanceMillis(1);
        if (onStep)
            onStep();
        return GameApp::UpdateAppStep(updated);
    }
    // Runs before every step, so that a driver also acts inside the
    // nested steps of a modal window.
    std::function<void()> onStep;

    // After every update of the game.
    void UpdateFrames() override
    {
        GameApp::UpdateFrames();
        if (onUpdate)
            onUpdate();
    }
    std::function<void()> onUpdate;

    // Right after the stored settings are read: where a command line would
    // turn demo recording or playback on.
    void ReadFromRegistry() override
    {
        GameApp::ReadFromRegistry();
        if (onRegistryRead)
            onRegistryRead();
    }
    std::function<void()> onRegistryRead;

    // A fixed seed for the game's generator, for runs that must repeat.
    uint32_t GameRandomSeed() override { return seed ? *seed : GameApp::GameRandomSeed(); }
    std::optional<uint32_t> seed;

    // Draws only every drawEvery-th frame that the loop asks for, so that a
    // long run spends its time on play rather than on pixels.
    bool Redraw(const Kivo::Rect* rect) override
    {
        if (drawEvery > 1 && !forceRedraw && ++framesAsked % drawEvery != 0) {
            needsDraw = false;
            return false;
        }
        const uint32_t before = Kivo::GetRandomIntState();
        const bool drew = GameApp::Redraw(rect);
        if (Kivo::GetRandomIntState() != before)
            ++framesUsingGenerator;
        return drew;
    }
    int drawEvery = 1;
    long framesAsked = 0;
    // Frames whose drawing took numbers from the game's generator: a replay
    // that draws other frames would go out of step.
    long framesUsingGenerator = 0;
};

class GameRun {
public:
    explicit GameRun(const std::string& programFolder = KIVO_DATA_DIR);
    ~GameRun();

    // Runs application steps until `done` holds or `limit` steps ran;
    // whether it held.
    template <class Done>
    bool RunUntil(Done done, int limit = 200000)
    {
        for (int i = 0; i < limit && !done(); ++i)
            if (!app->UpdateAppStep(nullptr) && app->shutdown)
                break;
        return done();
    }
    // What Start does before its loop: the loading thread, the window
    // shown and in front. The test then runs the loop's steps itself.
    void Begin();
    void Click(int x, int y);
    void Key(int code);
    void Type(const std::string& text);
    void Close();

    platform::HeadlessBackend* backend;
    testsupport::TempDir dir;
    TestGameApp* app = nullptr;

private:
    std::filesystem::path cwd_;
    PakInterface paks_;
    PakInterface* previousPaks_;
    PakInterfaceBase* previousActive_;
};

} // namespace gametest
