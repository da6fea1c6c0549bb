#pragma once
// The menu: the player's town as the backdrop, the main menu panel sliding
// in from below with play, quit, options and profiles, and a few effects
// above it. Play makes sure a profile exists and goes to the game; once the
// town is complete it celebrates and asks twice before starting over.
#include "framework/widgets/ButtonListener.h"
#include "game/ui/BaseScreen.h"

#include <string>
#include <vector>

class GfxManager;
class MainMenuPanel;

// One rocket of the celebration: when it starts and how it bursts.
struct FireworkPlan {
    float mDelay;
    int mVariant;
};
// 10 to 15 rockets, each 0.2 to 0.6 s after the one before (the first
// after 0.5 s), bursting as variant 0, 1 or 2, at most one of them 2. Uses
// the game's random sequence.
std::vector<FireworkPlan> PlanFireworks();

class MenuScreen : public BaseScreen, public Kivo::ButtonListener {
public:
    MenuScreen();
    ~MenuScreen() override;

    void Update() override;
    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;
    void DrawOverlay(Kivo::Graphics* g) override;
    void KeyDown(int key) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void OnEnter() override;
    void ButtonDepress(int id) override;

    void Play();
    void GoToGame();
    // What the profile store found wrong since it was last said: a damaged
    // player's file kept aside, a folder that takes no player's file.
    void TellProfileTroubles();
    void ShowRoundHint(bool on);
    // The profiles button: the window, then a "profile_switch" burst when
    // the player confirmed or the slot changed.
    void ShowProfiles();

    // The windows and effects the menu shows. Virtual so that the flow can
    // be driven without them.
    virtual bool DoEnsureProfile();
    virtual int ShowConfirm(const std::string& text);
    virtual int ShowConfirm2(const std::string& text);
    virtual void ShowMessage(const std::string& text);
    virtual int ShowProfilesWindow();
    virtual void ShowOptionsWindow();
    virtual void ShowHelpWindow();
    virtual void ShowDelay(int updates);
    virtual void AddFirework(const FireworkPlan& plan);
    virtual void AddProfileSwitchEffect();

    MainMenuPanel* mPanel;
    GfxManager* mEffects;
    // Whether the panel was last seen shown or moving, shared by all menus.
    static inline bool sPanelShown = false;
};
