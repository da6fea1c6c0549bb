#pragma once
// What the window tests need of an application: the widget host of FakeApp
// and a resource table serving the windows' pictures as recording images of
// fixed sizes, one fixed-pitch font for each of their font ids and their
// sounds.
#include "tests/support/FakeApp.h"
#include "tests/support/ResourceTable.h"

namespace windowtest {

using testsupport::PitchFont;

// Registers the windows' pictures, fonts and sounds.
inline void AddWindowResources(testsupport::ResourceTable& res)
{
    const struct {
        const char* id;
        int w, h;
    } images[] = {
        {"IMAGE_UI_WINDOW_SMALL", 451, 230}, {"IMAGE_UI_WINDOW", 500, 520},
        {"IMAGE_UI_BUTTON", 161, 45},        {"IMAGE_UI_BUTTON_DOWN", 161, 45},
        {"IMAGE_UI_BUTTON_MASK", 161, 45},   {"IMAGE_UI_BUTTON_SMALL", 101, 39},
        {"IMAGE_UI_BUTTON_SMALL_DOWN", 101, 39}, {"IMAGE_UI_PROFILE_SLOT", 280, 40},
        {"IMAGE_UI_CHECKBOX", 30, 30},       {"IMAGE_UI_CHECKBOX_CHECKED", 30, 30},
        {"IMAGE_UI_ICON_TIMED", 40, 40},     {"IMAGE_UI_ICON_RELAXED", 40, 40},
        {"IMAGE_UI_PROFILE_ARROW", 30, 20},  {"IMAGE_UI_BUTTON_GREEN", 40, 40},
        {"IMAGE_UI_BUTTON_GREEN_DOWN", 40, 40}, {"IMAGE_UI_BUTTON_RED", 40, 40},
        {"IMAGE_UI_BUTTON_RED_DOWN", 40, 40},
    };
    for (const auto& i : images)
        res.AddImage(i.id, i.w, i.h);
    for (const char* id : {"FONT_GOLD", "FONT_CAPTION", "FONT_BUTTON"})
        res.SetFont(id, new PitchFont);
    res.AddSounds({"SOUND_WINDOW_SHOW", "SOUND_WINDOW_HIDE", "SOUND_BUTTON_CHECKBOX", "SOUND_BUTTON_ENTER",
                   "SOUND_BUTTON_DOWN"});
}

// The hint windows' pictures, of the data set's sizes.
inline void AddHintPictures(testsupport::ResourceTable& res)
{
    res.AddImage("IMAGE_UI_WINDOW_HINT", 300, 225);
    res.AddImage("IMAGE_UI_WINDOW_HINT_ARROW", 48, 32);
}

// The resources go first; windows deleted afterwards never touch them.
struct WindowFixture {
    WindowFixture() { AddWindowResources(res); }

    FakeApp app;
    testsupport::ResourceTable res;
};

} // namespace windowtest
