#pragma once
// The brick images and colours by colour number, the colour sets of
// "properties/combinations.xml" from which each level draws its colours, and
// the bonus tables of the panel slots.
#include "framework/core/Singleton.h"
#include "framework/graphics/Color.h"

#include <string>
#include <vector>

namespace Kivo {
class Image;
}

// Bonus kinds: 0 mixer, 1 lightning, 4 bomb, 5 row, 6 magnet.
int BonusSlotToKind(int slot);
int BonusKindToSlot(int kind);
// The image id of a bonus kind; empty for other kinds.
const char* GetBonusBrickImageId(int kind);
Kivo::Image* GetBonusBrickImage(int kind);
// The panel slot a colour code fills; -1 for 2, 3 and codes outside 1..10.
int ColourToBonusSlot(int code);

// The colour sets of a combinations document: the text of each "chipset"
// under the first "chipsets", one colour number 0..9 per digit. Characters
// other than digits are skipped. A document that does not parse gives none.
std::vector<std::vector<int>> ParseColourSets(const std::string& xml);

class BrickHelper : public Singleton<BrickHelper> {
public:
    // Looks the images up and reads the colour sets once.
    BrickHelper();

    // Codes 1..12 (no image for 11); null outside or when missing.
    Kivo::Image* GetBrickImage(int code) const;
    // Colours 1..10 only.
    Kivo::Image* GetMaskImage(int colour) const;
    Kivo::Image* GetGlowImage(int colour) const;
    Kivo::Image* GetShineImage(int colour) const;
    bool GetColour(int colour, Kivo::Color& out) const;

    // The set's colours: `count` distinct colour numbers drawn at random
    // from set `setIndex`, ascending, each plus 1 (brick codes 1..10).
    // False, with nothing drawn, for an unknown set; a count above the set's
    // distinct colours gives all of them.
    bool PickLevelColours(std::vector<int>& colours, int count, int setIndex) const;
    // Draws a set uniformly and picks from it; the set's index, -1 when
    // there are no sets.
    int PickRandomColourSet(std::vector<int>& colours, int count) const;

    std::vector<std::vector<int>> mColourSets;

private:
    Kivo::Image* mBricks[13] = {};
    Kivo::Image* mMasks[11] = {};
    Kivo::Image* mGlows[11] = {};
    Kivo::Image* mShines[11] = {};
};
