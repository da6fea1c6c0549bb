#pragma once
// A timed visual effect run by a GfxManager. process() results: -1 finished
// (the effect is deleted), -2 still running and holding back every effect
// behind it for this step, anything else still running.
#include <deque>
#include <string>

namespace Kivo {
class Graphics;
}

class gfxBase {
public:
    gfxBase() = default;
    gfxBase(const gfxBase&) = delete;
    gfxBase& operator=(const gfxBase&) = delete;
    virtual ~gfxBase();

    virtual bool start() { return true; }
    virtual int process() { return -1; }
    virtual void update(float) {}
    virtual void draw(Kivo::Graphics*) {}
    virtual std::string name() { return std::string(); }
    virtual void onMessage(const std::string&) {}

    // Follow-ups the manager places directly behind this effect; owned
    // until then.
    void addNext(gfxBase* effect);
    gfxBase* popNext();

    std::deque<gfxBase*> mNext;
    unsigned char mStarted = 0;
};
