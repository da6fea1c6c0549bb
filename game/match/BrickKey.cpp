#include "game/match/BrickKey.h"

BrickKey::BrickKey() : BrickColored(kBrickKey)
{
    mStateOn[1] = true;
}

void BrickKey::SetState(int id)
{
    if (id != 2)
        BrickColored::SetState(id);
}

void BrickKey::StopState(int id)
{
    if (id != 1)
        BrickColored::StopState(id);
}

void BrickKey::StopAllStates()
{
    BrickColored::StopAllStates();
    mStateOn[1] = true;
}
