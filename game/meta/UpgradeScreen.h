#pragma once
// Between levels: the town full screen, the upgrade panel offering the
// current stage's four buildings, and the building panel above telling
// about the one under the pointer. Buying takes the cost from the
// profile's "score_total", lets the building appear and, with the stage's
// fourth building, celebrates. Continue leads back to the game, or to the
// menu once the whole town is built.
#include "framework/widgets/ButtonListener.h"
#include "game/meta/TownViewScreen.h"
#include "game/ui/UpgradeSlot.h"

#include <array>

class BuildingPanel;
class ComplexImage;
class UpgradePanel;

class UpgradeScreen : public TownViewScreen, public Kivo::ButtonListener {
public:
    // Ids the upgrade panel reports.
    static constexpr int kContinueId = 0;
    static constexpr int kFirstBuyId = 2;
    static constexpr int kFirstSlotId = 1002;

    UpgradeScreen();
    ~UpgradeScreen() override;

    void KeyDown(int key) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void OnEnter() override;
    void OnLeave() override;

    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    // To the menu once the town is built, else back to the game.
    void Continue();
    // Both fade out first.
    void GoToGame();
    void GoToMenu();
    // The current stage's buildings into the slots: previews and button
    // states (bought, affordable, too expensive).
    void RefreshSlots();
    // Switches on the end animation of every bought building whose levels
    // have run out.
    void ApplyFinishedAnimations();
    void StageFireworks();
    // Buys the current stage's building in the slot, when it is not bought
    // yet and the funds suffice.
    void Buy(int slot);

    // A building's "preview" layer drawn in its slot.
    class Preview : public SlotPicture {
    public:
        void Draw(Kivo::Graphics* g) override;
        ComplexImage* mLayer = nullptr;
    };

    UpgradePanel* mUpgradePanel;
    BuildingPanel* mBuildingPanel;
    std::array<Preview, 4> mPreviews;

private:
    void ChangeTo(const char* state);
    // The slot of a buy button or slot picture id; -1 for others.
    static int SlotOf(int id);
};
