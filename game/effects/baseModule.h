#pragma once
// A timed step run by a baseObject. update() results as for effects: -1
// finished (the module is deleted), -2 still running and holding back every
// module behind it, anything else still running. Modules read the frame time
// (seconds) from the time hook table once per update.
class baseObject;

class baseModule {
public:
    baseModule() = default;
    baseModule(const baseModule&) = delete;
    baseModule& operator=(const baseModule&) = delete;
    virtual ~baseModule() = default;

    virtual bool start() { return true; }
    virtual int update() { return 0; }
    // A new module with the same parameters; null for one that cannot be copied.
    virtual baseModule* clone() { return nullptr; }

    baseObject* mOwner = nullptr;
    unsigned char mStarted = 0;
};
