#include "framework/sound/AudioHost.h"

#include <atomic>

namespace Kivo {
namespace {

std::atomic<AudioHost*> gHost { nullptr };

} // namespace

AudioHost* GetAudioHost() { return gHost.load(); }

void SetAudioHost(AudioHost* host) { gHost.store(host); }

} // namespace Kivo
