#include "platform/headless/HeadlessBackend.h"

#include "platform/win32/Registry.h"

#include <utility>

namespace platform {

uint64_t ManualClock::NowMicros()
{
    std::lock_guard lock(mutex_);
    return now_;
}

void ManualClock::SleepMillis(uint32_t ms)
{
    std::lock_guard lock(mutex_);
    now_ += uint64_t(ms) * 1000;
    slept_ += ms;
}

void ManualClock::AdvanceMicros(uint64_t us)
{
    std::lock_guard lock(mutex_);
    now_ += us;
}

void ManualClock::SetMicros(uint64_t us)
{
    std::lock_guard lock(mutex_);
    now_ = us;
}

uint64_t ManualClock::SleptMillis() const
{
    std::lock_guard lock(mutex_);
    return slept_;
}

int ScriptedMessageBoxes::Show(const std::string& text, const std::string& caption, unsigned type, int defaultAnswer)
{
    std::lock_guard lock(mutex_);
    shown_.push_back({ text, caption, type });
    if (answers_.empty())
        return defaultAnswer;
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void ScriptedMessageBoxes::Script(std::initializer_list<int> answers)
{
    std::lock_guard lock(mutex_);
    answers_.insert(answers_.end(), answers.begin(), answers.end());
}

std::vector<ScriptedMessageBoxes::Shown> ScriptedMessageBoxes::TakeShown()
{
    std::lock_guard lock(mutex_);
    return std::exchange(shown_, {});
}

HeadlessBackend::HeadlessBackend()
{
    UseMemoryRegistry(true);
}

HeadlessBackend* HeadlessBackend::Current()
{
    return dynamic_cast<HeadlessBackend*>(&CurrentBackend());
}

} // namespace platform
