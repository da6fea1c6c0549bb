#pragma once
// Group and chain mode: a move is three or more joinable bricks connected
// through 4-neighbours. A joker joins any colour; a key or a boxed brick
// joins nothing.
#include "game/match/ISolver.h"

class BrickBase;

class SolverChain : public ISolver {
public:
    using ISolver::ISolver;
    int Solve() override;

private:
    bool CanJoin(int x, int y, const BrickBase* reference) const;
    bool Grow(int x, int y, int depth, uint8_t mark, const BrickBase* from);
};
