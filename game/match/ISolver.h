#pragma once
// Counts the moves the board offers and, after a long idle spell, hands the
// cells of one of them, picked at random, to the listener as a hint. Each
// slot carries a mark: 0 for no move, k for move number k.
#include <cstdint>
#include <vector>

class FieldBase;
class SolverListener;

class ISolver {
public:
    ISolver(FieldBase* field, SolverListener* listener);
    virtual ~ISolver() = default;
    ISolver(const ISolver&) = delete;
    ISolver& operator=(const ISolver&) = delete;

    virtual void ResetIdle() { mIdle = 0; }
    // Once per logic tick: the 601st idle tick solves and shows a hint, then
    // the next one comes 1201 ticks later.
    virtual void Tick();
    virtual int Solve() = 0;
    virtual int GetMoveCount() const { return static_cast<int>(mMoveCount); }

    int GetIdle() const { return mIdle; }
    uint8_t GetMark(int x, int y) const;

protected:
    void ShowHint();
    bool InBoard(int x, int y) const;
    bool IsPlayable(int x, int y) const;
    uint8_t& Mark(int x, int y);

    FieldBase* mField;
    std::vector<uint8_t> mMarks;
    uint32_t mMoveCount = 0;
    int32_t mIdle = 0;
    SolverListener* mListener;
};
