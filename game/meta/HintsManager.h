#pragma once
// The hints of "properties\hints.xml": a picture and a text per hint id,
// and the hint's position among the file's "hint" elements, which is its
// shown bit in the player's profile.
#include "framework/core/Singleton.h"

#include <map>
#include <string>

class TiXmlElement;

namespace Kivo {
class Image;
}

class HintsManager : public Singleton<HintsManager> {
public:
    struct Hint {
        Kivo::Image* image = nullptr; // not owned; null for a text-only hint
        std::string text;
        int index = 0;
    };

    // Loads the file.
    HintsManager();
    ~HintsManager() override = default;

    void Load();
    // Replaces the table with the hints of a file's text; false when the
    // text does not parse or has no "hints" element.
    bool LoadXml(const std::string& text);
    // Builds one record and stores it under the id, replacing an earlier one.
    void ParseHint(const TiXmlElement* hint, const std::string& id, int index);
    // False when out is null or the id is unknown.
    bool Find(const std::string& id, Hint* out) const;
    // The number of distinct ids.
    int GetCount() const { return static_cast<int>(mHints.size()); }
    // One past the largest index in the table: with a repeated id the
    // indices run past the count.
    int GetIndexBound() const { return mIndexBound; }
    const std::map<std::string, Hint>& Hints() const { return mHints; }

private:
    std::map<std::string, Hint> mHints;
    int mIndexBound = 0;
};
