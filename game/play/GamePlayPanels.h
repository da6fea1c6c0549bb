#pragma once
// What the game-play object reads and writes on the game screen's panels:
// the five bonus slots' progress and where they stand, the extra panel's
// match counter and the timer. By default the object uses the game screen's
// panels while they exist (GamePanelsPtr) and else keeps the slots itself.
class GamePlayPanels {
public:
    virtual ~GamePlayPanels() = default;
    // Slots 0..4; others read 0 and are ignored.
    virtual float GetSlotProgress(int slot) = 0;
    virtual void SetSlotProgress(int slot, float progress, bool animate) = 0;
    virtual void AddSlotProgress(int slot, float delta) = 0;
    // The slot's centre on the screen; false when there is none.
    virtual bool GetSlotCentre(int slot, int& x, int& y) = 0;
    // A group of the colour was removed.
    virtual void OnMatch(int colour) = 0;
    virtual bool HasTimeLeft() = 0;
};

// The slots kept by the object itself; time never runs out.
class LocalPlayPanels : public GamePlayPanels {
public:
    float GetSlotProgress(int slot) override { return Valid(slot) ? mProgress[slot] : 0.0f; }
    void SetSlotProgress(int slot, float progress, bool) override
    {
        if (Valid(slot))
            mProgress[slot] = progress;
    }
    void AddSlotProgress(int slot, float delta) override
    {
        if (Valid(slot))
            mProgress[slot] += delta;
    }
    bool GetSlotCentre(int slot, int& x, int& y) override
    {
        if (!Valid(slot))
            return false;
        x = 265 + 70 * slot;
        y = 565;
        return true;
    }
    void OnMatch(int) override { ++mMatches; }
    bool HasTimeLeft() override { return true; }

    float mProgress[5] = {};
    int mMatches = 0;

private:
    static bool Valid(int slot) { return slot >= 0 && slot < 5; }
};
