#include "game/ui/BaseCursor.h"

#include "framework/graphics/Animator.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"

BaseCursor::BaseCursor(const std::string& imageId, int hotSpotX, int hotSpotY)
    : mImage(GetImageById(imageId)), mAnimator(new Kivo::Animator), mHotSpotX(hotSpotX), mHotSpotY(hotSpotY)
{
    if (mImage)
        mAnimator->SetImage(mImage);
}

BaseCursor::~BaseCursor() { delete mAnimator; }

void BaseCursor::Reset() { mAnimator->Reset(); }

void BaseCursor::Update() { mAnimator->Update(); }

void BaseCursor::Draw(Kivo::Graphics* g)
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    Kivo::WidgetManager* manager = app ? app->GetWidgetManager() : nullptr;
    if (!mImage || !manager)
        return;
    mAnimator->Draw(g, manager->mLastX + mHotSpotX, manager->mLastY + mHotSpotY);
}
