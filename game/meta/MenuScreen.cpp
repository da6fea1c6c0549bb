#include "game/meta/MenuScreen.h"

#include "framework/app/KivoAppBase.h"
#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/sound/MusicManager.h"
#include "framework/sound/VoiceHelper.h"
#include "framework/widgets/WidgetManager.h"
#include "game/effects/GfxClickToContinue.h"
#include "game/effects/GfxDelay.h"
#include "game/effects/GfxFirework.h"
#include "game/effects/GfxManager.h"
#include "game/effects/GfxPyroSystem.h"
#include "game/effects/GfxRoundFly.h"
#include "game/meta/Town.h"
#include "game/meta/WindowConfirm.h"
#include "game/meta/WindowHelp.h"
#include "game/meta/WindowMessage.h"
#include "game/meta/WindowOptions.h"
#include "game/meta/WindowProfiles.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/Callback.h"
#include "game/ui/DelayWidget.h"
#include "game/ui/MainMenuPanel.h"
#include "game/ui/WindowBase.h"

namespace {

constexpr int kKeyF1 = 112;
constexpr int kKeyEnter = 13;
constexpr int kKeyR = 82;
constexpr int kKeyZ = 90;
constexpr int kKeyDelete = 46;

bool CheatKeys()
{
    return Kivo::gKivoApp && Kivo::gKivoApp->GetBoolean("cheat_keys", false);
}

} // namespace

std::vector<FireworkPlan> PlanFireworks()
{
    std::vector<FireworkPlan> plan;
    const int n = Kivo::RandomInt(10, 15);
    float delay = 0.5f;
    bool hadVariant2 = false;
    for (int i = 0; i < n; ++i) {
        delay += Kivo::RandomFloat(0.2f, 0.6f);
        int variant = Kivo::RandomInt(0, 2);
        if (hadVariant2)
            variant = 0;
        hadVariant2 = hadVariant2 || variant == 2;
        plan.push_back({ delay, variant });
    }
    return plan;
}

MenuScreen::MenuScreen()
{
    Town::Instance();
    mPanel = new MainMenuPanel(this);
    AddWidget(mPanel);
    mEffects = new GfxManager();
}

MenuScreen::~MenuScreen()
{
    RemoveAllWidgets(false);
    delete mPanel;
    // Windows clear their instance when they are killed, so only windows
    // still alive are found here.
    delete WindowProfiles::Existing();
    delete WindowConfirm::Existing();
    delete WindowConfirm2::Existing();
    delete Town::Existing();
    delete mEffects;
}

void MenuScreen::OnEnter()
{
    mUpdateCount = 0;
    MusicManager::Instance()->PlayMenuMusic();
    mPanel->Show(false, false);
    mPanel->Show(true, true);
    Town::Instance()->Rebuild();
    SaveCurrentProfile();
    mEffects->clearEffects();
}

void MenuScreen::Update()
{
    BaseScreen::Update();
    Town::Instance()->Update();
    mEffects->processEffects();
    const bool hidden = !mPanel->IsOnScreen();
    if (hidden && sPanelShown && mManager && mManager->mFocusWidget == this) {
        sPanelShown = false;
        mEffects->addEffect(new GfxClickToContinue(400, 595, 5));
    }
    if (hidden)
        ShowRoundHint(false);
    if (!hidden && !sPanelShown) {
        sPanelShown = true;
        mEffects->removeEffectsByName("GfxClickToContinue");
        ShowRoundHint(true);
    }
    if (mUpdateCount % 1200 == 0 && sPanelShown)
        ShowRoundHint(true);
    // Said once, as soon as the menu has the player's attention.
    if (mManager && mManager->mFocusWidget == this)
        TellProfileTroubles();
}

void MenuScreen::TellProfileTroubles()
{
    if (!TakeDamagedProfileCopies().empty())
        ShowMessage(GetStringById("message_profile_damaged"));
    const std::string folder = TakeUnsavedProfilesFolder();
    if (folder.empty())
        return;
    std::string text = GetStringById("message_profile_not_saved");
    if (const size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, folder);
    ShowMessage(text);
}

void MenuScreen::UpdateF(float fraction)
{
    BaseScreen::UpdateF(fraction);
    Town::Instance()->UpdateF(fraction);
    mEffects->updateEffects(fraction);
}

void MenuScreen::Draw(Kivo::Graphics* g)
{
    g->PushState();
    g->SetColorRGBA(100, 100, 100, 255);
    g->FillRect(0, 0, 800, 600);
    g->PopState();
    Town::Instance()->Draw(g);
    if (mManager)
        mManager->QueueOverlay(this, Kivo::OVERLAY_SCREEN);
}

void MenuScreen::DrawOverlay(Kivo::Graphics* g)
{
    mEffects->drawEffects(g);
}

void MenuScreen::MouseDownButton(int, int, int, int)
{
    mPanel->ToggleShown();
}

void MenuScreen::KeyDown(int key)
{
    switch (key) {
    case kKeyF1:
        mPanel->Show(false, true);
        ShowHelpWindow();
        mPanel->Show(true, true);
        break;
    case kKeyEnter:
        Play();
        break;
    case kKeyR:
        if (CheatKeys()) {
            ResetCurrentProfileGame();
            Town::Instance()->Rebuild();
        }
        break;
    case kKeyZ:
        if (CheatKeys())
            LoadSoundsGroup();
        break;
    case kKeyDelete:
        if (CheatKeys() && mStateManager)
            mStateManager->ChangeState(mStateManager->FindState("UpgradeScreen"));
        break;
    default:
        break;
    }
}

void MenuScreen::ButtonDepress(int id)
{
    switch (id) {
    case MAIN_MENU_PLAY:
        Play();
        break;
    case MAIN_MENU_QUIT:
        if (Kivo::gKivoApp)
            Kivo::gKivoApp->Shutdown();
        break;
    case MAIN_MENU_OPTIONS:
        mPanel->Show(false, true);
        ShowOptionsWindow();
        mPanel->Show(true, true);
        break;
    case MAIN_MENU_PROFILES:
        ShowProfiles();
        break;
    default:
        break;
    }
}

void MenuScreen::ShowProfiles()
{
    mPanel->Show(false, true);
    ProfileManager* profiles = ProfileManager::Instance();
    const int slotBefore = profiles->GetCurrentProfileSlot();
    const int result = ShowProfilesWindow();
    const int slotAfter = ProfileManager::Instance()->GetCurrentProfileSlot();
    mPanel->Show(true, true);
    Town::Instance()->Rebuild();
    if (result == 1 || slotAfter != slotBefore)
        AddProfileSwitchEffect();
}

void MenuScreen::Play()
{
    DoEnsureProfile();
    TellProfileTroubles();
    if (!ProfileManager::Instance()->HasProfile()) {
        ShowMessage(GetStringById("window_newprofile_havenopermission"));
        return;
    }
    if (!Town::IsComplete()) {
        LeaveWithFade(new CB_Callback<MenuScreen, void>(this, &MenuScreen::GoToGame));
        return;
    }
    for (const FireworkPlan& plan : PlanFireworks())
        AddFirework(plan);
    VoiceHelper::Instance()->PlayVoiceByName("VOICE_WARNING");
    if (ShowConfirm(GetStringById("message_game_start_again")) == 0)
        return;
    ShowDelay(15);
    if (ShowConfirm2(GetStringById("message_game_start_again2")) != 1)
        return;
    ResetCurrentProfileGame();
    LeaveWithFade(new CB_Callback<MenuScreen, void>(this, &MenuScreen::GoToGame));
}

void MenuScreen::GoToGame()
{
    if (mStateManager)
        mStateManager->ChangeState(mStateManager->FindState("GameScreen"));
}

void MenuScreen::ShowRoundHint(bool on)
{
    mEffects->sendEffectMessage("GfxRoundFly", "kill");
    if (on)
        mEffects->addEffect(new GfxRoundFly(755, 560, 90, 80, 2.0f));
}

bool MenuScreen::DoEnsureProfile()
{
    return EnsureProfile();
}

namespace {

template <class Window>
int AskWindow(const std::string& text)
{
    Window* window = Window::Instance();
    window->mMessage = text;
    return ShowWindowAnimated(window, true);
}

} // namespace

int MenuScreen::ShowConfirm(const std::string& text)
{
    return AskWindow<WindowConfirm>(text);
}

int MenuScreen::ShowConfirm2(const std::string& text)
{
    return AskWindow<WindowConfirm2>(text);
}

void MenuScreen::ShowMessage(const std::string& text)
{
    AskWindow<WindowMessage>(text);
}

int MenuScreen::ShowProfilesWindow()
{
    return ShowWindowAnimated(WindowProfiles::Instance(), true);
}

void MenuScreen::ShowOptionsWindow()
{
    ShowWindowAnimated(WindowOptions::Instance(), true);
}

void MenuScreen::ShowHelpWindow()
{
    ShowWindowAnimated(WindowHelp::Instance(), true);
}

void MenuScreen::ShowDelay(int updates)
{
    ShowDelayWindow(updates);
}

void MenuScreen::AddFirework(const FireworkPlan& plan)
{
    auto* rocket = new GfxFirework(-1);
    rocket->mKind = plan.mVariant;
    mEffects->addEffect(new GfxDelay(plan.mDelay, rocket));
}

void MenuScreen::AddProfileSwitchEffect()
{
    mEffects->addEffect(new GfxPyroSystem("profile_switch", mWidth / 2, mHeight / 2), true);
}
