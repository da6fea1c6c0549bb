#pragma once
// A push button that draws itself as a framed rectangle in its colour table
// or from images (or source rectangles of its button image), with an over
// look that can fade in and out, and reports to its listener by id.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Rect.h"
#include "framework/widgets/Widget.h"

#include <string>

namespace Kivo {

class ButtonListener;
class Font;
class Image;

// Rows of a button's colour table.
enum ButtonColor {
    BUTTON_COLOR_LABEL = 0,
    BUTTON_COLOR_LABEL_OVER = 1,
    BUTTON_COLOR_DARK_FRAME = 2,
    BUTTON_COLOR_LIGHT_FRAME = 3,
    BUTTON_COLOR_INNER_SHADOW = 4,
    BUTTON_COLOR_BACKGROUND = 5,
};

class ButtonWidget : public Widget {
public:
    ButtonWidget(int id, ButtonListener* listener);
    ~ButtonWidget() override;

    void Update() override;
    void Draw(Graphics* g) override;
    void SetDisabled(bool disabled) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(int x, int y) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void MouseUpButton(int x, int y, int button, int clickCount) override;
    // `image` whole at (x, y); with a source rectangle set, that part of the
    // button image instead.
    virtual void DrawButtonImage(Graphics* g, Image* image, const Rect& rect, int x, int y);
    // Keeps a copy of the font.
    virtual void SetFont(Font* font);
    virtual bool IsButtonDown();

    int32_t mId;
    std::string mLabel;
    int32_t mLabelJustify = 0; // 0 centred, 1 right, any other left
    int32_t mLabelOffsetX = 0;
    int32_t mLabelOffsetY = 0;
    int32_t mDownOffsetX = 1; // the label moves by this while pressed
    int32_t mDownOffsetY = 1;
    Font* mFont = nullptr;
    Image* mButtonImage = nullptr;
    Image* mOverImage = nullptr;
    Image* mDownImage = nullptr;
    Image* mDisabledImage = nullptr;
    // Parts of mButtonImage; a width of 0 means not set.
    Rect mNormalRect;
    Rect mOverRect;
    Rect mDownRect;
    Rect mDisabledRect;
    bool mInverted = false; // the pressed and released looks swap
    bool mNoDraw = false;
    bool mFrameNoDraw = false; // the framed look draws no background and frame
    ButtonListener* mListener;
    double mOverAlpha = 0;
    double mOverAlphaFadeOutSpeed = 0;
    double mOverAlphaFadeInSpeed = 0;

protected:
    bool HasOverLook() const { return mOverImage || mOverRect.mWidth != 0; }
    bool HasNormalLook() const { return mButtonImage || mNormalRect.mWidth != 0; }
    bool HasDisabledLook() const { return mDisabledImage || mDisabledRect.mWidth != 0; }
    // Whether entering or leaving changes nothing that is drawn.
    bool OverLooksTheSame();
    // The normal or over look by mOverAlpha and mIsOver, through
    // `draw(over)`; a partly faded-in over look is drawn tinted.
    template <class DrawLook>
    void DrawOverState(Graphics* g, DrawLook draw);
    // The label at its place, moved by (dx, dy), in the over or plain colour.
    void DrawLabel(Graphics* g, int x, int y);

private:
    void DrawFramed(Graphics* g, bool downLook, int labelX, int labelY);
    void DrawImages(Graphics* g, bool downLook, int labelX, int labelY);
};

template <class DrawLook>
void ButtonWidget::DrawOverState(Graphics* g, DrawLook draw)
{
    if (mOverAlpha > 0 && HasOverLook()) {
        if (mOverAlpha < 1 && HasNormalLook())
            draw(false);
        Color tint(255, 255, 255);
        tint.mAlpha = static_cast<int>(mOverAlpha * 255);
        g->PushState();
        g->SetColorizeImages(true);
        g->SetColor(tint);
        draw(true);
        g->PopState();
    } else if ((mIsOver || mIsDown) && HasOverLook()) {
        draw(true);
    } else if (HasNormalLook()) {
        draw(false);
    }
}

} // namespace Kivo
