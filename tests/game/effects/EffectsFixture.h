#pragma once
// One resource table for the whole test program, holding every image and
// sound the effects look up: effects keep the images they look up once per
// program, so the table must outlive every test. Each test starts with a
// fixed random state, sound on, nothing played and a frame time of one step.
#include "framework/app/TimeHooks.h"
#include "framework/core/Random.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/ui/Callback.h"
#include "tests/game/effects/FakePyro.h"
#include "tests/game/effects/ImageTable.h"
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

// An image of `cels` cels of w x h side by side.
inline std::unique_ptr<RecordingImage> Strip(int w, int h, int cels)
{
    auto image = std::make_unique<RecordingImage>(w * cels, h);
    image->mNumCols = cels;
    image->mNumCels = cels;
    return image;
}

// A bitmap font of three glyphs on a 24 x 13 strip: 'A' 8, 'B' 6 and 'C' 10
// pixels wide, a space of 4; ascent 10.
inline Kivo::ImageFont* MakeTestFont(ImageTable& table)
{
    static testsupport::TempDir dir;
    static const std::string widths = dir.Write("widths.txt", "4 10\nA 8\nB 6\nC 10\n");
    Kivo::Image* strip = table.AddImage("FONT_STRIP_" + std::to_string(table.mImages.size()), Strip(24, 13, 1));
    return new Kivo::ImageFont(strip, widths);
}

inline ImageTable& SharedResources()
{
    static ImageTable* table = [] {
        auto* t = new ImageTable;
        t->AddImage("IMAGE_GFX_LIGHTNING_LINE", Strip(20, 8, 1));
        t->AddImage("IMAGE_GFX_LIGHTNING_LINE_CENTER", Strip(40, 8, 1));
        t->AddImage("IMAGE_GFX_LIGHTNING_ANIMATION", Strip(10, 16, 4));
        for (const char* id : {"BRICK_MOD_CHAIN1", "BRICK_MOD_CHAIN2", "BRICK_MOD_FRAME", "BRICK_MOD_BOX"})
            t->AddImage(id, Strip(45, 45, 1));
        t->AddImage("IMAGE_BOARD_BACKGROUND", Strip(500, 500, 1));
        t->AddImage("IMAGE_BOARD_CELLS", Strip(450, 450, 1));
        t->AddImage("IMAGE_FIELD_FRAME", Strip(600, 520, 1));
        t->AddImage("IMAGE_FIELD_NO_TIME_PANEL", Strip(100, 40, 1));
        t->AddImage("BRICK_BONUS_ROW_PART_LEFT", Strip(30, 40, 1));
        t->AddImage("BRICK_BONUS_ROW_PART_RIGHT", Strip(30, 40, 1));
        // Colours 1..9 turn through 8 cels; colour 10 has a single cel.
        for (int c = 0; c < 9; ++c)
            t->AddImage("BRICK_" + std::to_string(c), Strip(40, 40, 8));
        t->AddImage("BRICK_9", Strip(40, 40, 1));
        t->AddImage("BRICK_KEY", Strip(40, 40, 8));
        t->AddImage("IMAGE_GFX_SMALL_SHART_DOT", Strip(6, 6, 1));
        t->AddImage("IMAGE_GFX_FLUID1", Strip(128, 32, 1));
        t->AddImage("IMAGE_GFX_FLUID2", Strip(128, 32, 1));
        t->AddImage("IMAGE_GFX_FLUID_DOT", Strip(16, 16, 1));
        for (const char* id : {"SOUND_BOARD_APPEAR", "SOUND_BRICKS_FLYIN", "SOUND_ENERGIZER_FLY_START",
                               "SOUND_ENERGIZER_FLY_DONE", "SOUND_FIREWORKS_STAR1", "SOUND_FIREWORKS_EXPLODE1",
                               "SOUND_FIREWORKS_EXPLODE2", "SOUND_REACHED"})
            t->AddSound(id);
        for (const char* id : {"FONT_BOARD", "FONT_EFFECTS", "FONT_EFFECTS_BIG"})
            t->AddFont(id, MakeTestFont(*t));
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

    ImageTable& res = SharedResources();
    DrawLog screen;
};
