#include "game/effects/ParticleLibraryManager.h"

#include "framework/sound/SoundFiles.h"
#include "framework/resources/ResourceHelpers.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <tinyxml.h>
#include <vector>

namespace {

bool LoadXml(const std::string& path, TiXmlDocument& doc)
{
    std::vector<uint8_t> bytes;
    if (!Kivo::ReadPakFile(path, bytes))
        return false;
    std::string text(bytes.begin(), bytes.end());
    const char* start = text.c_str();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        start += 3;
    doc.Parse(start, nullptr, TIXML_ENCODING_LEGACY);
    return !doc.Error() && doc.RootElement();
}

// The "value" of the child element `name`, or null when the element or its
// value is missing (the field then keeps its default).
const char* Value(const TiXmlElement* root, const char* name)
{
    const TiXmlElement* e = root->FirstChildElement(name);
    return e ? e->Attribute("value") : nullptr;
}

void ReadFloat(const TiXmlElement* root, const char* name, float& out)
{
    if (const char* v = Value(root, name)) {
        const double d = std::strtod(v, nullptr);
        // A value beyond the float range would turn into infinity.
        out = std::isfinite(d) && std::fabs(d) <= FLT_MAX ? static_cast<float>(d) : 0.0f;
    }
}

void ReadColor(const TiXmlElement* root, const char* name, ParticleColor& out)
{
    const char* v = Value(root, name);
    if (!v)
        return;
    const unsigned long c = std::strtoul(v, nullptr, 16);
    out.a = float((c >> 24) & 0xFF) / 255.0f;
    out.r = float((c >> 16) & 0xFF) / 255.0f;
    out.g = float((c >> 8) & 0xFF) / 255.0f;
    out.b = float(c & 0xFF) / 255.0f;
}

} // namespace

bool ParticleLibraryManager::ReadSystem(const TiXmlElement* root, ParticleSystemInfo& s)
{
    if (!root || std::strcmp(root->Value(), "particles") != 0)
        return false;
    s = ParticleSystemInfo();
    if (const char* v = Value(root, "emission")) {
        // Negative or absurd rates would emit nothing or stall a step.
        const long e = std::strtol(v, nullptr, 10);
        s.emission = e < 0 || e > 100000 ? 0 : static_cast<int>(e);
    }
    ReadFloat(root, "lifetime", s.lifetime);
    ReadFloat(root, "particle_life_min", s.particleLifeMin);
    ReadFloat(root, "particle_life_max", s.particleLifeMax);
    ReadFloat(root, "direction", s.direction);
    ReadFloat(root, "spread", s.spread);
    if (const char* v = Value(root, "relative"))
        s.relative = std::strtol(v, nullptr, 10) != 0;
    ReadFloat(root, "speed_min", s.speedMin);
    ReadFloat(root, "speed_max", s.speedMax);
    ReadFloat(root, "gravity_min", s.gravityMin);
    ReadFloat(root, "gravity_max", s.gravityMax);
    ReadFloat(root, "radial_acc_min", s.radialAccMin);
    ReadFloat(root, "radial_acc_max", s.radialAccMax);
    ReadFloat(root, "tan_acc_min", s.tangentialAccMin);
    ReadFloat(root, "tan_acc_max", s.tangentialAccMax);
    ReadFloat(root, "size_start", s.sizeStart);
    ReadFloat(root, "size_end", s.sizeEnd);
    ReadFloat(root, "size_var", s.sizeVar);
    ReadFloat(root, "spin_start", s.spinStart);
    ReadFloat(root, "spin_end", s.spinEnd);
    ReadFloat(root, "spin_var", s.spinVar);
    ReadColor(root, "color_start", s.colorStart);
    ReadColor(root, "color_end", s.colorEnd);
    ReadFloat(root, "color_var", s.colorVar);
    ReadFloat(root, "alpha_var", s.alphaVar);
    if (const char* v = Value(root, "color_blend"))
        s.blend = static_cast<unsigned char>(std::strtol(v, nullptr, 10));
    ReadFloat(root, "born_width", s.bornWidth);
    ReadFloat(root, "born_height", s.bornHeight);
    ReadFloat(root, "wave_size", s.waveSize);
    ReadFloat(root, "wave_speed", s.waveSpeed);
    ReadFloat(root, "alpha_repeat", s.alphaRepeat);
    if (const char* v = Value(root, "image_id"))
        s.imageId = v;
    s.image = s.imageId.empty() ? nullptr : GetImageById(s.imageId);
    return true;
}

bool ParticleLibraryManager::Load(const std::string& indexPath)
{
    TiXmlDocument index;
    if (!LoadXml(indexPath, index))
        return false;
    for (const TiXmlElement* e = index.RootElement()->FirstChildElement("system"); e;
         e = e->NextSiblingElement("system")) {
        const char* file = e->Attribute("file");
        const char* id = e->Attribute("id");
        if (!file || !id)
            continue;
        TiXmlDocument doc;
        ParticleSystemInfo info;
        if (LoadXml(file, doc) && ReadSystem(doc.RootElement(), info))
            mSystems[id] = std::move(info); // a later id replaces the earlier
    }
    return true;
}

bool ParticleLibraryManager::Find(const std::string& id, ParticleSystemInfo& out) const
{
    auto it = mSystems.find(id);
    if (it == mSystems.end())
        return false;
    out = it->second;
    return true;
}

ParticleLibraryManager* GetParticleLibraryManager() { return ParticleLibraryManager::Instance(); }
