#pragma once
// A stand-in for the application object in widget and screen tests: it owns
// a widget manager with a 800 x 600 game area, runs fixed update steps the
// way the main loop does (update, fractional update, deferred deletion after
// each), keeps deferred deletion by nesting depth, and records cursor
// changes and screen-image locks.
#include "framework/widgets/SafeDeleteList.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"

#include <vector>

class FakeApp : public Kivo::WidgetHost {
public:
    FakeApp() : mManager(this)
    {
        mManager.SetMouseMapping(Kivo::Rect(0, 0, 800, 600), Kivo::Rect(0, 0, 800, 600));
        Kivo::SetWidgetHost(this);
    }
    ~FakeApp() override
    {
        mSafeDeleteList.Process(0);
        Kivo::SetWidgetHost(nullptr);
    }

    void SetCursor(int cursorNum) override { mCursors.push_back(cursorNum); }
    bool Is3DAccelerated() override { return mAccelerated; }
    void SafeDeleteWidget(Kivo::Widget* widget) override { mSafeDeleteList.Add(mNestDepth, widget); }
    bool IsShuttingDown() override { return mShuttingDown; }
    int GetWidth() override { return 800; }
    int GetHeight() override { return 600; }
    Kivo::WidgetManager* GetWidgetManager() override { return &mManager; }
    bool LockScreenImage(Kivo::Image*) override
    {
        ++mLocks;
        return mLockSucceeds;
    }
    void UnlockScreenImage(Kivo::Image*) override { ++mUnlocks; }

    // One fixed update step of the main loop at nesting depth mNestDepth.
    void Step()
    {
        mManager.UpdateFrame();
        mSafeDeleteList.Process(mNestDepth);
        mManager.UpdateFrameF(1.0f);
        mSafeDeleteList.Process(mNestDepth);
    }
    void Steps(int count)
    {
        for (int i = 0; i < count; ++i)
            Step();
    }

    Kivo::WidgetManager mManager;
    Kivo::SafeDeleteList mSafeDeleteList;
    int mNestDepth = 1;
    bool mShuttingDown = false;
    bool mAccelerated = false;
    bool mLockSucceeds = true;
    int mLocks = 0;
    int mUnlocks = 0;
    std::vector<int> mCursors;
};
