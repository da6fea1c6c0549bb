#pragma once
// The panel above the upgrade screen's town that tells about the building
// under the pointer: its name, description and cost, and whether the funds
// suffice. It fades in and out (sinking 20 pixels as it goes); a request
// that arrives while it fades waits for the fade to end.
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"

class TownItem;

namespace Kivo {
class Image;
}

class BuildingPanel : public Kivo::Widget {
public:
    BuildingPanel();
    ~BuildingPanel() override;

    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;
    // Remembers y as the panel's place when shown.
    void Move(int x, int y) override;

    void Show(bool show, bool animate);
    // A building index 4 * stage + slot; below 0 keeps the building.
    void SetBuilding(int building);

    int32_t mBuilding = -1;
    Kivo::LiveValue mAlpha{0.0f, 0.1f};
    int32_t mPendingVisibility = 0; // 1 show, -1 hide
    int32_t mPendingBuilding = -1;
    int32_t mHomeY = 0;
    Kivo::Image* mBackground;
    TownItem* mItem = nullptr;
};
