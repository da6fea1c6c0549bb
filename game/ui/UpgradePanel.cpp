#include "game/ui/UpgradePanel.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/WidgetHost.h"
#include "game/ui/ButtonTownUpgrade.h"
#include "game/ui/PanelSlide.h"
#include "game/ui/UpgradeScorePanel.h"
#include "game/ui/UpgradeSlot.h"

namespace {

constexpr int kSlotIds[kUpgradeSlots] = {1002, 1003, 1004, 1005};
constexpr int kSlotX[kUpgradeSlots] = {1, 178, 355, 534};
constexpr int kBuyIds[kUpgradeSlots] = {2, 3, 4, 5};
constexpr int kBuyX[kUpgradeSlots] = {100, 278, 454, 633};

int AppHeight() { return Kivo::GetWidgetHost()->GetHeight(); }

bool ValidIndex(int index) { return index >= 0 && index < kUpgradeSlots; }

} // namespace

UpgradePanel::UpgradePanel(Kivo::ButtonListener* listener)
    : mBackground(GetImageById("IMAGE_UI_UPGRADE_PANEL_BACKGROUND"))
{
    const int width = mBackground ? mBackground->mWidth : 0, height = mBackground ? mBackground->mHeight : 0;
    Resize(0, AppHeight() - height, width, height);
    mHomeY = mY;
    mMouseVisible = false;
    mClip = false;
    for (int i = 0; i < kUpgradeSlots; ++i) {
        mSlots[i] = new UpgradeSlot(kSlotIds[i], listener);
        mSlots[i]->Move(kSlotX[i], 2);
        AddWidget(mSlots[i]);
    }
    mNextButton = NewPanelButton(0, listener, "IMAGE_UI_UPGRADE_PANEL_BUTTON_NEXT",
                                 "IMAGE_UI_UPGRADE_PANEL_BUTTON_NEXT_DOWN", 718, 37);
    AddWidget(mNextButton);
    mScorePanel = new UpgradeScorePanel();
    mScorePanel->Move(700, -11);
    AddWidget(mScorePanel);
    for (int i = 0; i < kUpgradeSlots; ++i) {
        mBuyButtons[i] = new ButtonTownUpgrade(kBuyIds[i], listener);
        mBuyButtons[i]->Move(kBuyX[i], 35);
        AddWidget(mBuyButtons[i]);
    }
}

UpgradePanel::~UpgradePanel() { RemoveAllWidgets(true); }

void UpgradePanel::Show(bool show, bool animate)
{
    mSlide.SetTarget(show ? 0.0f : 1.0f);
    if (!animate) {
        mSlide.mCurrent = mSlide.mTarget;
        Move(mX, show ? mHomeY : AppHeight() + mHeight);
    }
    mScorePanel->Show(show, animate);
}

void UpgradePanel::ToggleShown()
{
    const bool hide = mSlide.mTarget != 1.0f;
    mSlide.SetTarget(hide ? 1.0f : 0.0f);
    mScorePanel->Show(!hide, true);
}

bool UpgradePanel::IsSliding() { return mSlide.IsMoving(); }

void UpgradePanel::SetSlotValue(int index, SlotPicture* picture)
{
    if (ValidIndex(index))
        mSlots[index]->mPicture = picture;
}

void UpgradePanel::SetSlotState(int index, bool highlighted)
{
    if (ValidIndex(index))
        mSlots[index]->SetHighlight(highlighted);
}

void UpgradePanel::SetButtonState(int index, int state)
{
    if (ValidIndex(index))
        mBuyButtons[index]->SetState(state);
}

void UpgradePanel::UpdateF(float fraction)
{
    int y;
    if (AdvanceSlide(mSlide, fraction, mHomeY, mHeight, AppHeight() + mHeight, &y))
        Move(mX, y);
}

void UpgradePanel::Draw(Kivo::Graphics* g)
{
    if (mBackground)
        g->DrawImage(mBackground, 0, 0);
}
