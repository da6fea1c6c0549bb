#pragma once
// A piece on a field slot: an empty place (code 0), a colour (1..10) or the
// key (12). Holds its code, modifier flags (1 chain, 2 second chain, 4 box,
// 8 energized) and its screen place. The plain class is the empty place.
#include <cstdint>
#include <string>

namespace Kivo {
class Graphics;
}
class BrickListener;

enum BrickFlag : uint32_t {
    kBrickChain = 1,
    kBrickChain2 = 2,
    kBrickBox = 4,
    kBrickEnergized = 8,
};

enum BrickCode : uint8_t {
    kBrickEmpty = 0,
    kBrickJoker = 11,
    kBrickKey = 12,
};

// 1 for colour codes 1..10, 2 for the joker, 0 otherwise.
int ClassifyCode(int code);

class BrickBase {
public:
    explicit BrickBase(uint8_t code = 0) : mCode(code) {}
    virtual ~BrickBase() = default;
    BrickBase(const BrickBase&) = delete;
    BrickBase& operator=(const BrickBase&) = delete;

    virtual uint8_t GetCode() const { return mCode; }
    // Scaled about the image centre at the brick's place moved by (dx, dy).
    virtual void Draw(Kivo::Graphics&, float /*scale*/, float /*dx*/, float /*dy*/) {}
    virtual void DrawTop(Kivo::Graphics&) {}
    virtual void Update(float /*dt*/) {}
    virtual void Tick() {}
    virtual void PlaceAt(int x, int y);
    virtual void MoveTo(int /*x*/, int /*y*/) {}
    // Relative to the board origin.
    virtual void GetDrawPos(float& x, float& y) const;
    virtual void SetFlag(uint32_t bits) { mFlags |= bits; }
    virtual void ClearFlag(uint32_t bits) { mFlags &= ~bits; }
    virtual void ToggleFlag(uint32_t bits) { mFlags ^= bits; }
    virtual bool HasFlag(uint32_t bits) const { return (mFlags & bits) != 0; }
    virtual uint32_t GetFlags() const { return mFlags; }
    virtual bool IsBusy() const { return false; }
    virtual void StartState(int /*id*/, float /*value*/) {}
    virtual void SetState(int /*id*/) {}
    virtual void StopState(int /*id*/) {}
    virtual void StopAllStates() {}
    virtual std::string ToString() const;

    BrickListener* mListener = nullptr;
    uint32_t mFlags = 0;
    float mX = 0;
    float mY = 0;
    float mOffsetX = 0;
    float mOffsetY = 0;

protected:
    uint8_t mCode;
};
