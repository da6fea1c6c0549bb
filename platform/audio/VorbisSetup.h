#pragma once
// The test an Ogg Vorbis file passes before Tremor opens it. Tremor leaves
// its decoder half built when a codebook's code lengths do not make a whole
// prefix code, and later divides by the dimensions of the books it never
// built (SIGFPE in ov_read): such a file must never reach it.
#include <cstddef>
#include <cstdint>
#include <functional>

namespace platform::audio {

// Reads the next bytes, at most `size` of them, into `out`; 0 at the end.
using ByteReader = std::function<size_t(uint8_t* out, size_t size)>;

// Reads an Ogg file to its end and checks every logical stream in it (each
// stream of a chain): it must begin with the three Vorbis headers in their
// order (identification, comment, setup), as Tremor loses memory on a later
// stream that does not, and the codebooks of its setup header must be
// sound: each book's code lengths must fill its prefix code exactly (a book
// with one used entry, or none, may leave it open) and the book must be
// whole. False too for a file without a stream.
bool VorbisCodebooksSound(const ByteReader& read);

} // namespace platform::audio
