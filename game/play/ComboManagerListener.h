#pragma once

// Told by the combo manager when a run of events reaches its threshold and
// when a run that reached it runs out of time.
class ComboManagerListener {
public:
    virtual ~ComboManagerListener() = default;
    virtual void ComboReached(int id, int count, int x, int y) = 0;
    virtual void ComboEnded(int id, int count, int x, int y) = 0;
};
