#include "ResourceFixture.h"

#include <gtest/gtest.h>

namespace restest {

const char* const kManifest = R"(<?xml version="1.0"?>
<ResourceManifest>
  <!-- what the title screen needs -->
  <Resources id="General">
    <SetDefaults path="images\" idprefix="IMAGE_"/>
    <Image path="plain.tga"/>
    <Image id="SHEET" path="sheet" rows="2" cols="3" alphagrid="grid" anim="PingPong" framedelay="5"
           a4r4g4b4="" minsubdivide=""/>
    <Image id="GHOST" path="ghost" alphacolor="FF0000"/>
    <Image id="MASKED" path="masked" alphaimage="mask" ddsurface="" nopal="" mirrorx="" mirrory="" hue="30"/>
    <Image id="PROGRAM" path="!program"/>
    <SetDefaults path="sounds" idprefix="SOUND_"/>
    <Sound id="CLICK" path="click" volume="0.5" pan="-2000"/>
    <Sound id="BOOM" path="boom"/>
    <SetDefaults path="fonts" idprefix="FONT_"/>
    <Font id="MAIN" path="main.txt" tags="bold, shadow"/>
    <Font id="SYS" path="!sys:DejaVu Sans" size="12" bold="" shadow=""/>
    <Font id="COPY" path="!ref:FONT_MAIN"/>
    <Font id="STRIP" path="strip.txt" image="images/strip"/>
  </Resources>
  <Resources id="Common">
    <SetDefaults path="images" idprefix="COMMON_"/>
    <Image id="A" path="plain" variant="a" mirrorx=""/>
    <Image id="B" path="sheet" variant="b" rows="2" cols="3"/>
    <Image id="C" path="ghost" variant="c"/>
    <SetDefaults path="sounds"/>
    <Sound id="CLICK" path="click"/>
    <SetDefaults path="fonts"/>
    <Font id="MAIN" path="main.txt"/>
  </Resources>
</ResourceManifest>
)";

std::vector<std::pair<std::string, std::string>> FixtureFiles()
{
    std::vector<uint32_t> sheet(6 * 4, 0xFF808080);
    return {
        { "properties/resources.xml", kManifest },
        { "images/plain.tga", MakeTGA(4, 2, { 0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF,
                                              0xFF123456, 0xFF654321, 0xFF0000FF }) },
        { "images/sheet.tga", MakeTGA(6, 4, sheet) },
        { "images/grid.tga", MakeTGA(2, 2, { 0xFF000010, 0xFF000020, 0xFF000030, 0xFF000040 }) },
        { "images/_ghost.tga", MakeTGA(2, 1, { 0xFF000080, 0xFF0000FF }) },
        { "images/masked.tga", MakeTGA(2, 2, { 0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC }) },
        { "images/mask.tga", MakeTGA(2, 2, { 0xFFFFFFFF, 0xFF000000, 0xFF0000FF, 0xFFFFFF00 }) },
        { "images/wrongmask.tga", MakeTGA(3, 3, std::vector<uint32_t>(9, 0xFFFFFFFF)) },
        { "images/strip.tga", MakeTGA(10, 8, std::vector<uint32_t>(80, 0xFFFFFFFF)) },
        { "sounds/click.wav", MakeWAV(64) },
        { "sounds/boom.wav", MakeWAV(128) },
        { "fonts/main.tga", MakeTGA(20, 10, std::vector<uint32_t>(200, 0xFFFFFFFF)) },
        { "fonts/main.txt", "SetDefaultPointSize 10;"
                            "CreateLayer Main; LayerSetImage Main 'main.tga'; LayerSetAscent Main 8;"
                            "LayerSetImageMap Main ('A' 'V') ((0 0 5 10) (5 0 6 9));"
                            "LayerSetCharWidths Main ('A' 'V') (5 6);"
                            "CreateLayer Bold; LayerRequireTags Bold ('bold');" },
    };
}

LoadedFixture::LoadedFixture() : pak(FixtureFiles())
{
    // Strip fonts read their widths file from the disk: space width,
    // ascent, then characters with their widths.
    pak.Dir().Write("fonts/strip.txt", "3 7\nA 5\nB 4\n");
}

} // namespace restest
