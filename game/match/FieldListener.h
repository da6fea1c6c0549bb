#pragma once

// Told by the rules as bricks are destroyed and groups removed.
class FieldListener {
public:
    virtual ~FieldListener() = default;
    // Once per destroyed brick, broken chain, opened box or hit cell: the
    // brick's code (0 when none was destroyed), the chain level broken (0,
    // 1 or 2), whether a box opened, the hits the cell took, and the kind of
    // destruction.
    virtual void BricksMatched(int x, int y, int code, int chainLevel, bool box, int cellHits, int kind) = 0;
    virtual void FieldListenerReserved() {}
    // Once per removed group: where, its colour and how many bricks.
    virtual void BricksRemoved(int x, int y, int colour, int count) = 0;
};
