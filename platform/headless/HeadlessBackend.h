#pragma once
// The backend of tests and tools: time moves only when the caller (or a
// Sleep) moves it, and message boxes answer from a script.
#include "platform/Backend.h"
#include "platform/WindowSystem.h"

#include <deque>
#include <mutex>
#include <vector>

namespace platform {

class ManualClock final : public Clock {
public:
    uint64_t NowMicros() override;
    // A sleep advances the clock by its length, so code that waits makes
    // progress without real time passing.
    void SleepMillis(uint32_t ms) override;
    void AdvanceMicros(uint64_t us);
    void AdvanceMillis(uint64_t ms) { AdvanceMicros(ms * 1000); }
    void SetMicros(uint64_t us);
    uint64_t SleptMillis() const;

private:
    mutable std::mutex mutex_;
    uint64_t now_ = 0;
    uint64_t slept_ = 0;
};

class ScriptedMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        std::string text;
        std::string caption;
        unsigned type;
    };

    int Show(const std::string& text, const std::string& caption, unsigned type, int defaultAnswer) override;
    // Answers given to the next boxes, in order; when the script runs out a
    // box answers with its default button.
    void Script(std::initializer_list<int> answers);
    std::vector<Shown> TakeShown();

private:
    std::mutex mutex_;
    std::deque<int> answers_;
    std::vector<Shown> shown_;
};

class HeadlessBackend final : public Backend {
public:
    // Switches the registry to memory: tests never touch the user's store.
    HeadlessBackend();
    const char* Name() const override { return "headless"; }
    Clock& GetClock() override { return clock; }
    MessageBoxes& GetMessageBoxes() override { return boxes; }
    AudioDevice& GetAudio() override { return audio; }
    Presenter& GetPresenter() override { return presenter; }
    WindowSystem& GetWindows() override { return windows; }

    // The current backend as the headless one; null when another is current.
    static HeadlessBackend* Current();

    ManualClock clock;
    ScriptedMessageBoxes boxes;
    // Mixed only when a test calls audio.Render.
    AudioDevice audio;
    MemoryPresenter presenter;
    // Window events come from the test's script.
    ScriptedWindows windows;
};

} // namespace platform
