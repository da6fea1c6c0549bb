#pragma once
// The summary at the end of a level: the bricks, bonus and combo scores
// count up one after another, a line is drawn and their sum counts up, with
// a tick while counting, a sound when each line appears and ends, a sound
// when everything is done and the spoken praise a second later. The first
// press of a closing button or key ends the counting at once; the second
// closes the window.
#include "game/ui/LabelScoreCounter.h"
#include "game/ui/WindowBase.h"

#include <cstdint>
#include <memory>
#include <string>

class GfxManager;
class LineWithEffects;

class WindowLevelCompletedBase : public WindowBase, public LabelScoreListener {
public:
    WindowLevelCompletedBase(Kivo::Image* background, const std::string& caption, int windowId);
    ~WindowLevelCompletedBase() override;

    void Update() override;
    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;
    // Enter and Esc, while visible, as the continue button.
    void KeyDown(int key) override;

    // Starts the count of the three figures and of their sum.
    virtual void SetScores(int bricks, int bonus, int combo);
    // While the total has not finished counting.
    bool IsCounting();
    // Puts every counter on its figure at once and shows the line.
    void SkipCounters();

    // The counters report here.
    void CountStarted(int id) override;
    void CountFinished(int id) override;

    // Updates from the all-done sound to the praise.
    static constexpr int kVoiceDelay = 100;

    bool mAllDone = false;
    int32_t mVoiceCountdown = 0; // updates left until the praise; 0 none pending
    LabelScoreCounter* mBricks;
    LabelScoreCounter* mBonus;
    LabelScoreCounter* mCombo;
    LabelScoreCounter* mTotal;
    LineWithEffects* mLine;
    std::unique_ptr<GfxManager> mEffects;

protected:
    // A closing press (continue, bonus game, Enter, Esc): ends the counting
    // when it still runs, else answers with `result`.
    void CloseOrSkip(int result);
};
