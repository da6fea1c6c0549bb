#pragma once
// What the music manager and the voice lines need of the application and of
// the game above it: the sound-off flag, the update counter, the sound
// manager, the music interface, the resource manager, the settings, message
// boxes, the selected player profile and the game's message window. The
// application implements it and installs itself; tests install a double.
#include <string>

namespace Kivo {

class MusicInterface;
class ResourceManager;
class SoundManager;

class AudioHost {
public:
    virtual ~AudioHost() = default;
    // Sound and music are off.
    virtual bool IsMusicDisabled() = 0;
    // Incremented once per application update.
    virtual int GetUpdateCount() = 0;
    // Each may be null before the application has made it.
    virtual SoundManager* GetSoundManager() = 0;
    virtual MusicInterface* GetMusicInterface() = 0;
    virtual ResourceManager* GetResourceManager() = 0;
    virtual bool GetBoolean(const std::string& name, bool defaultValue) = 0;
    virtual int MsgBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
    // Whether a player profile is selected, and its integer value for the
    // key (0 without a selected profile).
    virtual bool HasProfile() = 0;
    virtual int GetProfileInt(const std::string& key) = 0;
    // Shows the text in the game's message window (one button) and waits
    // for it to be closed.
    virtual void ShowMessageWindow(const std::string& text) = 0;
};

// The installed application; null until one is installed.
AudioHost* GetAudioHost();
void SetAudioHost(AudioHost* host);

} // namespace Kivo
