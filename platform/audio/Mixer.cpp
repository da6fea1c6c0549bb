#include "platform/audio/Mixer.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace platform::audio {
namespace {

int32_t Gain16(int32_t hundredthsOfDb)
{
    if (hundredthsOfDb <= kVolumeSilent)
        return 0;
    return static_cast<int32_t>(std::lround(65536.0 * std::pow(10.0, hundredthsOfDb / 2000.0)));
}

} // namespace

int32_t GainToVolume(double gain)
{
    if (!(gain > 0.00001))
        return kVolumeSilent;
    double v = std::round(2000.0 * std::log10(gain));
    return static_cast<int32_t>(std::clamp(v, double(kVolumeSilent), 0.0));
}

void PcmData::MakeFrames(uint32_t frame)
{
    if (!stream)
        return;
    std::lock_guard lock(streamMutex_);
    const size_t whole = size_t(streamFrames) * format.BlockAlign();
    const size_t wanted = std::min(whole, size_t(frame) * format.BlockAlign());
    while (bytes.size() < wanted && !streamEnded_)
        streamEnded_ = !stream->Next(bytes);
    if (bytes.size() > whole)
        bytes.resize(whole);
    else if (streamEnded_ && bytes.size() < whole)
        bytes.resize(whole, format.bits == 8 ? 0x80 : 0);
}

Voice::Voice(Mixer& mixer, std::shared_ptr<PcmData> data)
    : mixer_(mixer), data_(std::move(data)), frequency_(data_->format.rate)
{
}

Voice::~Voice()
{
    std::lock_guard lock(mixer_.mutex_);
    auto& v = mixer_.voices_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void Voice::UpdateGains()
{
    gainLeft_ = Gain16(volume_ - std::max(pan_, 0));
    gainRight_ = Gain16(volume_ + std::min(pan_, 0));
}

void Voice::SetVolume(int32_t hundredthsOfDb)
{
    std::lock_guard lock(mixer_.mutex_);
    volume_ = std::clamp(hundredthsOfDb, kVolumeSilent, 0);
    UpdateGains();
}

int32_t Voice::Volume() const
{
    std::lock_guard lock(mixer_.mutex_);
    return volume_;
}

void Voice::SetPan(int32_t pan)
{
    std::lock_guard lock(mixer_.mutex_);
    pan_ = std::clamp(pan, kPanLeft, kPanRight);
    UpdateGains();
}

int32_t Voice::Pan() const
{
    std::lock_guard lock(mixer_.mutex_);
    return pan_;
}

void Voice::SetFrequency(uint32_t hz)
{
    std::lock_guard lock(mixer_.mutex_);
    frequency_ = hz;
}

uint32_t Voice::Frequency() const
{
    std::lock_guard lock(mixer_.mutex_);
    return frequency_;
}

void Voice::Play(bool looping)
{
    std::lock_guard lock(mixer_.mutex_);
    playing_ = true;
    looping_ = looping;
}

void Voice::SetLooping(bool looping)
{
    std::lock_guard lock(mixer_.mutex_);
    looping_ = looping;
}

void Voice::Stop()
{
    std::lock_guard lock(mixer_.mutex_);
    playing_ = false;
}

bool Voice::IsPlaying() const
{
    std::lock_guard lock(mixer_.mutex_);
    return playing_;
}

bool Voice::IsLooping() const
{
    std::lock_guard lock(mixer_.mutex_);
    return looping_;
}

void Voice::SetPosition(uint32_t byteOffset)
{
    std::lock_guard lock(mixer_.mutex_);
    uint32_t frame = std::min(byteOffset / data_->format.BlockAlign(), data_->Frames());
    position_ = uint64_t(frame) << 32;
}

uint32_t Voice::Position() const
{
    std::lock_guard lock(mixer_.mutex_);
    return uint32_t(position_ >> 32) * data_->format.BlockAlign();
}

void Voice::SetLoop(uint32_t startFrame, uint32_t lengthFrames)
{
    std::lock_guard lock(mixer_.mutex_);
    loopStart_ = startFrame;
    loopLength_ = lengthFrames;
}

int32_t Voice::SampleAt(uint32_t frame, int channel) const
{
    const PcmFormat& f = data_->format;
    size_t offset = size_t(frame) * f.BlockAlign() + (f.channels == 2 ? channel : 0) * (f.bits / 8);
    const uint8_t* p = data_->bytes.data() + offset;
    if (f.bits == 8)
        return (int32_t(p[0]) - 128) * 256;
    return int16_t(uint16_t(p[0] | (p[1] << 8)));
}

// Linear interpolation between neighbouring frames; the frame after the last
// one of a loop is the loop start.
void Voice::MixInto(int32_t* mix, size_t frames)
{
    const uint32_t total = data_->Frames();
    if (!playing_ || total == 0)
        return;
    uint32_t loopStart = std::min(loopStart_, total - 1);
    uint32_t end = loopLength_ ? uint32_t(std::min<uint64_t>(uint64_t(loopStart) + loopLength_, total)) : total;
    const uint64_t step = (uint64_t(frequency_) << 32) / AudioDevice::kRate;
    // A stream makes the frames this call reaches (and the one after, for
    // the interpolation); looping goes back to frames already made.
    if (data_->stream)
        data_->MakeFrames(uint32_t(std::min<uint64_t>(((position_ + step * frames) >> 32) + 2, total)));
    for (size_t i = 0; i < frames; ++i) {
        uint32_t frame = uint32_t(position_ >> 32);
        if (frame >= (looping_ ? end : total)) {
            if (!looping_) {
                playing_ = false;
                position_ = 0;
                return;
            }
            frame = loopStart + (frame - loopStart) % (end - loopStart);
            position_ = (uint64_t(frame) << 32) | (position_ & 0xFFFFFFFFu);
        }
        uint32_t next = frame + 1;
        if (next >= (looping_ ? end : total))
            next = looping_ ? loopStart : frame;
        int32_t frac = int32_t((position_ >> 16) & 0xFFFF);
        for (int ch = 0; ch < 2; ++ch) {
            int32_t s0 = SampleAt(frame, ch);
            int32_t s = s0 + int32_t((int64_t(SampleAt(next, ch) - s0) * frac) >> 16);
            mix[2 * i + ch] += int32_t((int64_t(s) * (ch ? gainRight_ : gainLeft_)) >> 16);
        }
        position_ += step;
    }
}

Mixer::Mixer(AudioDevice* device)
{
    if (device)
        device->AddSource(this);
}

Mixer::~Mixer()
{
    if (AudioDevice* device = Device())
        device->RemoveSource(this);
}

std::unique_ptr<Voice> Mixer::CreateVoice(std::shared_ptr<PcmData> data)
{
    if (!data || !data->format.Valid())
        return nullptr;
    std::unique_ptr<Voice> voice(new Voice(*this, std::move(data)));
    std::lock_guard lock(mutex_);
    voices_.push_back(voice.get());
    return voice;
}

namespace {
// Lock-free, so that a signal handler may set it.
std::atomic<bool> gSilenced { false };
static_assert(std::atomic<bool>::is_always_lock_free);
} // namespace

void Mixer::SilenceAll()
{
    gSilenced.store(true, std::memory_order_relaxed);
}

bool Mixer::Silenced()
{
    return gSilenced.load(std::memory_order_relaxed);
}

void Mixer::MixInto(int32_t* mix, size_t frames)
{
    if (Silenced())
        return;
    std::lock_guard lock(mutex_);
    for (Voice* v : voices_)
        v->MixInto(mix, frames);
}

} // namespace platform::audio
