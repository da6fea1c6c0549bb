// The particle files of the data set, as the pack tool wrote them, loaded
// back through the library and the program's device: every emitter the
// program names is there, starts showing particles within 25 steps, and
// the one-shot ones end by themselves while still told to emit.
#include "game/effects/GfxPyroSystem.h"
#include "game/effects/PyroLibraryManager.h"
#include "platform/pyro/PyroParticles.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <gtest/gtest.h>

namespace {

const char* const kOneShot[] = {
    "brick_explode", "energized_exploded", "brick_energy_explode", "cell_clouds_explode", "bomb_explode",
    "row_explode", "magnet_explode", "magnet_item_explode", "explode_match", "explode_match_big", "shuffle_field",
    "bonus_mix_explode", "bonus_fluid_explode", "fluid_explode", "energizer_start", "energized_end",
    "energized_end2", "fast_flare_explode", "bonus_ball_light", "brick_hint", "brick_exchange_hilight",
    "key_appear", "hole_appear", "key_done", "key_done_final", "timer_reset", "game_mode_switch",
    "bonus_extrapanel_show", "bonus_extrapanel_match", "bonus_extrapanel", "counter_appear", "counter_one_done",
    "fireworks_explode1", "fireworks_explode2", "fireworks_explode3", "profile_switch", "town_appear",
    "town_appear_stage", "town_fall", "town_grow", "animation_appear"};
const char* const kTrails[] = {"energized_fly", "fireworks_fly", "round_hint_fly", "total_score_line",
                               "town_smoke", "town_sparkles", "town_water"};

struct DataFiles : ::testing::Test {
    DataFiles()
    {
        delete PyroLibraryManager::Existing(); // a fresh manager with the real library
        manager = GetPyroLibraryManager();
        for (const char* f : {"particles.pyro", "particles_town.pyro"})
            loaded += manager->LoadFile(std::string(KIVO_DATA_DIR) + "/tree/properties/pyro/" + f) ? 1 : 0;
    }
    ~DataFiles() override { delete manager; }
    PyroLibraryManager* manager;
    int loaded = 0;
};

TEST_F(DataFiles, OneShotEmittersShowAtOnceAndEndByThemselves)
{
    ASSERT_EQ(loaded, 2);
    Kivo::MemoryImage screen;
    screen.Create(800, 600);
    Kivo::Graphics g(&screen);
    for (const char* name : kOneShot) {
        GfxPyroSystem effect(name, 400, 300);
        ASSERT_TRUE(effect.start()) << name;
        int steps = 0, firstParticle = -1;
        while (effect.process() != -1 && steps < 1000) {
            effect.update(1);
            if (firstParticle < 0 && effect.Emitter().mEmitter->HasParticles())
                firstParticle = steps;
            if (steps % 20 == 0)
                effect.draw(&g);
            ++steps;
        }
        EXPECT_GE(firstParticle, 0) << name;
        EXPECT_LT(firstParticle, 25) << name;
        EXPECT_LT(steps, 400) << name << " runs too long";
    }
}

TEST_F(DataFiles, TrailsRunUntilStoppedThenEnd)
{
    ASSERT_EQ(loaded, 2);
    for (const char* name : kTrails) {
        PyroEmitter emitter(name);
        ASSERT_TRUE(emitter.HasInstance()) << name;
        emitter.PlaceAndStart(100, 100);
        for (int i = 0; i < 600; ++i) {
            emitter.setPos(100 + float(i), 100);
            emitter.update(1);
            ASSERT_TRUE(emitter.alive()) << name << " at " << i;
        }
        emitter.stop(false);
        int steps = 0;
        while (emitter.alive() && steps < 1000) {
            emitter.update(1);
            ++steps;
        }
        EXPECT_LT(steps, 600) << name;
    }
}

} // namespace
