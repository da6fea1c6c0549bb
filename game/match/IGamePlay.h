#pragma once
// The game screen's view of the rules engine. Only the board-turning
// operations exist so far.
class IGamePlay {
public:
    virtual ~IGamePlay() = default;

    // Starts a turn from the board's quarter count before it.
    virtual void BeginRotate(int quarters) = 0;
    // Ends the turn: the field turns to the given quarter count.
    virtual void Rotate(int quarters) = 0;
    virtual bool IsRotating() const = 0;
    // The orientation in 0..3.
    virtual int GetRotation() const = 0;
};
