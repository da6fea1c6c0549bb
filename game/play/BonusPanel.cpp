#include "game/play/BonusPanel.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/WidgetHost.h"
#include "game/match/BrickHelper.h"
#include "game/play/BonusSlot.h"
#include "game/ui/ButtonBase.h"
#include "game/ui/PanelSlide.h"

namespace {
struct SlotRow {
    const char* slotImage;
    const char* barImage;
    const char* barBackImage;
    int x, y;
    int widgetOffsetX, widgetOffsetY;
    int iconOffsetX, iconOffsetY;
    int gateOffsetX, gateOffsetY;
};

constexpr SlotRow kSlotRows[BonusPanel::kSlots] = {
    {"IMAGE_BONUS_SLOT1", "IMAGE_BONUS_PROGRESS1", "IMAGE_BONUS_PROGRESS1_BACK", 178, 86, 9, 8, 0, 2, 0, 4},
    {"IMAGE_BONUS_SLOT2", "IMAGE_BONUS_PROGRESS2", "IMAGE_BONUS_PROGRESS2_BACK", 260, 91, 11, 6, 0, 2, 0, 4},
    {"IMAGE_BONUS_SLOT3", "IMAGE_BONUS_PROGRESS3", "IMAGE_BONUS_PROGRESS3_BACK", 341, 92, 9, 5, -2, 4, -1, 5},
    {"IMAGE_BONUS_SLOT4", "IMAGE_BONUS_PROGRESS4", "IMAGE_BONUS_PROGRESS4_BACK", 420, 89, 11, 7, 0, 3, 0, 4},
    {"IMAGE_BONUS_SLOT5", "IMAGE_BONUS_PROGRESS5", "IMAGE_BONUS_PROGRESS5_BACK", 506, 84, 5, 9, 0, 2, -2, 5},
};

int AppHeight()
{
    Kivo::WidgetHost* host = Kivo::GetWidgetHost();
    return host ? host->GetHeight() : 600;
}

Kivo::Image* BackgroundImage() { return GetImageById("IMAGE_BONUS_BACKGROUND"); }
} // namespace

BonusPanel::BonusPanel(Kivo::ButtonListener* listener)
{
    mMouseVisible = false;
    if (Kivo::Image* background = GetImageById("IMAGE_BONUS_BACKGROUND"))
        Resize(0, AppHeight() - background->mHeight, background->mWidth, background->mHeight);
    else
        Resize(0, AppHeight(), 800, 0);
    mHomeY = mY;

    mMenuButton = NewPanelButton(0, listener, "IMAGE_BONUS_BUTTON_MENU", "IMAGE_BONUS_BUTTON_MENU_DOWN", 696, 61);
    mTownButton = NewPanelButton(1, listener, "IMAGE_BONUS_BUTTON_TOWN", "IMAGE_BONUS_BUTTON_TOWN_DOWN", 30, 55);
    AddWidget(mMenuButton);
    AddWidget(mTownButton);
    for (int i = 0; i < kSlots; ++i) {
        const SlotRow& row = kSlotRows[i];
        auto* slot = new BonusSlot(kFirstSlotId + i, listener);
        slot->mSlotImage = GetImageById(row.slotImage);
        slot->mProgressImage = GetImageById(row.barImage);
        slot->mProgressBackImage = GetImageById(row.barBackImage);
        slot->mWidgetOffsetX = row.widgetOffsetX;
        slot->mWidgetOffsetY = row.widgetOffsetY;
        slot->mIconOffsetX = row.iconOffsetX;
        slot->mIconOffsetY = row.iconOffsetY;
        slot->mGateOffsetX = row.gateOffsetX;
        slot->mGateOffsetY = row.gateOffsetY;
        slot->Move(row.x, row.y);
        mSlots[i] = slot;
        AddWidget(slot);
    }
    for (int i = 0; i < kSlots; ++i)
        mSlots[i]->SetIcon(GetBonusBrickImage(BonusSlotToKind(i)));
}

BonusPanel::~BonusPanel()
{
    RemoveAllWidgets(false, false);
    delete mMenuButton;
    delete mTownButton;
    for (BonusSlot* slot : mSlots)
        delete slot;
}

BonusSlot* BonusPanel::GetSlot(int slot) const { return slot >= 0 && slot < kSlots ? mSlots[slot] : nullptr; }

void BonusPanel::SetSlotProgress(int slot, float value, bool animate)
{
    if (BonusSlot* s = GetSlot(slot))
        s->SetProgress(value, animate);
}

float BonusPanel::GetSlotProgress(int slot) const
{
    const BonusSlot* s = GetSlot(slot);
    return s ? s->GetProgress() : 0.0f;
}

void BonusPanel::AddSlotProgress(int slot, float delta)
{
    if (BonusSlot* s = GetSlot(slot))
        s->SetProgress(s->GetProgress() + delta, true);
}

bool BonusPanel::GetSlotCentre(int slot, int* x, int* y) const
{
    const BonusSlot* s = GetSlot(slot);
    if (!s || !s->GetCentre(x, y))
        return false;
    *x += mX;
    *y += mY;
    return true;
}

void BonusPanel::SetGatesOpen(bool open, bool animate)
{
    for (BonusSlot* slot : mSlots)
        slot->SetGateOpen(open, animate);
    if (!open && animate)
        PlaySoundById("SOUND_GATE_CLOSE");
}

void BonusPanel::DrawBackground(Kivo::Graphics* g)
{
    Kivo::Image* background = BackgroundImage();
    if (!background)
        return;
    g->Translate(mX, mY);
    g->DrawImage(background, 0, 0);
    g->Translate(-mX, -mY);
}

void BonusPanel::Show(bool show, bool animate)
{
    mSlide.SetTarget(show ? 0.0f : 1.0f);
    if (!animate) {
        mSlide.mCurrent = mSlide.mTarget;
        Move(mX, show ? mHomeY : AppHeight() + mHeight);
    }
}

void BonusPanel::UpdateF(float dt)
{
    Kivo::Widget::UpdateF(dt);
    int y;
    if (AdvanceSlide(mSlide, dt, mHomeY, mHeight, AppHeight() + mHeight, &y))
        Move(mX, y);
}
