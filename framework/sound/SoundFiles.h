#pragma once
// Sound files: a loaded sound id is filled from "<name>.wav", "<name>.mp3"
// (only with the manager's FMOD choice), "<name>.ogg" or "<name>.au", the
// first that decodes. Every read except the FMOD library's goes through the
// pak file calls.
#include "framework/sound/SoundDecoders.h"
#include "platform/music/Fmod.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Kivo {

class DSoundManager;

// The whole file through the pak calls; false when it cannot be opened or read.
bool ReadPakFile(const std::string& name, std::vector<uint8_t>& out);

// The decoders that fill `id` of the manager from the file `fileName`.
bool LoadWavSound(DSoundManager& manager, unsigned int id, const std::string& fileName);
bool LoadOggSound(DSoundManager& manager, unsigned int id, const std::string& fileName);
bool LoadAuSound(DSoundManager& manager, unsigned int id, const std::string& fileName);
bool LoadFModSound(DSoundManager& manager, unsigned int id, const std::string& fileName);
// Tries the extensions in order; `name` has none.
bool LoadSoundFile(DSoundManager& manager, unsigned int id, const std::string& name);
// Decodes the sound LoadSoundFile would load, by the same readers in the
// same order, into memory (the FMOD choice aside): for checking data
// without a sound device.
bool DecodeSoundFile(const std::string& name, DecodedSound& out);

// An FMOD sample of "<name>.ogg", decoded once into
// "<data folder>cached\<file name>.wav" and loaded from there afterwards.
// Null without the FMOD table or when neither file loads.
FSOUND_SAMPLE* WriteCachedWav(const std::string& name);

} // namespace Kivo
