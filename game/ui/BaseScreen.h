#pragma once
// The common screen: a full-window widget that is also a state. Entering
// adds it to the widget tree, focuses it and fades it in; leaving with a
// fade darkens the screen first and then runs the stored call that the
// screen was given (usually the switch to another state).
#include "framework/widgets/Widget.h"
#include "game/ui/GameStateManager.h"

class baseCallback;

class BaseScreen : public Kivo::Widget, public GameState {
public:
    BaseScreen();
    // Deletes a stored call that never ran.
    ~BaseScreen() override;

    void Enter() override;
    // Runs the stored call of a finished fade-out, then leaves the screen:
    // OnLeave and removal from the tree. A stored call that leaves this
    // screen itself (a state change) does the leaving inside the call.
    void Leave() override;

    virtual void OnEnter() {}
    virtual void OnLeave() {}
    // Fades out, then leaves and runs the call. While a fade-out runs or
    // the application shuts down, the call is deleted unrun.
    virtual void LeaveWithFade(baseCallback* call);
    // The fade-in takes no call: one given is deleted unrun.
    virtual void StartFadeIn(baseCallback* call);
    virtual void StartFadeOut(baseCallback* call);

    void CallLeave() { Leave(); }

    bool mClosing = false;
    bool mLeft = false;
    baseCallback* mPendingCall = nullptr;
    // The manager the screen is registered with, through which it changes
    // state; set by whoever registers it.
    GameStateListener* mStateManager = nullptr;
};
