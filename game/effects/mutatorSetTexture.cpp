#include "game/effects/mutatorSetTexture.h"

#include "framework/resources/ResourceHelpers.h"
#include "game/effects/ActionObject.h"
#include "game/effects/ActionScript.h"

bool mutatorSetTexture::Start()
{
    if (!mOwner || !mOwner->mOwner)
        return false;
    // An unknown name is entered with an empty id, which names no image.
    mOwner->mImage = GetImageById(mOwner->mOwner->mTextures[mName]);
    return true;
}
