#pragma once
// A show or hide order for a town item or some of its layers.
#include <cstdint>
#include <string>

class TiXmlElement;

class TownCommand {
public:
    enum Kind : uint8_t { kNone = 0, kHide = 1, kShow = 2 };

    virtual ~TownCommand() = default;

    // Kind from the element's name ("Show" or "Hide", exactly), target from
    // "id", gfx from "gfx". True for Show and Hide with a target.
    static bool Load(const TiXmlElement* element, TownCommand* command);

    uint8_t kind = kNone;
    // The item id, optionally followed by ":" and a layer path.
    std::string target;
    // "animation" gives a layer command its fade; empty when absent.
    std::string gfx;
};
