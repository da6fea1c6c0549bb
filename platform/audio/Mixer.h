#pragma once
// The software mixer under DirectSound and the music libraries. A voice plays
// PCM held in memory (8-bit unsigned or 16-bit signed little-endian, mono or
// stereo, any rate) with a volume in hundredths of a decibel, a pan and a
// playback frequency; duplicates share the sample memory. The mixer is an
// audio source: whatever device it is attached to pulls it from its own
// thread, and a mixer with no device is simply never pulled.
#include "platform/Backend.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::audio {

inline constexpr int32_t kVolumeSilent = -10000;
inline constexpr int32_t kPanLeft = -10000;
inline constexpr int32_t kPanRight = 10000;

struct PcmFormat {
    uint16_t channels = 1;
    uint16_t bits = 16;
    uint32_t rate = 22050;
    uint32_t BlockAlign() const { return uint32_t(channels) * bits / 8; }
    bool Valid() const { return (channels == 1 || channels == 2) && (bits == 8 || bits == 16) && rate > 0; }
};

// Makes a stream's PCM a piece at a time.
class PcmStream {
public:
    virtual ~PcmStream() = default;
    // Appends the next piece of PCM to `out`; false once the stream has no
    // more.
    virtual bool Next(std::vector<uint8_t>& out) = 0;
};

// Sample memory. Its size is fixed at creation; writers (Lock) and the
// mixing thread may touch the bytes at the same time, as on the device.
//
// A stream made as it plays has a `stream` and its whole length in
// `streamFrames`; `bytes` hold the frames made so far, in memory reserved
// for all of them at the start (so that it never moves), and MakeFrames makes
// more. A stream that ends early is filled out with silence.
struct PcmData {
    PcmFormat format;
    std::vector<uint8_t> bytes;
    std::unique_ptr<PcmStream> stream;
    uint32_t streamFrames = 0;

    uint32_t Frames() const { return stream ? streamFrames : uint32_t(bytes.size() / format.BlockAlign()); }
    // Makes the frames before `frame` (at most the whole length) available.
    void MakeFrames(uint32_t frame);

private:
    std::mutex streamMutex_;
    bool streamEnded_ = false;
};

class Mixer;

class Voice {
public:
    ~Voice();
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    const std::shared_ptr<PcmData>& Data() const { return data_; }
    // Clamped to kVolumeSilent ... 0 and kPanLeft ... kPanRight.
    void SetVolume(int32_t hundredthsOfDb);
    int32_t Volume() const;
    void SetPan(int32_t pan);
    int32_t Pan() const;
    void SetFrequency(uint32_t hz);
    uint32_t Frequency() const;
    // Plays from the current position; at the end a looping voice goes back
    // to its loop start, any other stops and rewinds to 0.
    void Play(bool looping);
    void SetLooping(bool looping);
    // Stops where it is; the position stays.
    void Stop();
    bool IsPlaying() const;
    bool IsLooping() const;
    // Byte offset in the sample data, rounded down to a whole frame.
    void SetPosition(uint32_t byteOffset);
    uint32_t Position() const;
    // The loop covers frames [start, start + length); length 0 runs to the end.
    void SetLoop(uint32_t startFrame, uint32_t lengthFrames);

private:
    friend class Mixer;
    Voice(Mixer& mixer, std::shared_ptr<PcmData> data);
    void MixInto(int32_t* mix, size_t frames);
    void UpdateGains();
    int32_t SampleAt(uint32_t frame, int channel) const;

    Mixer& mixer_;
    std::shared_ptr<PcmData> data_;
    int32_t volume_ = 0;
    int32_t pan_ = 0;
    uint32_t frequency_;
    bool playing_ = false;
    bool looping_ = false;
    uint32_t loopStart_ = 0;
    uint32_t loopLength_ = 0;
    uint64_t position_ = 0; // frames, 32.32 fixed point
    int32_t gainLeft_ = 65536; // 16.16 fixed point
    int32_t gainRight_ = 65536;
};

class Mixer final : public AudioSource {
public:
    // Attaches to `device` when one is given.
    explicit Mixer(AudioDevice* device = nullptr);
    // Detaches from its device, if that is still there.
    ~Mixer() override;
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // The voice must go before the mixer.
    std::unique_ptr<Voice> CreateVoice(std::shared_ptr<PcmData> data);
    void MixInto(int32_t* mix, size_t frames) override;

    // Every mixer adds nothing from its next buffer on, for good: after a
    // crash nothing is left to stop the voices. Only sets an atomic flag, so
    // it is safe inside a signal handler.
    static void SilenceAll();
    static bool Silenced();

private:
    friend class Voice;
    mutable std::mutex mutex_;
    std::vector<Voice*> voices_;
};

// Linear gain as hundredths of a decibel: 1 gives 0, 0 (and below
// 10^-5) gives kVolumeSilent.
int32_t GainToVolume(double gain);

} // namespace platform::audio
