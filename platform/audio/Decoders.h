#pragma once
// Decoders from bytes in memory to PCM, for the music libraries' stand-ins:
// RIFF WAVE, Ogg Vorbis (Tremor), MP3 (libmpg123) and tracker modules
// (libopenmpt). Every decoder accepts any bytes and fails with null.
#include "platform/audio/Mixer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace platform::audio {

struct WavLayout {
    PcmFormat format; // 16-bit mono 22050 Hz until a "fmt " chunk says otherwise
    size_t dataOffset = 0;
    size_t dataSize = 0; // the chunk's whole size, held by the bytes
};

// Called for each chunk other than "fmt " and "data" with the part of its
// body that the bytes hold; false fails the parse.
using WavChunkHook = std::function<bool(const char* id, const uint8_t* body, size_t size)>;

// Walks "RIFF" size "WAVE" and its chunks up to "data". Fails on a format
// tag other than PCM, a format that is not 1-2 channels of 8 or 16 bits at
// a rate up to 1 MHz, a truncated header, chunks that end before "data", or
// a "data" chunk that names more bytes than follow it.
// Chunk bodies are not padded to even sizes.
bool ParseWav(const uint8_t* bytes, size_t size, WavLayout& out, const WavChunkHook& hook = nullptr);

std::shared_ptr<PcmData> DecodeWav(const uint8_t* bytes, size_t size);
std::shared_ptr<PcmData> DecodeOgg(const uint8_t* bytes, size_t size);
std::shared_ptr<PcmData> DecodeMp3(const uint8_t* bytes, size_t size);
// WAV or Ogg Vorbis by their signatures, anything else as MP3.
std::shared_ptr<PcmData> DecodeStream(const uint8_t* bytes, size_t size);
// As DecodeStream, but Ogg Vorbis of a known length is decoded as it plays
// (PcmData::MakeFrames), from the bytes it keeps: opening a song costs its
// headers, not its whole decoding.
std::shared_ptr<PcmData> OpenStream(std::vector<uint8_t> bytes);
// The same over bytes that stay the caller's: they must outlive the stream
// (as with BASS's streams from memory), and are never copied.
std::shared_ptr<PcmData> OpenStream(const uint8_t* bytes, size_t size);

// A module played once through at 44.1 kHz 16-bit stereo (at most ten
// minutes of it), rendered as it plays (PcmData::MakeFrames): loading costs
// the module's own bytes, not its length. With the frame at which each order
// starts.
struct RenderedModule {
    std::shared_ptr<PcmData> pcm;
    std::vector<uint32_t> orderFrames;
};
bool DecodeModule(const uint8_t* bytes, size_t size, RenderedModule& out);

} // namespace platform::audio
