#pragma once
// The game's image button: state images, an optional pixel-exact hit mask,
// a soft cross-fade between the normal and the pressed look, a glow image
// that follows the mouse, an alpha over everything it draws, an icon, and
// enter and press sounds.
#include "framework/graphics/Color.h"
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/ButtonWidget.h"

namespace Kivo {
class DDImage;
class Image;
} // namespace Kivo

// Glow modes.
enum GlowMode {
    GLOW_UNDER_MOUSE_AWAY = 0, // a normal-mode veil that shows while the mouse is away
    GLOW_ADDITIVE_OVER = 1,    // an additive glow that shows while the mouse is over
};

class ButtonBase : public Kivo::ButtonWidget {
public:
    ButtonBase(int id, Kivo::ButtonListener* listener);
    ~ButtonBase() override = default;

    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;
    void MouseEnter() override;
    void MouseDown(int x, int y, int clickCode) override;
    bool HitTest(int x, int y) override;
    virtual void PlayEnterSound();
    virtual void PlayDownSound();

    // The size of the normal image's cel, at the same position.
    void ResizeToImage();
    // Kept only when it is a display-surface image.
    void SetHitMask(Kivo::Image* image);

    Kivo::Image* mGlowImage = nullptr;
    Kivo::Color mGlowColor = Kivo::Color(0, 0, 0);
    int32_t mGlowStrength = 50; // 0..255
    int32_t mGlowMode = GLOW_UNDER_MOUSE_AWAY;
    float mAlpha = 1.0f;
    Kivo::Image* mIcon = nullptr;
    bool mPressFadeEnabled = false;
    // A started press animation runs to its end before it returns.
    bool mPressFadeHolds = true;
    Kivo::LiveValue mPressFade{0.0f, 0.1f}; // 0 normal look, 1 pressed look
    Kivo::LiveValue mOverFade{0.0f, 0.05f}; // 0 mouse away, 1 mouse over
    Kivo::DDImage* mHitMask = nullptr;

protected:
    // Where the label goes; sets the font on the context.
    void LabelPosition(Kivo::Graphics* g, int* x, int* y);
    void DrawNormalLook(Kivo::Graphics* g, int labelX, int labelY);
    void DrawPressedLook(Kivo::Graphics* g, int labelX, int labelY);
    // The label in colour `colorIndex`; subclasses add shadows or scaling.
    virtual void DrawButtonLabel(Kivo::Graphics* g, int x, int y, int colorIndex);
    // The glow over the button; `alphaScale` is the context's before it.
    virtual void DrawGlow(Kivo::Graphics* g, float alphaScale);
};
