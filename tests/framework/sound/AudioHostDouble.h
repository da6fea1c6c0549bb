#pragma once
// The application as the music manager and the voice lines see it: each
// answer is a field the test sets; message boxes and the message window are
// recorded.
#include "framework/sound/AudioHost.h"

#include <map>
#include <string>
#include <vector>

namespace soundtest {

class AudioHostDouble final : public Kivo::AudioHost {
public:
    AudioHostDouble() { Kivo::SetAudioHost(this); }
    ~AudioHostDouble() override { Kivo::SetAudioHost(nullptr); }

    bool IsMusicDisabled() override { return musicDisabled; }
    int GetUpdateCount() override { return updateCount; }
    Kivo::SoundManager* GetSoundManager() override { return sounds; }
    Kivo::MusicInterface* GetMusicInterface() override { return music; }
    Kivo::ResourceManager* GetResourceManager() override { return resources; }
    bool GetBoolean(const std::string& name, bool defaultValue) override
    {
        auto it = booleans.find(name);
        return it == booleans.end() ? defaultValue : it->second;
    }
    int MsgBox(const std::string& text, const std::string& caption, unsigned flags) override
    {
        boxes.push_back(text + "|" + caption + "|" + std::to_string(flags));
        return 1;
    }
    bool HasProfile() override { return hasProfile; }
    int GetProfileInt(const std::string& key) override
    {
        auto it = profile.find(key);
        return hasProfile && it != profile.end() ? it->second : 0;
    }
    void ShowMessageWindow(const std::string& text) override { messages.push_back(text); }

    bool musicDisabled = false;
    int updateCount = 1;
    Kivo::SoundManager* sounds = nullptr;
    Kivo::MusicInterface* music = nullptr;
    Kivo::ResourceManager* resources = nullptr;
    std::map<std::string, bool> booleans;
    bool hasProfile = false;
    std::map<std::string, int> profile;
    std::vector<std::string> boxes;
    std::vector<std::string> messages;
};

} // namespace soundtest
