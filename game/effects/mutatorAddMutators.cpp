#include "game/effects/mutatorAddMutators.h"

#include "game/effects/ActionObject.h"
#include "game/effects/ActionScript.h"

bool mutatorAddMutators::Start()
{
    return mOwner && mOwner->mOwner && mOwner->mOwner->AddMutList(mOwner, 2, mListName);
}
