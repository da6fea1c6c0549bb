#include "game/meta/TownCommand.h"

#include <cstring>
#include <tinyxml.h>

bool TownCommand::Load(const TiXmlElement* element, TownCommand* command)
{
    if (!element || !command)
        return false;
    const char* value = element->Value();
    if (std::strcmp(value, "Show") == 0)
        command->kind = kShow;
    else if (std::strcmp(value, "Hide") == 0)
        command->kind = kHide;
    else
        command->kind = kNone;
    const char* id = element->Attribute("id");
    const char* gfx = element->Attribute("gfx");
    command->target = id ? id : "";
    command->gfx = gfx ? gfx : "";
    return command->kind != kNone && id;
}
