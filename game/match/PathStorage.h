#pragma once
// The chain the player draws in chain mode: which brick may join it, cutting
// it back when the mouse returns to one of its bricks, filling a gap to a
// distant brick with the shortest run of joinable bricks, and the animated
// arrows along it.
#include <cstddef>
#include <vector>

namespace Kivo {
class Graphics;
class Image;
}
class BrickBase;
class FieldBase;

class PathStorage {
public:
    struct Entry {
        BrickBase* brick;
        int x, y;
    };

    explicit PathStorage(FieldBase* field);

    void Reset();
    // 1 the chain grew; 0 nothing added (empty brick, or the chain was cut
    // back); -1 the brick was refused.
    int AddCell(int x, int y, BrickBase* brick);
    // With `cut`, every entry after the brick is removed; when only one entry
    // would remain the chain is emptied.
    bool Contains(const BrickBase* brick, bool cut);
    bool Accepts(const BrickBase* brick) const;
    bool IsLastCell(int x, int y) const;
    bool HasJoker() const;
    int Size() const { return static_cast<int>(mChain.size()); }
    void StartWalk() { mWalk = 0; }
    bool NextCell(int& x, int& y);
    void AnimateArrows();
    void DrawArrows(Kivo::Graphics& g);

    int GetArrowFrame() const { return mFrame; }
    const std::vector<Entry>& GetChain() const { return mChain; }

private:
    bool ExtendTo(int x, int y, BrickBase* brick);
    bool StraightRun(int x, int y, BrickBase* brick);
    void Append(BrickBase* brick, int x, int y);
    bool InChain(const BrickBase* brick) const;

    FieldBase* mField;
    int mLastX = -1;
    int mLastY = -1;
    std::vector<Entry> mChain;
    size_t mWalk = 0;
    int mTick = 0;
    int mFrame = 0;
    float mPhase = 0;
    Kivo::Image* mArrowImage;
    int mArrowHalf = 22;
};
