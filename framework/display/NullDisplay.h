#pragma once
// A display device without a screen: the screen image is a memory image of
// the size asked for, Init and Redraw answer from a script (success when it
// runs out), and presents are only counted.
#include "framework/display/DDInterface.h"

#include <deque>
#include <memory>

namespace Kivo {

class NullDisplay : public DDInterface {
public:
    NullDisplay(int width, int height);
    ~NullDisplay() override;

    int Init(HWND window, bool windowed) override;
    bool Redraw(const Rect* rect) override;
    Image* GetScreenImage() override;
    void SetVideoOnlyDraw(bool videoOnly) override;
    bool SetCursorImage(Image* image) override;
    void Remove3DData(MemoryImage*) override {}
    void RestoreDisplayMode() override { ++mRestores; }
    MemoryImage* NewImage() override;

    std::deque<int> mInitResults;
    std::deque<bool> mRedrawResults;
    int mInits = 0;
    int mPresents = 0;
    int mRestores = 0;
    HWND mWindow = nullptr;
    Image* mCursorImage = nullptr;
    MemoryImage* mScreenImage = nullptr;
};

} // namespace Kivo
