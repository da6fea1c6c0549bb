#pragma once
// Receives the cells of one move picked as a hint: slot numbers y * width + x.

class SolverListener {
public:
    virtual ~SolverListener() = default;
    virtual void ShowHint(int count, const int* cells) = 0;
};
