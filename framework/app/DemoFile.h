#pragma once
// The demo file: magic, version, random seed, the product version it was
// recorded with, named markers (version 2 on), the update count at the end
// of the recording, then the event stream. Numbers are little-endian.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Kivo {

inline constexpr uint32_t kDemoMagic = 0x42BEEF78;
inline constexpr uint32_t kDemoVersion = 2;

// Event commands of the stream: the short form has 0 and 1, the long form
// the rest.
enum DemoCommand {
    kDemoShortMouseMove = 0,
    kDemoShortMouseButton = 1,
    kDemoMousePosition = 0,
    kDemoActivation = 1,
    kDemoMinimize = 2,
    kDemoKeyDown = 3,
    kDemoKeyUp = 4,
    kDemoChar = 5,
    kDemoClose = 6,
    kDemoMouseEnter = 7,
    kDemoMouseLeave = 8,
    kDemoLoadingDone = 9,
    kDemoRegistryRead = 11,
    kDemoRegistryWrite = 12,
    kDemoFileExists = 14,
    kDemoFileRead = 15,
    kDemoHttpResult = 17,
    kDemoSyncData = 18,
    kDemoMouseWheel = 21,
    kDemoDisplaySettings = 23,
    kDemoFiller = 31,
};

// Demo files larger than this are refused: the event stream is addressed
// in bits by 32-bit counts.
inline constexpr size_t kMaxDemoFileSize = 0x7FFFFFFF / 8;

struct DemoMarker {
    std::string name;
    int32_t update = 0;
};

struct DemoFile {
    uint32_t version = kDemoVersion;
    uint32_t seed = 0;
    std::string productVersion;
    std::vector<DemoMarker> markers;
    int32_t endUpdate = 0;
    std::vector<uint8_t> events;
};

// The file's bytes. Texts longer than 65535 bytes are cut to fit their
// 16-bit lengths.
std::vector<uint8_t> EncodeDemoFile(const DemoFile& demo);
// Reads a demo recorded with `productVersion`. Every length is checked
// against the bytes that remain; false with the reason in `error` ("Invalid
// demo file.", or the version the file was made for).
bool DecodeDemoFile(const uint8_t* data, size_t size, const std::string& productVersion, DemoFile& out,
                    std::string& error);

} // namespace Kivo
