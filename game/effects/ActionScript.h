#pragma once
#include <list>
#include <map>
#include <string>

namespace Kivo {
class Graphics;
}

class ActionObject;
class BaseAction;

// A small XML-described animation: sprites, each running its own timed steps.
// Scripts read from files are templates; callers run clones.
class ActionScript {
public:
    using StepList = std::list<BaseAction*>;

    ActionScript() = default;
    ActionScript(const ActionScript&) = delete;
    ActionScript& operator=(const ActionScript&) = delete;
    ~ActionScript();

    // Reads a script document; a document without an "action" root leaves
    // the script empty.
    void Read(const std::string& xml);
    ActionScript* Clone() const;
    // Adds clones of the named list's steps to the object (mode as in
    // ActionObject::AddMutator, order kept); false when the list is empty.
    bool AddMutList(ActionObject* object, int mode, const std::string& name);
    void Update(float dt);
    void Draw(Kivo::Graphics* g, float x, float y, float factor);
    void DrawAt(Kivo::Graphics* g, int x, int y, float factor);

    float mSpeed = 1.0f;
    int mWidth = 0;
    int mHeight = 0;
    std::map<std::string, std::string> mTextures;
    std::map<std::string, StepList> mMutLists;
    std::list<ActionObject*> mObjects;
};
