#include "game/profiles/Profile.h"

#include "framework/app/KivoAppBase.h"
#include "framework/core/Paths.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/profiles/ProfileFile.h"
#include "platform/Paths.h"
#include "platform/ReplaceFile.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

const char* const kGameBlobs[] = { "stored_game_field_1", "stored_game_field_2", "stored_game_field_3",
                                   "game_progress", "town_info" };
const char* const kGameInts[] = { "game_current_level", "game_chipset", "score_total", "score_level_bricks",
                                  "score_level_bonus", "score_level_combo", "score_level_bonusgame" };

bool gSaveFailureTold = false;

// Values the game keeps within bounds and indexes or counts with. A file
// holding one outside them (damaged, edited, from another program) gives
// the value of a new player instead.
struct Bounded {
    const char* key;
    int32_t low, high, fallback;
};
// No player wins a million levels; below it the level number and the
// numbers counted from it cannot overflow.
constexpr int32_t kMaxLevel = 1000000;
const Bounded kBounded[] = {
    { "game_type", 1, 3, 1 },
    { "progress_type", 1, 2, 2 },
    { "game_current_level", 0, kMaxLevel, 0 },
};

} // namespace

Profile::Profile()
{
    SetString("user_name", GetStringById("window_profiles_default_user_name"));
    SetInt("progress_type", 2);
    SetInt("game_type", 1);
    SetInt("voice", Kivo::gKivoApp && Kivo::gKivoApp->GetBoolean("voice_current", false) ? 1 : 0);
    SetInt("hints_mask1", 0);
    SetInt("hints_mask2", 0);
    ResetGame();
}

std::string Profile::GetString(const std::string& key) const
{
    auto it = strings.find(key);
    return it == strings.end() ? std::string() : it->second;
}

void Profile::SetString(const std::string& key, const std::string& value)
{
    strings[key] = value;
}

int32_t Profile::GetInt(const std::string& key) const
{
    return GetIntOr(key, 0);
}

int32_t Profile::GetIntOr(const std::string& key, int32_t defaultValue) const
{
    auto it = ints.find(key);
    return it == ints.end() ? defaultValue : it->second;
}

void Profile::SetInt(const std::string& key, int32_t value)
{
    ints[key] = value;
}

Kivo::Buffer* Profile::GetBuffer(const std::string& key)
{
    auto it = blobs.find(key);
    if (it == blobs.end())
        return nullptr;
    it->second->SeekFront();
    return it->second.get();
}

void Profile::SetBuffer(const std::string& key, const Kivo::Buffer* blob)
{
    // The copy is made before the old blob goes: it may be the one given.
    auto copy = std::make_unique<Kivo::Buffer>();
    if (blob)
        copy->SetData(blob->GetDataPtr(), blob->GetDataLen());
    blobs[key] = std::move(copy);
}

void Profile::ResetGame()
{
    for (const char* key : kGameBlobs)
        SetBuffer(key, nullptr);
    for (const char* key : kGameInts)
        SetInt(key, 0);
}

bool Profile::Save(const std::string& path) const
{
    const std::vector<uint8_t> bytes = EncodeProfileFile(*this);
    std::string error = "the profile is too large to be stored in " + path;
    // The new file replaces the old one only once it is whole on the disk,
    // so a full disk, a crash or a kill never costs the player the progress
    // already saved.
    if (bytes.empty() || !platform::ReplaceFile(platform::DiskPath(path), bytes.data(), bytes.size(), &error)) {
        // One line for each run of failures, not one for every save.
        if (!gSaveFailureTold)
            std::fprintf(stderr, "Profile not saved: %s\n", error.c_str());
        gSaveFailureTold = true;
        return false;
    }
    gSaveFailureTold = false;
    Kivo::GrantFullAccess(Kivo::GetFullPath(path));
    return true;
}

bool Profile::Load(const std::string& path)
{
    FILE* f = std::fopen(platform::DiskPath(path).c_str(), "rb");
    if (!f)
        return false;
    struct stat info {};
    std::vector<uint8_t> bytes;
    bool read = fstat(fileno(f), &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 8 &&
                static_cast<uint64_t>(info.st_size) <= kMaxProfileFileSize;
    if (read) {
        bytes.resize(static_cast<size_t>(info.st_size));
        read = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    }
    std::fclose(f);
    if (!read || !DecodeProfileFile(bytes.data(), bytes.size(), *this))
        return false;
    for (const Bounded& b : kBounded)
        if (const int32_t v = GetInt(b.key); v < b.low || v > b.high)
            SetInt(b.key, b.fallback);
    return true;
}
