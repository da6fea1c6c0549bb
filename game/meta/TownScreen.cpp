#include "game/meta/TownScreen.h"

#include "game/effects/GfxClickToContinue.h"
#include "game/effects/GfxManager.h"
#include "game/meta/Town.h"
#include "game/ui/Callback.h"

void TownScreen::OnEnter()
{
    Town::Instance()->Rebuild();
    mEffects->clearEffects();
    mEffects->addEffect(new GfxClickToContinue(400, 595, 5));
}

void TownScreen::MouseDownButton(int, int, int, int)
{
    LeaveToGame();
}

void TownScreen::KeyDown(int key)
{
    if (key == 13 || key == 27)
        LeaveToGame();
}

void TownScreen::LeaveToGame()
{
    LeaveWithFade(new CB_Callback<TownScreen, void>(this, &TownScreen::ReturnToGame));
}

void TownScreen::ReturnToGame()
{
    if (mStateManager)
        mStateManager->PopState();
}
