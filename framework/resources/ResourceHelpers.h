#pragma once
// How game code reaches resources, sounds and texts: by id, through the
// installed application (GetResourceHost). Nothing here reports an error or
// throws: an unknown id, a resource not loaded or no application gives null,
// -1, an empty string or silence. With sound off nothing is looked up or
// played. Voice lines (VoiceHelper, with StopVoice) sit above the sound
// manager, in framework/sound/VoiceHelper.h.
#include <string>

namespace Kivo {
class Font;
class Image;
} // namespace Kivo

// The image stays valid while its resource stays loaded.
Kivo::Image* GetImageById(const std::string& id);
Kivo::Font* GetFontById(const std::string& id);
int GetSoundIdByName(const std::string& id);
void PlaySoundById(const std::string& id);
void PlaySoundNum(int soundId);
// Pitch in semitones; pan from -10000 (left) to 10000 (right).
void PlaySoundEx(int soundId, int pitch, int pan);
void PlaySoundPitchedByName(const std::string& id, int pitch, int pan);
// The localised text of a text id; empty when absent.
std::string GetStringById(const char* id);

// Both report success whatever happened; failures go to the debug output.
bool DeleteFileStr(const std::string& path);
bool MakeDirsStr(const std::string& path);
std::string CopyString(const std::string& s);
