#include "platform/Backend.h"
#include "platform/WindowSystem.h"

#include "platform/headless/HeadlessBackend.h"

#include <cstring>
#include "platform/win32/AudioMixer.h"

#include <algorithm>
#include <utility>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>
#include <sched.h>

namespace platform {
namespace {

class PosixClock final : public Clock {
public:
    uint64_t NowMicros() override
    {
        timespec ts {};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return static_cast<uint64_t>(ts.tv_sec) * 1000000u + static_cast<uint64_t>(ts.tv_nsec) / 1000u;
    }

    void SleepMillis(uint32_t ms) override
    {
        if (ms == 0) {
            sched_yield();
            return;
        }
        timespec req { static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L };
        while (nanosleep(&req, &req) != 0 && errno == EINTR) {
        }
    }
};

// Shows nothing: MessageBoxA puts the text on stderr.
class StderrMessageBoxes final : public MessageBoxes {
public:
    int Show(const std::string&, const std::string&, unsigned, int) override { return 0; }
};

class SystemBackend final : public Backend {
public:
    const char* Name() const override { return "system"; }
    Clock& GetClock() override { return SystemClock(); }
    MessageBoxes& GetMessageBoxes() override { return boxes_; }

private:
    StderrMessageBoxes boxes_;
};

struct Table {
    std::mutex mutex;
    std::map<std::string, BackendFactory> factories {
        { "system", [] { return std::unique_ptr<Backend>(new SystemBackend); } },
        { "headless", [] { return std::unique_ptr<Backend>(new HeadlessBackend); } },
    };
    std::unique_ptr<Backend> current;
};

Table& GetTable()
{
    static Table table;
    return table;
}

} // namespace

AudioDevice::~AudioDevice()
{
    std::lock_guard lock(mutex_);
    for (AudioSource* source : sources_)
        source->device_ = nullptr;
}

void AudioDevice::AddSource(AudioSource* source)
{
    bool start;
    {
        std::lock_guard lock(mutex_);
        sources_.push_back(source);
        source->device_ = this;
        start = !std::exchange(started_, true);
    }
    if (start)
        Start();
}

void AudioDevice::RemoveSource(AudioSource* source)
{
    std::lock_guard lock(mutex_);
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
    source->device_ = nullptr;
}

void AudioDevice::Render(int16_t* out, size_t frames)
{
    std::lock_guard lock(mutex_);
    mix_.assign(frames * 2, 0);
    for (AudioSource* source : sources_)
        source->MixInto(mix_.data(), frames);
    const int64_t gain = WaveOutVolume(); // 0 ... 65535
    for (size_t i = 0; i < frames * 2; ++i) {
        int64_t v = mix_[i] * gain / 65535;
        out[i] = static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767));
    }
}

AudioDevice& Backend::GetAudio()
{
    static AudioDevice nowhere;
    return nowhere;
}

Presenter& Backend::GetPresenter()
{
    static MemoryPresenter nowhere;
    return nowhere;
}

namespace {
int TopBit(uint32_t mask)
{
    for (int bit = 31; bit >= 0; --bit)
        if (mask & (1u << bit))
            return bit;
    return 0;
}
} // namespace

MaskExpander::MaskExpander(uint32_t redMask, uint32_t greenMask, uint32_t blueMask)
    : red_(redMask), green_(greenMask), blue_(blueMask), redShift_(23 - TopBit(redMask)),
      greenShift_(15 - TopBit(greenMask)), blueShift_(7 - TopBit(blueMask))
{
}

PixelLayout MemoryPresenter::DesktopLayout()
{
    std::lock_guard lock(mutex_);
    return layout_;
}

void MemoryPresenter::SetDesktopLayout(const PixelLayout& layout)
{
    std::lock_guard lock(mutex_);
    layout_ = layout;
}

void MemoryPresenter::Present(const uint8_t* pixels, int pitch, int width, int height, const PixelLayout& layout,
                              bool fullscreen)
{
    const MaskExpander expand(layout.redMask, layout.greenMask, layout.blueMask);
    Frame frame;
    frame.width = width;
    frame.height = height;
    frame.fullscreen = fullscreen;
    frame.pixels.resize(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels + ptrdiff_t(y) * pitch;
        uint32_t* out = frame.pixels.data() + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            uint32_t v = 0;
            if (layout.bytesPerPixel == 2) {
                uint16_t p;
                std::memcpy(&p, row + x * 2, 2);
                v = p;
            } else {
                std::memcpy(&v, row + x * 4, 4);
            }
            out[x] = expand(v);
        }
    }
    std::lock_guard lock(mutex_);
    last_ = std::move(frame);
    ++presents_;
}

MemoryPresenter::Frame MemoryPresenter::LastFrame()
{
    std::lock_guard lock(mutex_);
    return last_;
}

int MemoryPresenter::PresentCount()
{
    std::lock_guard lock(mutex_);
    return presents_;
}

WindowSystem& Backend::GetWindows()
{
    static ScriptedWindows none;
    return none;
}

Clock& SystemClock()
{
    static PosixClock clock;
    return clock;
}

void RegisterBackend(const std::string& name, BackendFactory factory)
{
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    t.factories[name] = factory;
}

bool UseBackend(const std::string& name)
{
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    auto it = t.factories.find(name);
    if (it == t.factories.end())
        return false;
    t.current = it->second();
    return true;
}

Backend& CurrentBackend()
{
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    if (!t.current)
        t.current = t.factories["system"]();
    return *t.current;
}

} // namespace platform
