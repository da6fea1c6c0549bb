#pragma once
// The transparent full-screen widget round the board: four arrows that turn
// the board a quarter (ids 2 right, 3 left; large at the top, small at the
// bottom) and three mode buttons below it (ids 4 swap, 5 group, 6 chain),
// the current game type's highlighted. It fades in and out as a whole; the
// frame picture is drawn by the game screen through DrawFrame so that it
// lies in the board's layers.
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"
#include "game/ui/ButtonBase.h"

namespace Kivo {
class ButtonListener;
class Image;
} // namespace Kivo

class ButtonRotate : public ButtonBase {
public:
    ButtonRotate(int id, Kivo::ButtonListener* listener, bool left, const char* image, const char* downImage);

    void PlayEnterSound() override;
    void PlayDownSound() override;

    bool mLeft;
};

class ButtonGameMode : public ButtonBase {
public:
    ButtonGameMode(int id, Kivo::ButtonListener* listener, const char* image, const char* downImage);

    void Update() override;
    void UpdateF(float dt) override;
    void Draw(Kivo::Graphics* g) override;
    void PlayEnterSound() override;
    void PlayDownSound() override;

    void SetSelected(bool selected, bool animate);

    bool mSelected = false;
    Kivo::LiveValue mHighlight{0.0f, 0.04f};
    Kivo::Image* mHighlightImage = nullptr;
};

class FieldFrame : public Kivo::Widget {
public:
    explicit FieldFrame(Kivo::ButtonListener* listener);
    ~FieldFrame() override;

    void Update() override;
    void UpdateF(float dt) override;

    void Reset();
    void Show(bool show, bool animate);
    void DrawFrame(Kivo::Graphics* g);
    // The mode button of a game type (1 swap, 2 group, 3 chain); null else.
    ButtonGameMode* ModeButton(int gameType) const;

    Kivo::LiveValue mAlpha{1.0f, 0.04f};
    ButtonRotate* mRightLarge;
    ButtonRotate* mLeftLarge;
    ButtonRotate* mRightSmall;
    ButtonRotate* mLeftSmall;
    ButtonGameMode* mSwap;
    ButtonGameMode* mChain;
    ButtonGameMode* mGroup;
    bool mTimed = true;

private:
    void SetButtonsAlpha(float alpha);
    ButtonBase* Buttons(int i) const;

    Kivo::Image* mFrameImage = nullptr;
    Kivo::Image* mNoTimeImage = nullptr;
    bool mImagesRead = false;
    int mFrameX = 0, mFrameY = 0, mNoTimeX = 0, mNoTimeY = 0;
};
