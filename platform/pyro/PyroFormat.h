#pragma once
// The particle file: little-endian, a header ("KPYR", u16 major 1, u16
// minor, u32 chunk count) and chunks (fourcc, u32 length, payload):
//   TEXR: u16 name length, name, u32 PNG length, PNG bytes (one texture);
//   EMIT: u32 length, UTF-8 XML <emitters><emitter name=".."><layer ../>..
// Chunks of other kinds are skipped. Everything is checked: lengths against
// the bytes left, names, texture sizes, counts, numbers.
#include <cstdint>
#include <string>
#include <vector>

namespace PyroParticles {

constexpr uint16_t kPyroMajor = 1;
constexpr uint16_t kPyroMinor = 0;
constexpr size_t kMaxName = 255;
constexpr uint32_t kMaxTextureSide = 1024;
constexpr size_t kMaxEmitters = 1024;
constexpr size_t kMaxLayers = 16;
constexpr int kMaxParticles = 2000;
constexpr size_t kMaxFileSize = size_t(64) << 20;
constexpr uint32_t kMaxChunks = 4096;

struct TextureData {
    std::string name;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba; // R, G, B, A bytes, rows top to bottom
};

// One layer of an emitter. Times in seconds, distances in pixels, angles in
// degrees (direction 0 points up, growing clockwise), colours 0xAARRGGBB.
struct LayerDef {
    int texture = 0; // index into the file's textures
    int blend = 1;   // 0 normal, 1 additive, 2 plain add
    float rate = 0;      // particles per second
    float duration = 0;  // seconds of emission by rate; below 0 endless
    int burst = 0;       // particles at the first emitting step
    float lifeMin = 1, lifeMax = 1;
    float direction = 0, spread = 360;
    float speedMin = 0, speedMax = 0;
    float gravity = 0;    // px/s², positive down
    float drag = 0;       // fraction of the speed lost per second
    float radial = 0;     // px/s² away from the emitter
    float tangential = 0; // px/s² around it
    float sizeStart = 16, sizeEnd = 16, sizeVar = 0;
    float spinMin = 0, spinMax = 0; // deg/s
    uint32_t colorStart = 0xFFFFFFFF, colorEnd = 0x00FFFFFF;
    float fadeIn = 0; // fraction of the life over which alpha rises from 0
    float areaWidth = 0, areaHeight = 0, offsetX = 0, offsetY = 0;
    int maxParticles = 500;
    // The layer never stops emitting by itself.
    bool Endless() const { return rate > 0 && duration < 0; }
};

struct EmitterDef {
    std::string name;
    std::vector<LayerDef> layers;
};

struct PyroFileData {
    std::vector<TextureData> textures;
    std::vector<EmitterDef> emitters;
};

// False with a reason for anything malformed; `out` is then unspecified.
bool ParsePyroFile(const uint8_t* data, size_t size, PyroFileData& out, std::string& error);
// Emitter XML against the texture names (index = position).
bool ParseEmittersXml(const std::string& xml, const std::vector<std::string>& textureNames,
                      std::vector<EmitterDef>& out, std::string& error);

// 8-bit RGBA PNG in memory. Decoding fails beyond kMaxTextureSide.
bool DecodePng(const uint8_t* data, size_t size, TextureData& out, std::string& error);
bool EncodePng(const TextureData& texture, std::vector<uint8_t>& out);

struct PackTexture {
    std::string name;
    std::vector<uint8_t> png;
};
// A whole file from its textures and emitter XML.
std::vector<uint8_t> WritePyroFile(const std::vector<PackTexture>& textures, const std::string& emittersXml);

} // namespace PyroParticles
