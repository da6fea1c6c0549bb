#include "game/meta/WindowProfiles.h"

#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/WidgetHost.h"
#include "game/meta/WindowConfirm.h"
#include "game/meta/WindowMessage.h"
#include "game/meta/WindowNewProfile.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/ProfileSlotButton.h"
#include "game/ui/ProfileSmallSlot.h"

#include <cmath>

namespace {

constexpr int kButtonClose = 0;
constexpr int kFirstPlate = 1;
constexpr int kFirstSlotButton = 6;

bool Accelerated()
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    return app && app->Is3DAccelerated();
}

bool ShuttingDown()
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    return app && app->IsShuttingDown();
}

template <class T>
void DeleteIdleWindow()
{
    // A shown window belongs to the widget manager; a killed one is no
    // longer registered.
    if (T* window = T::Existing(); window && !IsWidgetShown(window))
        delete window;
}

} // namespace

WindowProfiles::WindowProfiles()
    : WindowBase(GetImageById("IMAGE_UI_WINDOW"), GetStringById("window_profiles_caption"), false,
                 WINDOW_ID_PROFILES)
{
    mClip = false;
    mContentInsets = {60, 45, 60, 50};
    int y = 130;
    for (int i = 0; i < kSlots; ++i) {
        auto* plate = new ProfileSmallSlot(kFirstPlate + i, this);
        plate->Move(90, y);
        auto* button = new ProfileSlotButton(kFirstSlotButton + i, this);
        button->Move(plate->mX + plate->mWidth + 5, y);
        AddWidget(plate);
        AddWidget(button);
        mPlates[i] = plate;
        mSlotButtons[i] = button;
        y += plate->mHeight + 5;
    }
    mCloseButton = new WindowButton(kButtonClose, this);
    mCloseButton->mLabel = GetStringById("window_profiles_button_close");
    mCloseButton->Move((mWidth - mCloseButton->mWidth) / 2 + 5, 450);
    AddWidget(mCloseButton);
    mArrow = GetImageById("IMAGE_UI_PROFILE_ARROW");
    RefreshSlots();
}

WindowProfiles::~WindowProfiles()
{
    RemoveAllWidgets(true, false);
    DeleteIdleWindow<WindowNewProfile>();
    DeleteIdleWindow<WindowConfirm>();
    DeleteIdleWindow<WindowMessage>();
}

void WindowProfiles::ShowSlot(int slot, bool used, const std::string& name, int progressType)
{
    mPlates[slot]->mLabel = used ? name : std::string();
    mPlates[slot]->mMode =
        used && (progressType == SLOT_MODE_TIMED || progressType == SLOT_MODE_RELAXED) ? progressType : SLOT_MODE_NONE;
    mPlates[slot]->MarkDirty();
    mSlotButtons[slot]->SetGreen(!used);
}

void WindowProfiles::RefreshSlots()
{
    // Read only: selecting each slot in turn would save the current
    // profile and load every other one on the way.
    ProfileManager* manager = ProfileManager::Instance();
    for (int slot = 0; slot < kSlots; ++slot) {
        std::string name;
        int32_t type = 0;
        const bool used = manager->PeekSlot(slot, &name, &type);
        ShowSlot(slot, used, name, type);
    }
}

int WindowProfiles::AskProfile(const char* caption, const std::string& name, int progressType,
                               std::string* newName, int* newType)
{
    PlayEffect(Accelerated() ? WINDOW_EFFECT_DISAPPEAR : WINDOW_EFFECT_NONE, nullptr);
    WindowNewProfile* window = WindowNewProfile::Instance();
    window->mDialogHeader = GetStringById(caption);
    window->SetUserName(name);
    window->SetProgressType(progressType);
    window->SetCancelVisible(true);
    const int result = ShowWindowAnimated(window, true);
    // Queued for deletion, not yet deleted.
    *newName = window->GetUserName();
    *newType = window->GetProgressType();
    if (!ShuttingDown())
        PlayEffect(Accelerated() ? WINDOW_EFFECT_APPEAR : WINDOW_EFFECT_NONE, &WindowBase::OnAppearDone);
    return result;
}

void WindowProfiles::SlotAction(int slot)
{
    if (slot < 0 || slot >= kSlots)
        return;
    ProfileManager* manager = ProfileManager::Instance();
    std::string name;
    int type = 0;
    if (mSlotButtons[slot]->IsGreen()) {
        if (AskProfile("window_newprofile_caption", GetStringById("window_profiles_default_user_name"), 2, &name,
                       &type) != 1)
            return;
        if (manager->StartNewProfile(slot, name, type))
            ShowSlot(slot, true, name, type);
        return;
    }
    if (slot != manager->GetCurrentProfileSlot()) {
        manager->SelectSlot(slot);
        return;
    }
    const int storedType = GetProfileInt("progress_type");
    if (AskProfile("window_changeprofile_caption", GetProfileString("user_name"), storedType, &name, &type) != 1)
        return;
    SetProfileString("user_name", name);
    if (type != storedType) {
        // A game stored under one type cannot go on under the other.
        SetProfileInt("progress_type", type);
        ClearStoredGame();
    }
    ShowSlot(slot, true, name, type);
    SaveCurrentProfile();
}

void WindowProfiles::TryClose()
{
    if (ProfileManager::Instance()->HasProfile()) {
        mResult = mSlotChanged ? 1 : 0;
        mSlotChanged = false;
        return;
    }
    WindowMessage* message = WindowMessage::Instance();
    message->mMessage = GetStringById("message_you_have_to_create_profile");
    ShowWindowAnimated(message, true);
}

void WindowProfiles::ButtonDepress(int id)
{
    WindowBase::ButtonDepress(id);
    if (id == kButtonClose) {
        TryClose();
        return;
    }
    if (id >= kFirstPlate && id < kFirstPlate + kSlots) {
        SlotAction(id - kFirstPlate);
        return;
    }
    const int slot = id - kFirstSlotButton;
    if (slot < 0 || slot >= kSlots)
        return;
    if (mSlotButtons[slot]->IsGreen()) {
        SlotAction(slot);
        return;
    }
    WindowConfirm* confirm = WindowConfirm::Instance();
    confirm->mMessage = GetStringById("delete_profile_question");
    if (ShowWindowAnimated(confirm, true) != 1)
        return;
    ProfileManager* manager = ProfileManager::Instance();
    manager->DeleteSlot(slot);
    ShowSlot(slot, false, std::string(), 0);
    if (manager->HasProfile())
        return;
    for (int other = 0; other < kSlots; ++other)
        if (manager->SelectSlot(other))
            break;
    mSlotChanged = true;
}

void WindowProfiles::KeyDown(int key)
{
    if (!mVisible)
        return;
    Kivo::Widget::KeyDown(key);
    if (key == WINDOW_KEY_ESCAPE || key == WINDOW_KEY_ENTER)
        TryClose();
}

void WindowProfiles::UpdateF(float fraction) { mArrowPhase += 0.1f * fraction; }

void WindowProfiles::Draw(Kivo::Graphics* g)
{
    DrawShade(g);
    WindowBase::Draw(g);
    const int slot = ProfileManager::Instance()->GetCurrentProfileSlot();
    if (!mArrow || slot < 0 || slot >= kSlots)
        return;
    const ProfileSmallSlot* plate = mPlates[slot];
    const float x = static_cast<float>(plate->mX - mArrow->GetWidth() - 5) + 5.0f * std::sin(mArrowPhase);
    const float y = static_cast<float>(plate->mY) + static_cast<float>(plate->mHeight - mArrow->GetHeight()) / 2.0f;
    g->DrawImageF(mArrow, x, y);
}
