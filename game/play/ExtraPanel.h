#pragma once
// The offer at the top right of the game screen: make three matches of one
// colour within 20 seconds to win a bonus. Hidden, then offered (it slides
// in), active once settled (the time runs and matches count), then won or
// expired, slides out and is reset once hidden.
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"
#include "game/effects/GfxManager.h"

#include <string>

namespace Kivo {
class Image;
}
class ExtraPanelListener;

class ExtraPanel : public Kivo::Widget {
public:
    static constexpr int kMatches = 3;

    explicit ExtraPanel(ExtraPanelListener* listener);

    void Update() override;
    void UpdateF(float dt) override;
    void Draw(Kivo::Graphics* g) override;

    // Set mColour and mBonusKind first; a show without an offer hides.
    void Show(bool show, bool animate);
    // Shown and settled.
    bool IsActive() const;
    // Not hidden: shown, settling or sliding.
    bool IsShown() const { return mSlide.mCurrent != 1.0f || mSlide.mTarget != 1.0f; }
    // A group of this colour was removed.
    void OnMatch(int colour);
    void Reset();
    // The caption's text id for the matches left (clamped to 1..3).
    static const char* CaptionId(int matchesLeft);

    int32_t mColour = 0;    // 1..10; 0 no offer
    int32_t mBonusKind = -1; // -1 none
    int32_t mHomeX = 0;
    Kivo::LiveValue mSlide{1.0f, 0.02f}; // 0 shown, 1 hidden
    Kivo::LiveValue mTimeout{20.0f, 0.01f};
    bool mExpired = false;
    int32_t mMatchesLeft = kMatches;
    Kivo::Image* mBrickImage = nullptr;
    Kivo::Image* mBonusIcon = nullptr;
    ExtraPanelListener* mListener;
    GfxManager mEffects;
    Kivo::Image* mBackground = nullptr;
    Kivo::Image* mProgressImage = nullptr;
    Kivo::Image* mProgressFill = nullptr;
    std::string mCaptions[3];
    std::string mToGetBonus;
    bool mTextsRead = false;
};
