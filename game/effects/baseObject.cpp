#include "game/effects/baseObject.h"

baseObject::~baseObject() { clearModules(); }

void baseObject::addModule(baseModule* module, bool atFront)
{
    if (!module)
        return;
    module->mOwner = this;
    if (atFront)
        mModules.push_front(module);
    else
        mModules.push_back(module);
}

baseModule* baseObject::activeModule() const { return mModules.empty() ? nullptr : mModules.front(); }

void baseObject::clearModules()
{
    for (baseModule* module : mModules)
        delete module;
    mModules.clear();
}

int baseObject::updateModules()
{
    for (auto it = mModules.begin(); it != mModules.end();) {
        baseModule* module = *it;
        if (!module) {
            it = mModules.erase(it);
            continue;
        }
        if (!module->mStarted) {
            if (!module->start()) {
                delete module;
                it = mModules.erase(it);
                continue;
            }
            module->mStarted = 1;
        }
        const int result = module->update();
        if (result == -1) {
            delete module;
            it = mModules.erase(it);
        } else if (result == -2) {
            return 1;
        } else {
            ++it;
        }
    }
    return 0;
}
