#pragma once
// Ogg Vorbis encoding for the data set and for the tests' fixtures. Whatever
// links this must not also link the program's Tremor decoder: both export
// the same symbol names.
#include <string>
#include <vector>

namespace datagen {

// Mono or interleaved samples in -1..1; the same input gives the same bytes.
bool WriteOgg(const std::string& path, int rate, int channels, const std::vector<float>& samples, float quality);

} // namespace datagen
