#include "game/meta/TownViewScreen.h"

#include "game/effects/GfxManager.h"
#include "game/meta/Town.h"

TownViewScreen::TownViewScreen() : mEffects(new GfxManager()) {}

TownViewScreen::~TownViewScreen()
{
    RemoveAllWidgets(false, false);
    delete mEffects;
}

void TownViewScreen::Update()
{
    BaseScreen::Update();
    Town::Instance()->Update();
    mEffects->processEffects();
}

void TownViewScreen::UpdateF(float fraction)
{
    Town::Instance()->UpdateF(fraction);
    mEffects->updateEffects(fraction);
}

void TownViewScreen::Draw(Kivo::Graphics* g)
{
    Town::Instance()->Draw(g);
    mEffects->drawEffects(g);
}
