#include "game/meta/HintsHelper.h"

#include "framework/sound/AudioHost.h"
#include "game/meta/HintsManager.h"
#include "game/meta/WindowArrowHint.h"
#include "game/profiles/ProfileManager.h"

namespace {

const char* const kMasks[2] = {"hints_mask1", "hints_mask2"};

int IndexOf(const std::string& id)
{
    HintsManager::Hint hint;
    return HintsManager::Instance()->Find(id, &hint) ? hint.index : -1;
}

} // namespace

HintsHelper::HintsHelper()
{
    lastHintTime = Now() - kHintInterval;
    RemoveWidgetIfShown(WindowArrowHint::Existing());
}

HintsHelper::~HintsHelper()
{
    // The windows go with the helper; one still up leaves the screen first.
    for (WindowBase* window : {static_cast<WindowBase*>(WindowArrowHint::Existing()),
                               static_cast<WindowBase*>(WindowArrowHint2::Existing())}) {
        if (window) {
            RemoveWidgetIfShown(window);
            delete window;
        }
    }
}

uint32_t HintsHelper::Now()
{
    Kivo::AudioHost* app = Kivo::GetAudioHost();
    return app ? static_cast<uint32_t>(app->GetUpdateCount()) : 0;
}

bool HintsHelper::IsShown(int index) const
{
    if (index < 0 || index >= HintsManager::Instance()->GetIndexBound() || index >= kMaxHints)
        return true;
    auto mask = static_cast<uint32_t>(GetProfileInt(kMasks[index / 32]));
    return (mask >> (index % 32)) & 1u;
}

void HintsHelper::ChangeShown(int index, bool shown)
{
    if (index < 0 || index >= HintsManager::Instance()->GetIndexBound() || index >= kMaxHints)
        return;
    uint32_t masks[2] = {static_cast<uint32_t>(GetProfileInt(kMasks[0])),
                         static_cast<uint32_t>(GetProfileInt(kMasks[1]))};
    uint32_t bit = 1u << (index % 32);
    if (shown)
        masks[index / 32] |= bit;
    else
        masks[index / 32] &= ~bit;
    for (int i = 0; i < 2; ++i)
        SetProfileInt(kMasks[i], static_cast<int32_t>(masks[i]));
}

void HintsHelper::SetShown(int index)
{
    ChangeShown(index, true);
}

void HintsHelper::ClearShown(int index)
{
    ChangeShown(index, false);
}

bool HintsHelper::HasUnshownHints() const
{
    // By the hints in the table: an index left behind by a repeated id
    // belongs to no hint and is never shown.
    for (const auto& [id, hint] : HintsManager::Instance()->Hints())
        if (hint.index != 0 && !IsShown(hint.index))
            return true;
    return false;
}

bool HintsHelper::CanShowHint() const
{
    // Unsigned difference: right across the counter's wrap.
    return Now() - lastHintTime >= kHintInterval && !HintWindowUp();
}

void HintsHelper::ShowHint(const std::string& id, int x, int y, int distance)
{
    int index = IndexOf(id);
    if (index < 0 || IsShown(index) || !CanShowHint())
        return;
    SetShown(index);
    lastHintTime = Now();
    ShowHintWindow(id, x, y, distance);
    lastHintTime = Now();
}

bool HintsHelper::IsHintShown(const std::string& id) const
{
    int index = IndexOf(id);
    return index < 0 || IsShown(index);
}

void HintsHelper::SetHintShown(const std::string& id)
{
    SetShown(IndexOf(id));
}

void HintsHelper::ClearHintShown(const std::string& id)
{
    ClearShown(IndexOf(id));
}

void HintsHelper::ShowHintWindow(const std::string& id, int x, int y, int distance)
{
    HintsManager::Hint hint;
    if (!HintsManager::Instance()->Find(id, &hint))
        return;
    if (hint.image) {
        WindowArrowHint* window = WindowArrowHint::Instance();
        window->SetTarget(x, y, distance);
        window->mText = hint.text;
        window->mPicture = hint.image;
        ShowWindowAnimated(window, true);
    } else {
        WindowArrowHint2* window = WindowArrowHint2::Instance();
        window->SetTarget(x, y, distance);
        window->mText = hint.text;
        ShowWindowAnimated(window, true);
    }
}

bool HintsHelper::ResetHintWindow()
{
    lastHintTime = Now() - kHintInterval;
    return RemoveWidgetIfShown(WindowArrowHint::Existing());
}

bool HintsHelper::HintWindowUp()
{
    return IsWidgetShown(WindowArrowHint::Existing()) || IsWidgetShown(WindowArrowHint2::Existing());
}
