#pragma once
// Sound effects and music synthesised from fixed seeds, and voice lines
// spoken by espeak-ng; written as Ogg Vorbis (WAV for the shortest sounds).
#include <string>
#include <vector>

namespace datagen {

// Each appends its manifest lines (group Sounds) to `manifest`.
bool WriteSounds(const std::string& root, std::string& manifest, std::string& error);
bool WriteVoices(const std::string& root, std::string& manifest, std::string& error);
bool WriteMusic(const std::string& root, std::string& error);

bool WriteWav16(const std::string& path, int rate, const std::vector<float>& mono);

} // namespace datagen
