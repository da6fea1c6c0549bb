#include "game/app/CustomKivoAppBase.h"

#include "framework/app/Screenshot.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"

namespace Kivo {

CustomKivoAppBase* gCustomApp = nullptr;

namespace {

double GameTime()
{
    return gCustomApp ? gCustomApp->gameTimeAcc : 0.0;
}

} // namespace

CustomKivoAppBase::CustomKivoAppBase()
{
    gCustomApp = this;
}

CustomKivoAppBase::~CustomKivoAppBase()
{
    kivoTimer::Delete();
    if (kivoTimer::sGameTime == &GameTime)
        kivoTimer::sGameTime = nullptr;
    if (gCustomApp == this)
        gCustomApp = nullptr;
}

void CustomKivoAppBase::Init()
{
    kivoTimer::sGameTime = &GameTime;
    KivoAppBase::Init();
    waitForVSync = true;
}

void CustomKivoAppBase::UpdateFTimeAcc(double frac)
{
    if (waitForVSync && !minimized) {
        gameTimeAcc += frac;
        kivoTimer::Instance()->Update();
    }
    KivoAppBase::UpdateFTimeAcc(frac);
}

MusicInterface* CustomKivoAppBase::CreateMusicInterface(HWND)
{
    if (musicDisabled)
        return new MusicInterface();
    return KivoAppBase::CreateMusicInterface(invisHwnd);
}

void CustomKivoAppBase::RecreateSoundSystem()
{
    delete soundManager;
    soundManager = new DSoundManager(musicDisabled ? nullptr : hwnd, useFMod);
    SetSfxVolume(sfxVolume);
    delete musicInterface;
    musicInterface = nullptr;
    musicInterface = CreateMusicInterface(invisHwnd);
    SetMusicVolume(musicVolume);
}

void CustomKivoAppBase::PreDisplayInitHook()
{
    if (!GetBoolean("adjust_jerking", false))
        return;
    if (windowed && !fullscreenWindow) {
        adjustJerking = true;
        adjustJerkingAllowed = false;
    } else {
        adjustJerking = false;
        adjustJerkingAllowed = true;
    }
}

void CustomKivoAppBase::LostFocus()
{
    KivoAppBase::LostFocus();
    paused = true;
    SetCursor(0);
}

void CustomKivoAppBase::GotFocus()
{
    KivoAppBase::GotFocus();
    paused = false;
    if (customCursorsOn && loadingDone)
        SetCursor(11);
}

bool CustomKivoAppBase::DebugKeyDown(int key)
{
    switch (key) {
    case 'z':
        TakeScreenshot(*this);
        return true;
    case 'w':
    case 'r':
        // The framework's: Shift+w switches 3D, w dumps the program
        // information, r (Shift+r) the frame-rate overlay.
        return KivoAppBase::DebugKeyDown(key);
    default:
        return false;
    }
}

} // namespace Kivo
