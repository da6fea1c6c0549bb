#pragma once
// Swap mode: a move is a swap of two 4-neighbours after which one of the two
// bricks stands in a line of three of its own code.
#include "game/match/ISolver.h"

class SolverSwap : public ISolver {
public:
    using ISolver::ISolver;
    int Solve() override;

    // Whether a brick of `code` arriving at `at` from `from` stands in a line
    // of three. Chained bricks count in a line; boxed ones break it.
    bool LineAfterSwap(int atX, int atY, int fromX, int fromY, int code) const;
};

// The reverse of a Grid::Step direction; 0 for anything else.
int Opposite(int direction);
