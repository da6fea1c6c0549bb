#pragma once
// The pages of the help book: plain drawables in the help window's
// coordinates, each with its caption and content inside its page box.
#include <string>

namespace Kivo {
class Graphics;
}
class ActionScript;

class HelpListBase {
public:
    HelpListBase() = default;
    HelpListBase(const HelpListBase&) = delete;
    HelpListBase& operator=(const HelpListBase&) = delete;
    virtual ~HelpListBase() = default;

    virtual void UpdateF(float) {}
    virtual void Draw(Kivo::Graphics*) {}

    int mTop = 45;
    int mLeft = 70;
    int mWidth = 610;
    int mHeight = 370;

protected:
    // The page caption in "FONT_CAPTION", white, centred on x, baseline
    // mTop + 35.
    void DrawCaption(Kivo::Graphics* g, const char* textId, int x);
};

// The rules with three animated demonstration boards (swap, group, chain).
class HelpListIntro : public HelpListBase {
public:
    HelpListIntro();
    ~HelpListIntro() override;

    void UpdateF(float dt) override;
    void Draw(Kivo::Graphics* g) override;

    // Owned copies; null when the script is not loaded.
    ActionScript* mChain = nullptr;
    ActionScript* mSwap = nullptr;
    ActionScript* mGroup = nullptr;
};

// Nine tips in alternating colours.
class HelpListTips : public HelpListBase {
public:
    void Draw(Kivo::Graphics* g) override;
};

// The maker's logo and, unless the setting "hide_links" says otherwise, an
// annotation and the site.
class HelpListCredits : public HelpListBase {
public:
    void Draw(Kivo::Graphics* g) override;
};
