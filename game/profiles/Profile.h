#pragma once
// A player's profile: named strings, integers and byte blobs kept between
// runs (name, game type, scores, stored games, the town, hint masks). Keys
// are compared bytewise.
#include "framework/core/Buffer.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class Profile {
public:
    // The values of a new player, with the game reset.
    Profile();
    virtual ~Profile() = default;
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    std::string GetString(const std::string& key) const;
    void SetString(const std::string& key, const std::string& value);
    // 0 when the key is missing.
    int32_t GetInt(const std::string& key) const;
    int32_t GetIntOr(const std::string& key, int32_t defaultValue) const;
    void SetInt(const std::string& key, int32_t value);
    // The stored blob itself, rewound to its start; null when missing.
    Kivo::Buffer* GetBuffer(const std::string& key);
    // Stores a copy of the blob's bytes (an empty blob for null), replacing
    // the one under the key; the blob may be the one stored there.
    void SetBuffer(const std::string& key, const Kivo::Buffer* blob);
    // Empties the stored games, the game's progress and the town, and zeroes
    // the level, the colour set and the scores.
    void ResetGame();

    // The slot file (ProfileFile.h). Save replaces the file only once the
    // whole new one is on disk; Load changes nothing unless the whole file
    // is sound, and gives the game type, progress type and level found out
    // of their range the values of a new player.
    bool Save(const std::string& path) const;
    bool Load(const std::string& path);

    std::map<std::string, std::string> strings;
    std::map<std::string, int32_t> ints;
    std::map<std::string, std::unique_ptr<Kivo::Buffer>> blobs;
};
