#include "game/meta/UpgradeScreen.h"

#include "framework/core/Random.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/sound/AudioHost.h"
#include "framework/sound/MusicManager.h"
#include "framework/sound/VoiceHelper.h"
#include "framework/widgets/WidgetHost.h"
#include "game/effects/ComplexImage.h"
#include "game/effects/GfxClickToContinue.h"
#include "game/effects/GfxDelay.h"
#include "game/effects/GfxFirework.h"
#include "game/effects/GfxParticledText.h"
#include "game/effects/GfxManager.h"
#include "game/meta/BuildingPanel.h"
#include "game/meta/Town.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/Callback.h"
#include "game/ui/UpgradePanel.h"

namespace {

constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kKeyAdd = 107;

const TownStages::Building* BuildingRecord(int b)
{
    return Town::Instance()->stages->GetBuilding(b / Town::kBuildingsPerStage, b % Town::kBuildingsPerStage);
}

// A rocket bursting in one of the three ways (0 to 2), or any of them.
gfxBase* NewFirework(int variant)
{
    auto* rocket = new GfxFirework(-1);
    if (variant >= 0)
        rocket->mKind = variant;
    return rocket;
}

// "Stage Completed!" bursting into particles over the town, yellow, held
// for 250 units.
gfxBase* NewStageCompletedText()
{
    auto* text = new GfxParticledText(GetFontById("FONT_EFFECTS_BIG"), 400, 300, GetStringById("game_stage_completed"));
    text->mColor = Kivo::Color(255, 255, 0);
    text->mHoldTime = 250;
    return text;
}

bool CheatKeys()
{
    Kivo::AudioHost* app = Kivo::GetAudioHost();
    return app && app->GetBoolean("cheat_keys", false);
}

} // namespace

void UpgradeScreen::Preview::Draw(Kivo::Graphics* g)
{
    if (mLayer)
        mLayer->DrawForced(g, 0, 0);
}

UpgradeScreen::UpgradeScreen()
    : mUpgradePanel(new UpgradePanel(this)), mBuildingPanel(new BuildingPanel())
{
    AddWidget(mUpgradePanel);
    mBuildingPanel->Move((Kivo::GetWidgetHost()->GetWidth() - mBuildingPanel->mWidth) / 2, 20);
    AddWidget(mBuildingPanel);
}

UpgradeScreen::~UpgradeScreen()
{
    RemoveAllWidgets(false, false);
    delete mUpgradePanel;
    delete mBuildingPanel;
}

void UpgradeScreen::OnEnter()
{
    RefreshSlots();
    mUpgradePanel->Show(false, false);
    mUpgradePanel->Show(true, true);
    Town::Instance()->Rebuild();
    mBuildingPanel->Show(false, false);
    ApplyFinishedAnimations();
    MusicManager::Instance()->PlayMenuMusic();
}

void UpgradeScreen::OnLeave()
{
    SaveCurrentProfile();
    mEffects->clearEffects();
}

void UpgradeScreen::RefreshSlots()
{
    const int stage = Town::GetCurrentStage();
    for (int j = 0; j < Town::kBuildingsPerStage; ++j) {
        const int b = stage * Town::kBuildingsPerStage + j;
        TownItem* item = Town::GetBuildingItem(stage, j);
        if (!item || !item->picture) {
            mPreviews[j].mLayer = nullptr;
            mUpgradePanel->SetSlotValue(j, nullptr);
            continue;
        }
        mPreviews[j].mLayer = item->picture->FindLayer("preview");
        mUpgradePanel->SetSlotValue(j, mPreviews[j].mLayer ? &mPreviews[j] : nullptr);
        mUpgradePanel->SetButtonState(j, Town::IsBought(b) ? 2 : Town::CanAfford(b) ? 0 : 1);
    }
}

void UpgradeScreen::ApplyFinishedAnimations()
{
    Town* town = Town::Instance();
    for (int b = 0; b < Town::kBuildingCount; ++b) {
        if (!Town::IsBought(b) || Town::IsAnimationDone(b))
            continue;
        const TownStages::Building* record = BuildingRecord(b);
        if (!record || record->animationCommands.empty() || Town::GetAnimationLevels(b) != 0)
            continue;
        Town::SetAnimationDone(b);
        town->ReplayBuildingAnimation(b / Town::kBuildingsPerStage, b % Town::kBuildingsPerStage, true);
    }
}

int UpgradeScreen::SlotOf(int id)
{
    if (id >= kFirstBuyId && id < kFirstBuyId + Town::kBuildingsPerStage)
        return id - kFirstBuyId;
    if (id >= kFirstSlotId && id < kFirstSlotId + Town::kBuildingsPerStage)
        return id - kFirstSlotId;
    return -1;
}

void UpgradeScreen::ButtonMouseEnter(int id)
{
    const int j = SlotOf(id);
    if (j < 0 || mUpgradePanel->IsSliding())
        return;
    mUpgradePanel->SetSlotState(j, true);
    mBuildingPanel->Show(true, true);
    mBuildingPanel->SetBuilding(Town::GetCurrentStage() * Town::kBuildingsPerStage + j);
}

void UpgradeScreen::ButtonMouseLeave(int id)
{
    const int j = SlotOf(id);
    if (j < 0)
        return;
    mUpgradePanel->SetSlotState(j, false);
    mBuildingPanel->Show(false, true);
}

void UpgradeScreen::ButtonDepress(int id)
{
    if (id == kContinueId)
        Continue();
    else if (id >= kFirstBuyId && id < kFirstBuyId + Town::kBuildingsPerStage)
        Buy(id - kFirstBuyId);
}

void UpgradeScreen::Buy(int slot)
{
    const int stage = Town::GetCurrentStage();
    const int first = stage * Town::kBuildingsPerStage;
    const int b = first + slot;
    const TownStages::Building* record = BuildingRecord(b);
    // The buttons ignore presses they should not take, but keys and other
    // callers come here too: never buy twice or beyond the funds.
    if (!record || Town::IsBought(b) || !Town::CanAfford(b))
        return;

    mBuildingPanel->Show(false, true);
    mUpgradePanel->SetButtonState(slot, 2);
    Town::SetBought(b);
    SetProfileInt("score_total", GetProfileInt("score_total") - record->cost);
    Town::SetAnimationLevels(b, static_cast<unsigned char>(record->levels));

    bool stageComplete = true;
    for (int k = 0; k < Town::kBuildingsPerStage; ++k)
        stageComplete = stageComplete && Town::IsBought(first + k);
    if (stageComplete) {
        StageFireworks();
        mEffects->addEffect(new GfxDelay(3.0f, new CB_CallbackStatic_P1<const char*>(
                                                   "VOICE_STAGE_COMPLETED", [](const char* id) {
                                                       VoiceHelper::Instance()->PlayVoiceByName(id);
                                                   })));
        mEffects->addEffect(new GfxDelay(3.0f, NewStageCompletedText()));
        mEffects->addEffect(new GfxDelay(3.0f, new CB_CallbackStatic_P1<const char*>(
                                                   "SOUND_TOWN_STAGE_COMPLETED", [](const char* id) {
                                                       PlaySoundById(id);
                                                   })));
    }

    RefreshSlots();
    Town::Instance()->ShowBuilding(stage, slot, true);
    mUpgradePanel->Show(false, true);
    mEffects->removeEffectsByName("GfxClickToContinue");
    mEffects->addEffect(new GfxClickToContinue(400, 595, 9));
}

void UpgradeScreen::StageFireworks()
{
    float d = 4.0f;
    for (int burst = 0; burst < 25; ++burst) {
        const int rockets = Kivo::RandomInt(3, 5);
        bool bigOne = false;
        for (int r = 0; r < rockets; ++r) {
            d += Kivo::RandomFloat(0.2f, 0.6f);
            int variant = Kivo::RandomInt(0, 2);
            if (bigOne)
                variant = 0;
            bigOne = bigOne || variant == 2;
            mEffects->addEffect(new GfxDelay(d, NewFirework(variant)));
        }
        d += Kivo::RandomFloat(1.0f, 1.4f);
    }
}

void UpgradeScreen::Continue()
{
    if (Town::IsComplete())
        GoToMenu();
    else
        GoToGame();
}

void UpgradeScreen::GoToGame()
{
    LeaveWithFade(new CB_Callback_P1<UpgradeScreen, const char*, void>(this, "GameScreen", &UpgradeScreen::ChangeTo));
}

void UpgradeScreen::GoToMenu()
{
    LeaveWithFade(new CB_Callback_P1<UpgradeScreen, const char*, void>(this, "MenuScreen", &UpgradeScreen::ChangeTo));
}

void UpgradeScreen::ChangeTo(const char* state)
{
    if (mStateManager)
        mStateManager->ChangeState(mStateManager->FindState(state));
}

void UpgradeScreen::MouseDownButton(int, int, int, int)
{
    mUpgradePanel->ToggleShown();
}

void UpgradeScreen::KeyDown(int key)
{
    if (key == kKeyEnter) {
        Continue();
        return;
    }
    if (key == kKeyEscape) {
        GoToMenu();
        return;
    }
    if (!CheatKeys())
        return;
    switch (key) {
    case kKeyAdd:
        SetProfileInt("score_total", GetProfileInt("score_total") + 1000);
        RefreshSlots();
        break;
    case 'A':
        Town::AgeBuildingAnimations();
        ApplyFinishedAnimations();
        break;
    case 'F':
        mEffects->addEffect(NewFirework(-1));
        break;
    case 'S':
        StageFireworks();
        break;
    case 'Z':
        LoadSoundsGroup();
        break;
    case 'R':
        ResetCurrentProfileGame();
        Town::Instance()->Rebuild();
        RefreshSlots();
        break;
    default:
        break;
    }
}
