#pragma once
// The small interfaces that the Windows-shaped calls of this layer stand on.
// A backend implements them side by side: "sdl" for real runs, "headless"
// for tests and tools. Backends only translate; every decision that Windows
// makes (tick wrapping, default buttons, ...) is made once, above them.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Microseconds from an arbitrary fixed origin; never goes backwards.
    virtual uint64_t NowMicros() = 0;
    virtual void SleepMillis(uint32_t ms) = 0;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a box and returns the Windows answer code (IDOK, IDYES, ...).
    // `defaultAnswer` is the answer of the box's default button, for a
    // backend that asks nobody; 0 when the box could not be shown at all
    // (MessageBoxA then puts the text on stderr).
    virtual int Show(const std::string& text, const std::string& caption, unsigned type, int defaultAnswer) = 0;
};

class AudioDevice;
class WindowSystem;

// Something an audio device plays: adds `frames` frames of 44.1 kHz stereo
// (left, right interleaved, 16-bit scale) into `mix`.
class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual void MixInto(int32_t* mix, size_t frames) = 0;
    // The device that plays this source; null once that device is gone.
    AudioDevice* Device() const { return device_; }

private:
    friend class AudioDevice;
    AudioDevice* device_ = nullptr;
};

// The sound output: 44.1 kHz, 16-bit stereo. Every added source is summed,
// scaled by the wave-output volume and clipped to 16 bits. A real backend
// pulls Render from its output thread once a source exists; the headless
// one leaves Render to tests.
class AudioDevice {
public:
    static constexpr uint32_t kRate = 44100;

    AudioDevice() = default;
    // Sources still added are let go, not destroyed.
    virtual ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;
    void AddSource(AudioSource* source);
    // After this returns, Render no longer reaches the source.
    void RemoveSource(AudioSource* source);
    void Render(int16_t* out, size_t frames);

protected:
    // Called once, when the first source is added.
    virtual void Start() {}

private:
    std::mutex mutex_;
    std::vector<AudioSource*> sources_;
    std::vector<int32_t> mix_;
    bool started_ = false;
};

// How a pixel is stored.
struct PixelLayout {
    int bytesPerPixel = 4; // 2 or 4; display depth is this x 8
    uint32_t redMask = 0xFF0000;
    uint32_t greenMask = 0xFF00;
    uint32_t blueMask = 0xFF;
};

// Widens a pixel to 0xFFRRGGBB by its channel masks: each channel's top bit
// lands on bit 23, 15 or 7; the bits below the channel stay 0.
class MaskExpander {
public:
    MaskExpander(uint32_t redMask, uint32_t greenMask, uint32_t blueMask);
    uint32_t operator()(uint32_t pixel) const
    {
        return 0xFF000000u | Move(pixel & red_, redShift_) | Move(pixel & green_, greenShift_) |
               Move(pixel & blue_, blueShift_);
    }

private:
    static uint32_t Move(uint32_t v, int n) { return n > 0 ? v << n : v >> -n; }
    uint32_t red_, green_, blue_;
    int redShift_, greenShift_, blueShift_;
};

// Where finished frames go. The desktop's size and refresh rate are the
// window system's; its pixel layout is the presenter's.
class Presenter {
public:
    virtual ~Presenter() = default;
    virtual PixelLayout DesktopLayout() = 0;
    // Shows a whole frame: `height` rows of `pitch` bytes. In full screen the
    // frame is scaled to the output keeping its aspect (an emulated mode).
    virtual void Present(const uint8_t* pixels, int pitch, int width, int height, const PixelLayout& layout,
                         bool fullscreen) = 0;
    // True when presenting already waits for the vertical blank.
    virtual bool HasVSync() { return false; }
};

// A presenter without a screen: a settable layout, and the last frame kept
// as 0xFFRRGGBB words (each channel's top bit moved to bit 7).
class MemoryPresenter : public Presenter {
public:
    PixelLayout DesktopLayout() override;
    void Present(const uint8_t* pixels, int pitch, int width, int height, const PixelLayout& layout,
                 bool fullscreen) override;
    void SetDesktopLayout(const PixelLayout& layout);

    struct Frame {
        int width = 0;
        int height = 0;
        bool fullscreen = false;
        std::vector<uint32_t> pixels;
    };
    Frame LastFrame();
    int PresentCount();

private:
    std::mutex mutex_;
    PixelLayout layout_;
    Frame last_;
    int presents_ = 0;
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual const char* Name() const = 0;
    virtual Clock& GetClock() = 0;
    virtual MessageBoxes& GetMessageBoxes() = 0;
    // The base gives a device that nothing pulls: sound goes nowhere.
    virtual AudioDevice& GetAudio();
    // The base gives a memory presenter.
    virtual Presenter& GetPresenter();
    // The base gives scripted windows that nobody scripts: no events.
    virtual WindowSystem& GetWindows();
};

using BackendFactory = std::unique_ptr<Backend> (*)();

// Adds a backend to the table under `name`; a later registration of the
// same name replaces the earlier one.
void RegisterBackend(const std::string& name, BackendFactory factory);

// Makes the named backend current, creating it. False when no backend of
// that name is registered. "headless" is always registered.
bool UseBackend(const std::string& name);

// The current backend. Until one is chosen this is the "system" backend:
// the POSIX clock and message boxes written to stderr.
Backend& CurrentBackend();

// The POSIX clock (CLOCK_MONOTONIC, nanosleep), shared by the real backends.
Clock& SystemClock();

} // namespace platform
