#pragma once
// The town's stages, in file order, each with its buildings and the commands
// run when the stage is complete.
#include "game/meta/TownCommand.h"

#include <string>
#include <vector>

class TiXmlElement;

class TownStages {
public:
    class Building {
    public:
        virtual ~Building();
        // Reads a "Building" element; always true.
        static bool Load(const TiXmlElement* element, Building* building);

        // Run when the building is shown.
        std::vector<TownCommand*> commands;
        // The id of the town item that pictures it.
        std::string id;
        int32_t cost = 0;
        // "fall", "fallParts", "grow", anything else fades.
        std::string gfx;
        // The end animation.
        std::vector<TownCommand*> animationCommands;
        // Completed levels after the purchase before the end animation.
        int32_t levels = 0;
    };

    class Stage {
    public:
        virtual ~Stage();
        // Reads a "Stage" element; true when it has a building.
        static bool Load(const TiXmlElement* element, Stage* stage);

        std::vector<Building*> buildings;
        // Run when all the stage's buildings are bought.
        std::vector<TownCommand*> commands;
    };

    // Loads "properties\town_stages.xml"; empty when it cannot be read.
    TownStages();
    virtual ~TownStages();
    TownStages(const TownStages&) = delete;
    TownStages& operator=(const TownStages&) = delete;

    // Null when the stage or the building is not in the list.
    Building* GetBuilding(int stage, int building) const;

    std::vector<Stage*> stages;
};

bool LoadTownStages(TownStages* list);
// Appends the stages of a stage file's text; false when it does not parse.
bool LoadTownStagesXml(TownStages* list, const std::string& text);
