#include "game/effects/ActionObject.h"
#include "game/effects/ActionScript.h"
#include "game/effects/FormulaVariables.h"
#include "game/effects/mutatorAddMutators.h"
#include "game/effects/mutatorColorTo.h"
#include "game/effects/mutatorMove.h"
#include "game/effects/mutatorMoveOffset.h"
#include "game/effects/mutatorMoveTo.h"
#include "game/effects/mutatorResetTick.h"
#include "game/effects/mutatorRotateTo.h"
#include "game/effects/mutatorScaleTo.h"
#include "game/effects/mutatorSetTexture.h"
#include "game/effects/mutatorWait.h"
#include "game/effects/mutatorWaitTick.h"

#include <tinyxml.h>

#include <cstring>
#include <memory>

namespace {

std::string Attribute(const TiXmlElement* e, const char* name)
{
    const char* value = e->Attribute(name);
    return value ? value : "";
}

// A numeric step attribute: its default when missing, else its formula's
// value; times are stored in 10 ms update steps.
struct StepReader {
    const TiXmlElement* element;
    FormulaVariables& table;

    float operator()(const char* name, float fallback) const
    {
        const char* value = element->Attribute(name);
        const float number = value ? ToFloat(table.Evaluate(value)) : fallback;
        return std::strcmp(name, "time") == 0 ? number * 100.0f : number;
    }
};

BaseAction* MakeStep(const TiXmlElement* e, FormulaVariables& table)
{
    const std::string kind = e->Value();
    const StepReader n{ e, table };
    if (kind == "mutMove")
        return new mutatorMove(n("x", 0), n("y", 0), n("speed", 0), n("time", 0));
    if (kind == "mutMoveTo")
        return new mutatorMoveTo(n("x", 0), n("y", 0), n("time", 0));
    if (kind == "mutMoveOffset")
        return new mutatorMoveOffset(n("x", 0), n("y", 0), n("time", 0));
    if (kind == "mutScaleTo")
        return new mutatorScaleTo(n("x", 1), n("y", 1), n("time", 0));
    if (kind == "mutRotateTo")
        return new mutatorRotateTo(n("angle", 0), n("time", 0));
    if (kind == "mutColorTo")
        return new mutatorColorTo(n("a", 1), n("r", 1), n("g", 1), n("b", 1), n("time", 0));
    if (kind == "mutWait")
        return new mutatorWait(n("time", 0), true);
    if (kind == "mutWaitTick")
        return new mutatorWaitTick(n("time", 0));
    if (kind == "mutResetTick")
        return new mutatorResetTick(n("time", 0));
    if (kind == "setTexture")
        return new mutatorSetTexture(Attribute(e, "name"));
    if (kind == "addMutList")
        return new mutatorAddMutators(Attribute(e, "dataRef"));
    return nullptr;
}

// Reads the child elements of a list as steps, with a table of its own that
// starts from the root variables. True when any step was read.
bool ReadStepList(const TiXmlElement* parent, const FormulaVariables& root, ActionScript::StepList& out)
{
    FormulaVariables table = root;
    for (const TiXmlElement* e = parent->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (std::strcmp(e->Value(), "setVar") == 0) {
            if (const char* name = e->Attribute("name"))
                table.SetVariable(name, table.Evaluate(Attribute(e, "value")));
        } else if (BaseAction* step = MakeStep(e, table)) {
            out.push_back(step);
        }
    }
    return !out.empty();
}

void DeleteSteps(ActionScript::StepList& steps)
{
    for (BaseAction* step : steps)
        delete step;
    steps.clear();
}

} // namespace

void ActionScript::Read(const std::string& xml)
{
    std::string text = xml;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    TiXmlDocument doc;
    doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    const TiXmlElement* root = doc.RootElement();
    if (doc.Error() || !root || std::strcmp(root->Value(), "action") != 0)
        return;
    root->QueryFloatAttribute("speed", &mSpeed);
    root->QueryIntAttribute("width", &mWidth);
    root->QueryIntAttribute("height", &mHeight);

    for (const TiXmlElement* e = root->FirstChildElement("texture"); e; e = e->NextSiblingElement("texture"))
        if (e->Attribute("name") && e->Attribute("dataRef"))
            mTextures[Attribute(e, "name")] = Attribute(e, "dataRef");

    FormulaVariables variables;
    for (const TiXmlElement* e = root->FirstChildElement("variable"); e; e = e->NextSiblingElement("variable"))
        if (const char* name = e->Attribute("name"))
            variables.SetVariable(name, variables.Evaluate(Attribute(e, "value")));

    for (const TiXmlElement* e = root->FirstChildElement("dataMutList"); e; e = e->NextSiblingElement("dataMutList")) {
        const char* name = e->Attribute("name");
        if (!name)
            continue;
        StepList steps;
        if (ReadStepList(e, variables, steps)) {
            DeleteSteps(mMutLists[name]);
            mMutLists[name] = std::move(steps);
        }
    }

    for (const TiXmlElement* e = root->FirstChildElement("object"); e; e = e->NextSiblingElement("object")) {
        const char* name = e->Attribute("name");
        if (!name)
            continue;
        auto object = std::make_unique<ActionObject>(name, this);
        StepList steps;
        ReadStepList(e, variables, steps);
        for (const BaseAction* step : steps)
            object->AddMutator(step, 0);
        DeleteSteps(steps);
        mObjects.push_back(object.release());
    }
}
