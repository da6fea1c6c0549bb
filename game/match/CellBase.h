#pragma once
// The board square under a brick: kind 0 (a gap) or 1 (playable) and a flag
// word (1 key path, 2 key start, 4 hole, 8 breakable, 16 second hit, 32
// group-mode mark). The plain class draws nothing.
#include <cstdint>

namespace Kivo {
class Graphics;
}

enum CellFlag : uint32_t {
    kCellKeyPath = 1,
    kCellKeyStart = 2,
    kCellHole = 4,
    kCellBreakable = 8,
    kCellSecondHit = 16,
    kCellGroupMark = 32,
};

class CellBase {
public:
    explicit CellBase(uint8_t kind = 0) : mKind(kind) {}
    virtual ~CellBase() = default;
    CellBase(const CellBase&) = delete;
    CellBase& operator=(const CellBase&) = delete;

    virtual uint8_t GetKind() const { return mKind; }
    // angle (radians) and scale of the whole board while it turns.
    virtual void Draw(Kivo::Graphics&, float /*angle*/, float /*scale*/, float /*alpha*/) {}
    virtual void Update(float /*dt*/) {}
    virtual void Settle() {}
    virtual void StartState(int /*id*/, float /*seconds*/) {}
    virtual void SetState(int /*id*/) {}
    virtual void StopState(int /*id*/) {}
    virtual void ResetStates() {}

    void SetFlag(uint32_t bits) { mFlags |= bits; }
    void ClearFlag(uint32_t bits) { mFlags &= ~bits; }
    bool HasFlag(uint32_t bits) const { return (mFlags & bits) != 0; }

    uint32_t mFlags = 0;

protected:
    uint8_t mKind;
};
