#include "framework/sound/VoiceHelper.h"

#include "framework/core/Random.h"
#include "framework/core/Strings.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/resources/ResourceManager.h"
#include "framework/sound/AudioHost.h"
#include "framework/sound/SoundInstance.h"
#include "framework/sound/SoundManager.h"

using Kivo::AudioHost;
using Kivo::GetAudioHost;

VoiceHelper::~VoiceHelper()
{
    StopVoice();
}

Kivo::SoundInstance* VoiceHelper::CurrentVoice()
{
    // The instance belongs to the sound manager and goes with it when the
    // application is deleted before this helper.
    AudioHost* host = GetAudioHost();
    if (mCurrentVoice && !(host && host->GetSoundManager()))
        mCurrentVoice = nullptr;
    return mCurrentVoice;
}

void VoiceHelper::StopVoice()
{
    Kivo::SoundInstance* voice = CurrentVoice();
    if (!voice)
        return;
    voice->SetVolume(0.0);
    voice->Stop();
    voice->Release();
    mCurrentVoice = nullptr;
}

void VoiceHelper::PlayVoice(int soundId)
{
    AudioHost* host = GetAudioHost();
    if (!host || host->IsMusicDisabled())
        return;
    if (host->HasProfile() ? host->GetProfileInt("voice") == 0 : !host->GetBoolean("voice_current", false))
        return;
    unsigned update = unsigned(host->GetUpdateCount());
    if (update == mLastUpdate)
        return;
    mLastUpdate = update;
    StopVoice();
    Kivo::SoundManager* sounds = host->GetSoundManager();
    // A negative id (a line that is not loaded) must not wrap to a large one.
    Kivo::SoundInstance* voice = sounds && soundId >= 0 ? sounds->GetSoundInstance(unsigned(soundId)) : nullptr;
    if (!voice)
        return;
    voice->Play(false, false);
    mCurrentVoice = voice;
    mLastVoiceId = soundId;
}

void VoiceHelper::PlayVoiceByName(const std::string& id)
{
    PlayVoice(GetSoundIdByName(id));
}

void VoiceHelper::PlayRandomVoice(const std::string& prefix, int minimum, int maximum, float chance)
{
    if (chance < Kivo::RandomFloat(0.0f, 1.0f))
        return;
    auto draw = [&] { return GetSoundIdByName(Kivo::StrFormat("%s%d", prefix.c_str(), Kivo::RandomInt(minimum, maximum))); };
    // Lines that all share the last line's id (every sound is id 0 when
    // there is no sound device) would be drawn again for ever: the draws
    // are bounded, far beyond what a range of two lines could need.
    constexpr int kMaxRedraws = 64;
    int id = draw();
    for (int redraws = 0; id != -1 && id == mLastVoiceId && maximum > minimum && redraws < kMaxRedraws; ++redraws)
        id = draw();
    PlayVoice(id);
}

bool VoiceHelper::IsVoicePlaying()
{
    Kivo::SoundInstance* voice = CurrentVoice();
    return voice && !voice->IsReleased() && voice->IsPlaying();
}

bool LoadSoundsGroup()
{
    AudioHost* host = GetAudioHost();
    Kivo::ResourceManager* resources = host ? host->GetResourceManager() : nullptr;
    if (!resources)
        return false;
    resources->DeleteResources("Sounds");
    // The manager keeps its first failure until a group load starts, and a
    // parse fails while one is kept: without this, one failed reload would
    // make every later one fail with the old message.
    resources->StartLoadResources("Sounds");
    if (resources->ParseResourcesFileAllowRedefine("properties\\sounds.xml") && resources->LoadResources("Sounds"))
        return true;
    host->ShowMessageWindow(resources->GetErrorText());
    return false;
}
