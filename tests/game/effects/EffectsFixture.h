#pragma once
// One resource table for the whole test program, holding every image and
// sound the effects look up: effects keep the images they look up once per
// program, so the table must outlive every test. Each test starts with a
// fixed random state, sound on, nothing played and a frame time of one step.
#include "framework/app/TimeHooks.h"
#include "framework/core/Random.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/ui/Callback.h"
#include "tests/game/effects/DrawLog.h"
#include "tests/game/effects/FakePyro.h"
#include "tests/support/ResourceTable.h"
#include "tests/support/TempDir.h"

#include "framework/graphics/ImageFont.h"

#include <gtest/gtest.h>

inline float gFrameTime = 0.01f;

// A stored call that counts how often it ran.
struct Counter : baseCallback {
    explicit Counter(int* count) : mCount(count) {}
    void Invoke() override { ++*mCount; }
    baseCallback* Clone() override { return new Counter(mCount); }
    int* mCount;
};

// A bitmap font of three glyphs on a 24 x 13 strip: 'A' 8, 'B' 6 and 'C' 10
// pixels wide, a space of 4; ascent 10.
inline Kivo::ImageFont* MakeTestFont(testsupport::ResourceTable& table)
{
    static testsupport::TempDir dir;
    static const std::string widths = dir.Write("widths.txt", "4 10\nA 8\nB 6\nC 10\n");
    Kivo::Image* strip = table.AddImage("FONT_STRIP_" + std::to_string(table.mImages.size()), 24, 13);
    return new Kivo::ImageFont(strip, widths);
}

inline testsupport::ResourceTable& SharedResources()
{
    static testsupport::ResourceTable* table = [] {
        auto* t = new testsupport::ResourceTable;
        t->AddImage("IMAGE_GFX_LIGHTNING_LINE", 20, 8);
        t->AddImage("IMAGE_GFX_LIGHTNING_LINE_CENTER", 40, 8);
        t->AddStrip("IMAGE_GFX_LIGHTNING_ANIMATION", 4, false, 10, 16);
        for (const char* id : {"BRICK_MOD_CHAIN1", "BRICK_MOD_CHAIN2", "BRICK_MOD_FRAME", "BRICK_MOD_BOX"})
            t->AddImage(id, 45, 45);
        t->AddImage("IMAGE_BOARD_BACKGROUND", 500, 500);
        t->AddImage("IMAGE_BOARD_CELLS", 450, 450);
        t->AddImage("IMAGE_FIELD_FRAME", 600, 520);
        t->AddImage("IMAGE_FIELD_NO_TIME_PANEL", 100, 40);
        t->AddImage("BRICK_BONUS_ROW_PART_LEFT", 30, 40);
        t->AddImage("BRICK_BONUS_ROW_PART_RIGHT", 30, 40);
        // Colours 1..9 turn through 8 cels; colour 10 has a single cel.
        for (int c = 0; c < 9; ++c)
            t->AddStrip("BRICK_" + std::to_string(c), 8, false, 40, 40);
        t->AddImage("BRICK_9", 40, 40);
        t->AddStrip("BRICK_KEY", 8, false, 40, 40);
        t->AddImage("IMAGE_GFX_SMALL_SHART_DOT", 6, 6);
        t->AddImage("IMAGE_GFX_FLUID1", 128, 32);
        t->AddImage("IMAGE_GFX_FLUID2", 128, 32);
        t->AddImage("IMAGE_GFX_FLUID_DOT", 16, 16);
        for (const char* id : {"SOUND_BOARD_APPEAR", "SOUND_BRICKS_FLYIN", "SOUND_ENERGIZER_FLY_START",
                               "SOUND_ENERGIZER_FLY_DONE", "SOUND_FIREWORKS_STAR1", "SOUND_FIREWORKS_EXPLODE1",
                               "SOUND_FIREWORKS_EXPLODE2", "SOUND_REACHED"})
            t->AddSound(id);
        for (const char* id : {"FONT_BOARD", "FONT_EFFECTS", "FONT_EFFECTS_BIG"})
            t->SetFont(id, MakeTestFont(*t));
        return t;
    }();
    return *table;
}

inline Kivo::Image* Img(const std::string& id) { return GetImageById(id); }

struct EffectTest : ::testing::Test {
    void SetUp() override
    {
        Kivo::SetResourceHost(&res);
        fakepyro::Install();
        res.mSoundOn = true;
        res.mPlayed.clear();
        Kivo::SeedRandomInt(12345);
        gFrameTime = 0.01f;
        Kivo::GetTimeHooks().frameTime = [] { return gFrameTime; };
    }
    void TearDown() override
    {
        Kivo::ResetTimeHooks();
        res.mSoundOn = false;
    }

    testsupport::ResourceTable& res = SharedResources();
    DrawLog screen;
};
