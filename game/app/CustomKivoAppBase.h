#pragma once
// The program's own extensions of the application base: the accumulated
// game time that the frame timer reads, a silent music interface while
// sound is off, pause and cursor on focus changes, frame pacing by the
// display's rate, and the debug keys.
#include "framework/app/KivoAppBase.h"

namespace Kivo {

class CustomKivoAppBase : public KivoAppBase {
public:
    CustomKivoAppBase();
    ~CustomKivoAppBase() override;

    void UpdateFTimeAcc(double frac) override;
    MusicInterface* CreateMusicInterface(HWND window) override;
    // Installs the frame timer's time source, runs the base start-up, then
    // paces frames by the display so that fractional updates run.
    void Init() override;
    void PreDisplayInitHook() override;
    void GotFocus() override;
    void LostFocus() override;
    // 'z' a screenshot; 'w' the 3D switch (with Shift) or the program
    // information; 'r' the frame-rate overlay.
    bool DebugKeyDown(int key) override;

    // A new sound manager and music interface, as `musicDisabled` now says.
    void RecreateSoundSystem();

    double gameTimeAcc = 0;
};

// The application as the game's code reaches it; null outside its lifetime.
extern CustomKivoAppBase* gCustomApp;

} // namespace Kivo
