#include "game/meta/TownStages.h"

#include "game/meta/TownXml.h"

#include <algorithm>
#include <cstring>
#include <tinyxml.h>

namespace {

void DeleteCommands(std::vector<TownCommand*>& commands)
{
    for (TownCommand* c : commands)
        delete c;
    commands.clear();
}

void AddCommand(const TiXmlElement* e, std::vector<TownCommand*>& to)
{
    auto* command = new TownCommand();
    if (TownCommand::Load(e, command))
        to.push_back(command);
    else
        delete command;
}

bool LoadStages(TownStages* list, TiXmlDocument& doc)
{
    TiXmlElement* stages = TownRootElement(doc, "Stages");
    if (!stages)
        return false;
    for (TiXmlElement* e = stages->FirstChildElement("Stage"); e; e = e->NextSiblingElement("Stage")) {
        auto* stage = new TownStages::Stage();
        if (TownStages::Stage::Load(e, stage))
            list->stages.push_back(stage);
        else
            delete stage;
    }
    return true;
}

} // namespace

TownStages::Building::~Building()
{
    DeleteCommands(commands);
    DeleteCommands(animationCommands);
}

bool TownStages::Building::Load(const TiXmlElement* element, Building* building)
{
    if (const char* id = element->Attribute("id"))
        building->id = id;
    for (const TiXmlElement* e = element->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (TownElementIs(e, "Cost")) {
            building->cost = TownIntAttribute(e, "value");
        } else if (TownElementIs(e, "Gfx")) {
            const char* name = e->Attribute("name");
            building->gfx = name ? name : "";
        } else if (TownElementIs(e, "Animation")) {
            // The progress keeps the count in one byte.
            building->levels = std::clamp(TownIntAttribute(e, "levels"), 0, 255);
            for (const TiXmlElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement())
                AddCommand(c, building->animationCommands);
        } else {
            AddCommand(e, building->commands);
        }
    }
    return true;
}

TownStages::Stage::~Stage()
{
    for (Building* b : buildings)
        delete b;
    DeleteCommands(commands);
}

bool TownStages::Stage::Load(const TiXmlElement* element, Stage* stage)
{
    for (const TiXmlElement* e = element->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (TownElementIs(e, "Building")) {
            auto* building = new Building();
            Building::Load(e, building);
            stage->buildings.push_back(building);
        } else {
            AddCommand(e, stage->commands);
        }
    }
    return !stage->buildings.empty();
}

TownStages::TownStages()
{
    LoadTownStages(this);
}

TownStages::~TownStages()
{
    for (Stage* s : stages)
        delete s;
}

TownStages::Building* TownStages::GetBuilding(int stage, int building) const
{
    if (stage < 0 || static_cast<size_t>(stage) >= stages.size())
        return nullptr;
    const std::vector<Building*>& buildings = stages[static_cast<size_t>(stage)]->buildings;
    if (building < 0 || static_cast<size_t>(building) >= buildings.size())
        return nullptr;
    return buildings[static_cast<size_t>(building)];
}

bool LoadTownStages(TownStages* list)
{
    TiXmlDocument doc;
    return LoadTownXmlFile("properties\\town_stages.xml", doc) && LoadStages(list, doc);
}

bool LoadTownStagesXml(TownStages* list, const std::string& text)
{
    TiXmlDocument doc;
    return ParseTownXml(text, doc) && LoadStages(list, doc);
}
