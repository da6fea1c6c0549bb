#pragma once
// An object that runs a queue of owned modules, front first, with the same
// barrier protocol as the effect list.
#include "game/effects/baseModule.h"

#include <list>

class baseObject : public baseModule {
public:
    ~baseObject() override;

    // Takes ownership and makes this object the module's owner.
    void addModule(baseModule* module, bool atFront = false);
    // The first module, or null.
    baseModule* activeModule() const;
    void clearModules();
    // One pass over the queue: 1 when a module held the rest back, else 0.
    virtual int updateModules();

    std::list<baseModule*> mModules;
};
