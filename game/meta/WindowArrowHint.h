#pragma once
// The hint windows: a small bubble next to a point on the screen, on the
// side with the most room, with a bobbing arrow between the bubble and the
// point. The arrow fades in once the window is up and fades out before it
// closes: a button or key only stores the answer, which is given once the
// arrow has gone. WindowArrowHint (113) shows a picture above its text,
// WindowArrowHint2 (114) text only. The answer is 0.
#include "framework/core/Singleton.h"
#include "framework/graphics/LiveValue.h"
#include "game/ui/WindowBase.h"

#include <string>

class WindowArrowHintBase : public WindowBase {
public:
    WindowArrowHintBase(Kivo::Image* background, int windowId);
    ~WindowArrowHintBase() override;

    void Update() override;
    void UpdateF(float fraction) override;
    void KeyDown(int key) override;
    void ButtonDepress(int id) override;
    void PlayShowSound() override;
    void PlayHideSound() override;

    // Points the window at (x, y), `distance` more pixels between the arrow
    // and the point, and places it on the side with the most room.
    void SetTarget(int x, int y, int distance);

    bool mArrowShown = true;
    WindowButton* mCloseButton;
    Kivo::Image* mArrowImage;
    float mBobPhase = 0;
    int32_t mTargetX = 0;
    int32_t mTargetY = 0;
    int32_t mArrowDistance = 0;
    float mArrowAngle = 0;
    Kivo::LiveValue mArrowAppear{1.0f, 0.0f};
    int32_t mPendingResult = kNoResult;

protected:
    void DrawArrow(Kivo::Graphics* g);
    // The hint text word-wrapped and centred in the band from `top` down
    // to `height` pixels, over its shadow.
    void DrawHintText(Kivo::Graphics* g, const std::string& text, int top, int height);
    int ContentWidth() const { return mWidth - mContentInsets.mLeft - mContentInsets.mRight; }
};

class WindowArrowHint : public Singleton<WindowArrowHint>, public WindowArrowHintBase {
public:
    // Where the picture goes: its drawn size and the height it takes from
    // the text, for a cel of celWidth x celHeight in a window content
    // `contentWidth` wide under the limit `limit`. Not drawn when the cel or
    // the limit is empty.
    struct PictureLayout {
        bool drawn = false;
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        int taken = 0;
    };
    static PictureLayout LayOutPicture(int celWidth, int celHeight, int limit, int contentWidth, int left, int top);

    WindowArrowHint();
    void Draw(Kivo::Graphics* g) override;

    std::string mText;
    Kivo::Image* mPicture = nullptr; // not owned
};

class WindowArrowHint2 : public Singleton<WindowArrowHint2>, public WindowArrowHintBase {
public:
    WindowArrowHint2();
    void Draw(Kivo::Graphics* g) override;

    std::string mText;
    int32_t mFlag = 0;
};
