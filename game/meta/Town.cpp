#include "game/meta/Town.h"

#include "game/effects/GfxDelay.h"
#include "game/meta/TownItemEffects.h"
#include "game/meta/TownXml.h"
#include "game/profiles/ProfileManager.h"

#include <algorithm>
#include <tinyxml.h>

namespace {

const char kProgressKey[] = "town_info";
constexpr uint8_t kBought = 1;
constexpr uint8_t kAnimationDone = 2;

Profile* SelectedProfile()
{
    ProfileManager* manager = ProfileManager::Instance();
    return manager->HasProfile() ? manager->profile : nullptr;
}

// The stored blob when it holds at least one byte.
Kivo::Buffer* Progress()
{
    Profile* profile = SelectedProfile();
    Kivo::Buffer* blob = profile ? profile->GetBuffer(kProgressKey) : nullptr;
    return blob && blob->GetDataLen() > 0 ? blob : nullptr;
}

bool ValidIndex(int i)
{
    return static_cast<unsigned>(i) < static_cast<unsigned>(Town::kBuildingCount);
}

// A byte of the progress; a blob shorter than the full progress reads its
// missing bytes as 0.
uint8_t ProgressByte(const Kivo::Buffer* blob, int offset)
{
    return offset < blob->GetDataLen() ? blob->GetDataPtr()[offset] : 0;
}

// Stores a copy of the blob with one byte changed. A short blob is first
// widened to the full progress so that the byte exists.
void StoreProgressByte(Kivo::Buffer* blob, int offset, uint8_t value)
{
    std::vector<uint8_t> bytes(blob->GetDataPtr(), blob->GetDataPtr() + blob->GetDataLen());
    if (bytes.size() < static_cast<size_t>(Town::kProgressSize))
        bytes.resize(Town::kProgressSize, 0);
    bytes[static_cast<size_t>(offset)] = value;
    auto* fresh = new Kivo::Buffer();
    fresh->SetData(bytes.data(), static_cast<int>(bytes.size()));
    SelectedProfile()->SetBuffer(kProgressKey, fresh);
    delete fresh;
}

int Ticks(float delay)
{
    return static_cast<int>(delay * 100.0f);
}

// At the back of the item's effects; with a delay above 0 (seconds) behind
// a wait that releases it.
void AddItemEffect(TownItem* item, gfxBase* effect, float delay)
{
    item->effects.addEffect(delay > 0 ? new GfxDelay(delay, effect) : effect);
}

} // namespace

Town::Town()
{
    LoadItems();
    stages = new TownStages();
}

Town::~Town()
{
    for (TownItem* item : items)
        delete item;
    items.clear();
    delete stages;
    itemsById.clear();
}

void Town::Update()
{
    for (TownItem* item : items)
        item->Update();
    GamePlaySound::Update();
}

void Town::UpdateF(float dt)
{
    for (TownItem* item : items)
        item->UpdateF(dt);
}

void Town::Draw(Kivo::Graphics* g)
{
    for (auto it = items.rbegin(); it != items.rend(); ++it)
        (*it)->Draw(g);
}

TownItem* Town::FindItem(const std::string& id) const
{
    auto it = itemsById.find(id);
    return it == itemsById.end() ? nullptr : it->second;
}

void Town::LoadItems()
{
    TiXmlDocument doc;
    if (LoadTownXmlFile("properties\\town_items.xml", doc))
        AddItems(doc);
}

bool Town::LoadItemsXml(const std::string& text)
{
    TiXmlDocument doc;
    return ParseTownXml(text, doc) && AddItems(doc);
}

bool Town::AddItems(TiXmlDocument& doc)
{
    TiXmlElement* objects = TownRootElement(doc, "Objects");
    if (!objects)
        return false;
    for (TiXmlElement* e = objects->FirstChildElement("Object"); e; e = e->NextSiblingElement("Object")) {
        auto* item = new TownItem();
        if (!item->Load(e)) {
            delete item;
            continue;
        }
        items.push_back(item);
        itemsById[item->id] = item;
    }
    return true;
}

void Town::PlayAppearSound(const TownItem* item, float delay)
{
    PlaySoundDelayed(item->type == TownItem::kStage ? "SOUND_TOWN_STAGE_APPEAR" : "SOUND_TOWN_BUILDING_APPEAR",
                     Ticks(delay));
}

void Town::RunCommand(TownCommand* command, bool withEffect, float delay)
{
    if (!command || (command->kind != TownCommand::kShow && command->kind != TownCommand::kHide))
        return;
    bool show = command->kind == TownCommand::kShow;
    size_t colon = command->target.find(':');
    TownItem* item = FindItem(command->target.substr(0, colon));
    if (!item)
        return;

    if (colon == std::string::npos) {
        if (item->shown != show && withEffect) {
            AddItemEffect(item, new GfxTownItemVisible(item, show), delay);
            if (show)
                PlayAppearSound(item, delay);
        } else {
            item->shown = show;
        }
        return;
    }

    std::string path = command->target.substr(colon + 1);
    // A path that leads nowhere has nothing to show or hide.
    if (!item->GetLayerContainer(path))
        return;
    if (item->IsLayerVisible(path) != show && withEffect && command->gfx == "animation") {
        AddItemEffect(item, new GfxTownItemLayerVisible(item, path, show), delay);
        if (show)
            PlaySoundDelayed("SOUND_TOWN_ANIMATION_APPEAR", Ticks(delay));
    } else {
        item->SetLayerVisible(path, show);
    }
}

bool Town::ShowBuilding(int stage, int building, bool withEffect)
{
    // Progress has room for four buildings in each of five stages; a stage
    // file with more addresses nothing beyond them.
    if (building < 0 || building >= kBuildingsPerStage || !ValidIndex(stage * kBuildingsPerStage + building))
        return false;
    TownStages::Building* b = stages->GetBuilding(stage, building);
    if (!b)
        return false;
    int first = stage * kBuildingsPerStage;
    bool show = IsBought(first + building);

    if (TownItem* item = FindItem(b->id)) {
        if (item->shown != show && withEffect) {
            if (b->gfx == "fall") {
                AddItemEffect(item, new GfxTownItemFall(item), 0);
            } else if (b->gfx == "fallParts") {
                AddItemEffect(item, new GfxTownItemFallParts(item), 0);
            } else if (b->gfx == "grow") {
                AddItemEffect(item, new GfxTownItemGrow(item), 0);
            } else {
                AddItemEffect(item, new GfxTownItemVisible(item, show), 0);
                if (show)
                    PlayAppearSound(item, 0);
            }
        } else {
            item->shown = show;
        }
    }

    if (show)
        for (TownCommand* c : b->commands)
            RunCommand(c, withEffect, 1.5f);

    for (int k = 0; k < kBuildingsPerStage; ++k)
        if (!IsBought(first + k))
            return false;
    for (TownCommand* c : stages->stages[static_cast<size_t>(stage)]->commands)
        RunCommand(c, withEffect, 2.5f);
    return true;
}

bool Town::ReplayBuildingAnimation(int stage, int building, bool withEffect)
{
    if (building < 0 || building >= kBuildingsPerStage)
        return false;
    int i = stage * kBuildingsPerStage + building;
    TownStages::Building* b = ValidIndex(i) ? stages->GetBuilding(stage, building) : nullptr;
    if (!b || !IsAnimationDone(i) || !IsBought(i))
        return false;
    for (TownCommand* c : b->animationCommands)
        RunCommand(c, withEffect, 1.0f);
    return true;
}

void Town::Rebuild()
{
    for (TownItem* item : items) {
        item->shown = item->initiallyShown;
        item->effects.clearEffects();
        item->SetLayerVisible("animation", false);
    }
    for (size_t s = 0; s < stages->stages.size(); ++s) {
        for (size_t b = 0; b < stages->stages[s]->buildings.size(); ++b) {
            ShowBuilding(static_cast<int>(s), static_cast<int>(b), false);
            ReplayBuildingAnimation(static_cast<int>(s), static_cast<int>(b), false);
        }
    }
    GamePlaySound::Clear();
}

TownItem* Town::GetBuildingItem(int stage, int building)
{
    Town* town = Instance();
    TownStages::Building* b = town->stages->GetBuilding(stage, building);
    return b ? town->FindItem(b->id) : nullptr;
}

bool Town::HasProgress()
{
    return Progress() != nullptr;
}

void Town::CreateProgress()
{
    if (Profile* profile = SelectedProfile()) {
        Kivo::Buffer zeros;
        std::vector<uint8_t> bytes(kProgressSize, 0);
        zeros.SetData(bytes.data(), kProgressSize);
        profile->SetBuffer(kProgressKey, &zeros);
    }
}

int Town::GetBuiltCount()
{
    const Kivo::Buffer* blob = Progress();
    if (!blob)
        return 0;
    int count = 0;
    while (count < kBuildingCount && (ProgressByte(blob, 2 * count) & kBought))
        ++count;
    return count;
}

bool Town::IsComplete()
{
    return GetBuiltCount() == kBuildingCount;
}

int Town::GetCurrentStage()
{
    return std::min(GetBuiltCount() / kBuildingsPerStage, kStageCount - 1);
}

bool Town::IsBought(int i)
{
    const Kivo::Buffer* blob = ValidIndex(i) ? Progress() : nullptr;
    return blob && (ProgressByte(blob, 2 * i) & kBought);
}

bool Town::IsAnimationDone(int i)
{
    const Kivo::Buffer* blob = ValidIndex(i) ? Progress() : nullptr;
    return blob && (ProgressByte(blob, 2 * i) & kAnimationDone);
}

int Town::GetAnimationLevels(int i)
{
    const Kivo::Buffer* blob = ValidIndex(i) ? Progress() : nullptr;
    return blob ? ProgressByte(blob, 2 * i + 1) : 0;
}

void Town::SetBought(int i)
{
    if (!ValidIndex(i) || !SelectedProfile())
        return;
    if (!Progress())
        CreateProgress();
    Kivo::Buffer* blob = Progress();
    StoreProgressByte(blob, 2 * i, ProgressByte(blob, 2 * i) | kBought);
}

void Town::SetAnimationDone(int i)
{
    if (Kivo::Buffer* blob = ValidIndex(i) ? Progress() : nullptr)
        StoreProgressByte(blob, 2 * i, ProgressByte(blob, 2 * i) | kAnimationDone);
}

void Town::SetAnimationLevels(int i, unsigned char n)
{
    if (Kivo::Buffer* blob = ValidIndex(i) ? Progress() : nullptr)
        StoreProgressByte(blob, 2 * i + 1, n);
}

void Town::AgeBuildingAnimations()
{
    if (!HasProgress())
        return;
    for (int i = 0; i < kBuildingCount; ++i) {
        int levels = GetAnimationLevels(i);
        if (IsBought(i) && levels > 0)
            SetAnimationLevels(i, static_cast<unsigned char>(levels - 1));
    }
}

bool Town::CanAfford(int i)
{
    if (!ValidIndex(i))
        return false;
    Profile* profile = SelectedProfile();
    if (!profile)
        return false;
    const TownStages::Building* b =
        Instance()->stages->GetBuilding(i / kBuildingsPerStage, i % kBuildingsPerStage);
    return b && profile->GetInt("score_total") >= b->cost;
}
