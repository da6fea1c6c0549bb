#pragma once
// Every image of the data set: its resource id, manifest group, file, cel
// layout and the painter that draws it.
#include "tools/datagen/Canvas.h"

#include <functional>
#include <string>
#include <vector>

namespace datagen {

struct ImageDef {
    std::string id;
    std::string group;    // manifest group
    std::string path;     // relative to the data root, ".png"
    int celW = 0, celH = 0;
    int cols = 1, rows = 1;
    std::string anim;     // "", "loop", "once"
    int frameDelay = 0;
    std::function<void(Canvas& sheet)> paint;
};

const std::vector<ImageDef>& AllImages();

// The sheet of one image, painted.
Canvas PaintImage(const ImageDef& def);

// properties/town_items.xml: the background, 20 buildings b00..b19 with
// their construction parts and previews, and the stage decorations
// s0_deco..s4_deco, placed to match the town art.
std::string TownItemsXml();
// Where building k stands (its top-left corner).
std::pair<int, int> TownPlace(int k);

// Screens composed from the images, for review: (name, placements).
struct Placement {
    std::string id;
    int x = 0, y = 0;
    int cel = 0;
    bool centred = false;
    int srcX = 0, srcY = 0, srcW = 0, srcH = 0; // a part of the cel, when srcW > 0
};
Canvas Scene(const std::vector<Placement>& placements);
std::vector<std::pair<std::string, std::vector<Placement>>> Scenes();

// The colour of brick art suffix i (0..9).
RGBA BrickColour(int i);

} // namespace datagen
