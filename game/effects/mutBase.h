#pragma once
// The common base of the timed modules: a module that does nothing ends at once.
#include "game/effects/baseModule.h"

class mutBase : public baseModule {
public:
    int update() override { return -1; }
};
