#pragma once
// Turns events that follow each other within a time window into combos. Each
// type has a window in seconds and a threshold; the clock advances 0.01 s per
// game-play tick.
#include <vector>

class ComboManagerListener;

class ComboManager {
public:
    struct Type {
        int id;
        float window;
        float lastTime;
        int x, y;
        int count;
        int threshold;
    };

    explicit ComboManager(ComboManagerListener* listener) : mListener(listener) {}

    // Replaces a type with the same id.
    void AddType(int id, float window, int threshold);
    // An event of a type at a cell; unknown ids are ignored.
    void Hit(int id, int x, int y);
    // One tick: runs that reached their threshold and whose window passed
    // end.
    void Update();

    const Type* Find(int id) const;
    float GetClock() const { return mClock; }

private:
    ComboManagerListener* mListener;
    float mClock = 0;
    std::vector<Type> mTypes;
};
