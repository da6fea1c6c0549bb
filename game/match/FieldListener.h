#pragma once

// Told by the rules as bricks are destroyed and groups removed.
class FieldListener {
public:
    virtual ~FieldListener() = default;
    // Once per destroyed brick.
    virtual void BricksMatched(int x, int y, int code) = 0;
    virtual void FieldListenerReserved() {}
    // Once per removed group.
    virtual void BricksRemoved(int count, int code) = 0;
};
