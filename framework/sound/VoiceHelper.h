#pragma once
// Spoken voice lines: at most one plays at a time, at most one new line
// starts per application update, a random pick never repeats the line last
// played, and nothing plays unless the player's voice setting allows it.
#include "framework/core/Singleton.h"

#include <string>

namespace Kivo {
class SoundInstance;
}

class VoiceHelper : public Singleton<VoiceHelper> {
public:
    VoiceHelper() = default;
    ~VoiceHelper() override;

    void PlayVoice(int soundId);
    void PlayVoiceByName(const std::string& id);
    // With probability `chance`, the line prefix + n for a random n in
    // [minimum, maximum].
    void PlayRandomVoice(const std::string& prefix, int minimum, int maximum, float chance);
    bool IsVoicePlaying();
    // Silences, stops and releases the line last started.
    void StopVoice();

    int GetLastVoiceId() const { return mLastVoiceId; }

private:
    // The line last started, while the sound manager that owns it lives.
    Kivo::SoundInstance* CurrentVoice();

    // The update counter at the last request that passed the setting checks.
    unsigned mLastUpdate = 0;
    int mLastVoiceId = -1;
    // Owned until StopVoice releases it.
    Kivo::SoundInstance* mCurrentVoice = nullptr;
};

// Reloads the group "Sounds" from "properties\sounds.xml"; a broken manifest
// or a failed load is shown in the message window and gives false.
bool LoadSoundsGroup();
