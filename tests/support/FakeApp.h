#pragma once
// A stand-in for the application object in widget and screen tests: it owns
// a widget manager with a 800 x 600 game area, runs fixed update steps the
// way the main loop does (update, fractional update, deferred deletion after
// each), keeps deferred deletion by nesting depth, and records cursor
// changes and screen-image locks. Its application steps (for modal waits)
// run a hook and then one update step while mRunning holds; its clipboard
// is a string.
#include "framework/widgets/Dialog.h"
#include "framework/widgets/SafeDeleteList.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"

#include <functional>
#include <map>
#include <string>
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
    Kivo::DialogListener* GetDialogListener() override { return mDialogListener; }
    bool UpdateAppStep(bool* updated) override
    {
        if (updated)
            *updated = false;
        if (!mRunning)
            return false;
        ++mAppSteps;
        if (mOnAppStep)
            mOnAppStep();
        Step();
        if (updated)
            *updated = true;
        return true;
    }
    // Dialogs as the application keeps them: by id, the modal ones base
    // modal, killed ones deleted after the pass.
    void AddDialog(Kivo::Dialog* dialog) override;
    bool KillDialog(int id) override;
    bool RemoveDialog(int id);
    bool IsWindowed() override { return mWindowed; }
    bool IsMouseInWindow() override { return mMouseInWindow; }
    bool CustomCursorsOn() override { return mCustomCursors; }
    bool GetFullScreenSize(int* width, int* height) override
    {
        *width = mFullScreenWidth;
        *height = mFullScreenHeight;
        return true;
    }
    void CopyToClipboard(const std::string& text) override { mClipboard = text; }
    std::string GetClipboard() override { return mClipboard; }
    bool AllowHighCharacters() override { return mAllowHighCharacters; }

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
    Kivo::DialogListener* mDialogListener = nullptr;
    bool mRunning = true;
    int mAppSteps = 0;
    std::function<void()> mOnAppStep;
    std::vector<int> mKilledDialogs;
    std::string mClipboard;
    bool mAllowHighCharacters = false;
    std::map<int, Kivo::Dialog*> mDialogs;
    bool mWindowed = true;
    bool mMouseInWindow = true;
    bool mCustomCursors = true;
    int mFullScreenWidth = 800;
    int mFullScreenHeight = 600;
};

inline void FakeApp::AddDialog(Kivo::Dialog* dialog)
{
    RemoveDialog(dialog->mId);
    mDialogs[dialog->mId] = dialog;
    mManager.AddWidget(dialog);
    if (dialog->IsModal())
        mManager.AddBaseModal(dialog);
}

inline bool FakeApp::KillDialog(int id)
{
    mKilledDialogs.push_back(id);
    return RemoveDialog(id);
}

inline bool FakeApp::RemoveDialog(int id)
{
    auto it = mDialogs.find(id);
    if (it == mDialogs.end())
        return false;
    Kivo::Dialog* dialog = it->second;
    mDialogs.erase(it);
    mManager.RemoveWidget(dialog);
    if (dialog->IsModal())
        mManager.RemoveBaseModal(dialog);
    SafeDeleteWidget(dialog);
    return true;
}
