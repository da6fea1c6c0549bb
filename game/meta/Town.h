#pragma once
// The town: the items of the town picture and the stages of buildings the
// player buys. It keeps no progress of its own: progress is the current
// profile's blob "town_info", two bytes per building i = 4 * stage +
// building (flags: bit 0 bought, bit 1 end animation applied; then the
// completed levels still to wait before the end animation).
#include "framework/core/Singleton.h"
#include "game/meta/GamePlaySound.h"
#include "game/meta/TownItem.h"
#include "game/meta/TownStages.h"

#include <map>
#include <string>
#include <vector>

class TiXmlDocument;

namespace Kivo {
class Graphics;
}

class Town : public Singleton<Town>, public GamePlaySound {
public:
    static constexpr int kBuildingsPerStage = 4;
    static constexpr int kStageCount = 5;
    static constexpr int kBuildingCount = kBuildingsPerStage * kStageCount;
    static constexpr int kProgressSize = 2 * kBuildingCount;

    // Loads "properties\town_items.xml", then the stages.
    Town();
    ~Town() override;

    void Update();
    void UpdateF(float dt);
    // The last item first, so that an earlier item is drawn over a later one.
    void Draw(Kivo::Graphics* g);

    // Shows or hides an item, or layers of it, with a fade and a sound when
    // withEffect is set and something changes; delay in seconds.
    void RunCommand(TownCommand* command, bool withEffect, float delay);
    // Shows the building as its bought flag says and runs its commands;
    // true when all four buildings of the stage are bought (its stage
    // commands then run too).
    bool ShowBuilding(int stage, int building, bool withEffect);
    // Runs the building's animation commands once its end animation is
    // applied; true when they ran.
    bool ReplayBuildingAnimation(int stage, int building, bool withEffect);
    // Brings the picture into line with the current profile, without effects.
    void Rebuild();
    static TownItem* GetBuildingItem(int stage, int building);

    void LoadItems();
    // Appends the items of an items file's text; false when it does not parse.
    bool LoadItemsXml(const std::string& text);
    TownItem* FindItem(const std::string& id) const;

    // Progress in the current profile. Without a profile, or without the
    // blob, reads give false or 0 and writes do nothing (except that
    // SetBought creates the blob). Indices outside 0..19 likewise.
    static bool HasProgress();
    static void CreateProgress();
    static int GetBuiltCount();
    static bool IsComplete();
    static int GetCurrentStage();
    static bool IsBought(int i);
    static bool IsAnimationDone(int i);
    static int GetAnimationLevels(int i);
    static void SetBought(int i);
    static void SetAnimationDone(int i);
    static void SetAnimationLevels(int i, unsigned char n);
    static void AgeBuildingAnimations();
    static bool CanAfford(int i);

    TownStages* stages = nullptr;
    // Not owning; when two items share an id the later one is entered.
    std::map<std::string, TownItem*> itemsById;
    // Owning, in file order.
    std::vector<TownItem*> items;

private:
    bool AddItems(TiXmlDocument& doc);
    void PlayAppearSound(const TownItem* item, float delay);
};
