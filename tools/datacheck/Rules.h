#pragma once
// The data checker's rules: each reads what it needs from a data folder (the
// unpacked tree) and reports every problem it finds.
#include <map>
#include <string>
#include <vector>

namespace datacheck {

struct Resource {
    std::string kind;     // Image, Sound or Font
    std::string id;       // with the prefix applied
    std::string group;
    std::string path;     // with the default path applied
    std::string manifest; // the file it came from
    std::map<std::string, std::string> attributes;
};

class DataSet {
public:
    explicit DataSet(std::string root);
    const std::string& Root() const { return mRoot; }
    bool Exists(const std::string& path) const;
    // The file's bytes; false when it cannot be read.
    bool Read(const std::string& path, std::string& out) const;

    // The manifests in the order the program parses them, and what parsing
    // them gave (loaded on first use).
    const std::vector<std::string>& Manifests();
    const std::vector<Resource>& Resources();
    const std::vector<std::string>& ManifestProblems();
    const Resource* Find(const std::string& id);
    // String settings from the language file and the text file.
    const std::map<std::string, std::string>& Strings();
    const std::vector<std::string>& StringProblems();

private:
    void LoadManifests();
    void LoadStrings();
    std::string mRoot;
    bool mManifestsLoaded = false, mStringsLoaded = false;
    std::vector<std::string> mManifests, mManifestProblems, mStringProblems;
    std::vector<Resource> mResources;
    std::map<std::string, std::string> mStrings;
};

using Report = std::vector<std::string>;

struct Rule {
    const char* name;
    const char* what;
    void (*check)(DataSet& data, Report& report);
};

const std::vector<Rule>& Rules();

// The particle files' rule, and whether particles_town.pyro has an emitter.
void Emitters(DataSet& data, Report& report);
bool TownEmitterExists(DataSet& data, const std::string& name);
// The decoding rule: every resource, track and XML file through the
// program's own readers.
void Decode(DataSet& data, Report& report);

std::string Lower(std::string s);

} // namespace datacheck
