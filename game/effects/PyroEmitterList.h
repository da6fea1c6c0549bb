#pragma once
// The emitters of a particle layer: spawned by name, advanced and drawn in
// order; those no longer alive leave the list after an update.
#include "game/effects/PyroEmitter.h"

#include <list>
#include <memory>
#include <string>

class PyroEmitterList {
public:
    // A started emitter at (x, y), appended; null when no loaded file has
    // the name.
    PyroEmitter* Spawn(const std::string& name, float x, float y);
    void Update(float dt);
    void Render(Kivo::Graphics* g);
    void Clear() { mEmitters.clear(); }
    size_t Size() const { return mEmitters.size(); }
    bool Empty() const { return mEmitters.empty(); }

private:
    std::list<std::unique_ptr<PyroEmitter>> mEmitters;
};
