// The particle files: every emitter the program starts by name is in the
// file it belongs to and in no other; one-shot emitters stop emitting by
// themselves; every emitter shows a particle within 25 ticks (0.25 s).
#include "platform/pyro/PyroFormat.h"
#include "tools/datacheck/Rules.h"

#include <algorithm>
#include <map>

namespace datacheck {

namespace {

struct Required {
    const char* name;
    bool town;
    bool oneShot;
};

const Required kEmitters[] = {
    {"brick_explode", false, true}, {"energized_exploded", false, true}, {"brick_energy_explode", false, true},
    {"cell_clouds_explode", false, true}, {"bomb_explode", false, true}, {"row_explode", false, true},
    {"magnet_explode", false, true}, {"magnet_item_explode", false, true}, {"explode_match", false, true},
    {"explode_match_big", false, true}, {"shuffle_field", false, true}, {"bonus_mix_explode", false, true},
    {"bonus_fluid_explode", false, true}, {"fluid_explode", false, true}, {"energizer_start", false, true},
    {"energized_end", false, true}, {"energized_end2", false, true}, {"energized_fly", false, false},
    {"fast_flare_explode", false, true}, {"bonus_ball_light", false, true}, {"brick_hint", false, true},
    {"brick_exchange_hilight", false, true}, {"key_appear", false, true}, {"hole_appear", false, true},
    {"key_done", false, true}, {"key_done_final", false, true}, {"timer_reset", false, true},
    {"game_mode_switch", false, true}, {"bonus_extrapanel_show", false, true},
    {"bonus_extrapanel_match", false, true}, {"bonus_extrapanel", false, true}, {"counter_appear", false, true},
    {"counter_one_done", false, true}, {"total_score_line", false, false}, {"fireworks_fly", false, false},
    {"fireworks_explode1", false, true}, {"fireworks_explode2", false, true}, {"fireworks_explode3", false, true},
    {"round_hint_fly", false, false}, {"profile_switch", false, true}, {"town_appear", true, true},
    {"town_appear_stage", true, true}, {"town_fall", true, true}, {"town_grow", true, true},
    {"animation_appear", true, true},
};

const char* const kFiles[] = {"properties/pyro/particles.pyro", "properties/pyro/particles_town.pyro"};

bool Prompt(const PyroParticles::EmitterDef& e)
{
    return std::any_of(e.layers.begin(), e.layers.end(), [](const PyroParticles::LayerDef& l) {
        return l.burst > 0 || (l.rate > 0 && l.rate * (l.duration < 0 ? 0.25f : std::min(l.duration, 0.25f)) >= 1);
    });
}

bool Endless(const PyroParticles::EmitterDef& e)
{
    return std::any_of(e.layers.begin(), e.layers.end(),
                       [](const PyroParticles::LayerDef& l) { return l.Endless(); });
}

} // namespace

bool LoadEmitters(DataSet& data, int file, std::map<std::string, PyroParticles::EmitterDef>& out, Report& report)
{
    std::string bytes, error;
    PyroParticles::PyroFileData parsed;
    if (!data.Read(kFiles[file], bytes)) {
        report.push_back(std::string(kFiles[file]) + " is missing");
        return false;
    }
    if (!PyroParticles::ParsePyroFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), parsed, error)) {
        report.push_back(std::string(kFiles[file]) + ": " + error);
        return false;
    }
    for (PyroParticles::EmitterDef& e : parsed.emitters)
        out[e.name] = std::move(e);
    return true;
}

void Emitters(DataSet& data, Report& report)
{
    std::map<std::string, PyroParticles::EmitterDef> files[2];
    bool loaded[2];
    for (int f = 0; f < 2; ++f)
        loaded[f] = LoadEmitters(data, f, files[f], report);
    for (const auto& [name, e] : files[0])
        if (files[1].count(name))
            report.push_back(name + " is in both particle files");
    for (int f = 0; f < 2; ++f)
        for (const auto& [name, e] : files[f])
            if (!Prompt(e))
                report.push_back(name + " shows no particle within 25 ticks");
    for (const Required& r : kEmitters) {
        const int f = r.town ? 1 : 0;
        auto it = files[f].find(r.name);
        if (it == files[f].end()) {
            if (loaded[f])
                report.push_back(std::string(r.name) + " is not in " + kFiles[f]);
            continue;
        }
        if (r.oneShot && Endless(it->second))
            report.push_back(std::string(r.name) + " never stops emitting, and the effect running it never ends");
    }
}

bool TownEmitterExists(DataSet& data, const std::string& name)
{
    std::map<std::string, PyroParticles::EmitterDef> town;
    Report ignored;
    LoadEmitters(data, 1, town, ignored);
    return town.count(name) != 0;
}

} // namespace datacheck
