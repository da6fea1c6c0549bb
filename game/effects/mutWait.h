#pragma once
// A pause of some seconds that holds back the modules behind it. With
// wait-for-others it first waits until it stands first in its owner's queue.
#include "game/effects/mutBase.h"

class mutWait : public mutBase {
public:
    mutWait(float duration, bool waitForOthers) : mDuration(duration), mWaitForOthers(waitForOthers) {}

    bool start() override;
    int update() override;
    baseModule* clone() override { return new mutWait(mDuration, mWaitForOthers != 0); }

    float mDuration;
    unsigned char mWaitForOthers;

private:
    bool OthersFirst() const;
};
