#pragma once
// The definitions of the own particle engine's systems by id, read once
// from an index file and one file per system. Loading may run on the
// loading thread; the main thread reads the definitions after it ended.
#include "framework/core/Singleton.h"
#include "game/effects/ParticleSystemInfo.h"

#include <map>
#include <string>

class TiXmlElement;

class ParticleLibraryManager : public Singleton<ParticleLibraryManager> {
public:
    ~ParticleLibraryManager() override = default;

    // Reads the index and every system it names; false when the index
    // cannot be read. A system file that cannot be read adds nothing.
    bool Load(const std::string& indexPath);
    // A copy of the definition; false for an unknown id.
    bool Find(const std::string& id, ParticleSystemInfo& out) const;
    size_t Count() const { return mSystems.size(); }

    // A definition from a system file's root element "particles"; false
    // for any other root.
    static bool ReadSystem(const TiXmlElement* root, ParticleSystemInfo& out);

private:
    std::map<std::string, ParticleSystemInfo> mSystems;
};

ParticleLibraryManager* GetParticleLibraryManager();
