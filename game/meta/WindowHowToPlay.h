#pragma once
// The how-to-play window (id 108): the demonstration board, title and
// explanation of one game mode, chosen by the caller before showing it.
// Its result is always 0.
#include "framework/core/Singleton.h"
#include "game/ui/WindowBase.h"

#include <cstdint>
#include <string>

class ActionScript;

class WindowHowToPlay : public Singleton<WindowHowToPlay>, public WindowBase {
public:
    static constexpr int kWindowId = WINDOW_ID_HOW_TO_PLAY;

    WindowHowToPlay();
    ~WindowHowToPlay() override;

    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;
    void KeyDown(int key) override;
    void ButtonDepress(int id) override;

    // Loads the three demonstration files again and takes fresh copies.
    void ReloadScripts();
    // The copy that belongs to mGameType; null for no mode or a script that
    // is not loaded.
    ActionScript* CurrentScript();

    // 1 swap, 2 group, 3 chain; anything else (0 until the caller sets it)
    // shows no board and no texts.
    int32_t mGameType = 0;
    ActionScript* mChainScript = nullptr; // owned copies; null when not loaded
    ActionScript* mSwapScript = nullptr;
    ActionScript* mGroupScript = nullptr;

private:
    void TakeScriptCopies();
    void DeleteScripts();

    bool mTextsFetched = false;
    std::string mTitles[3];    // by mode - 1
    std::string mTexts[3];
    int mTextHeights[3] = {};
};
