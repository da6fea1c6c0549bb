#include "framework/widgets/DialogButton.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"

namespace Kivo {

DialogButton::DialogButton(Image* componentImage, int id, ButtonListener* listener)
    : ButtonWidget(id, listener), mComponentImage(componentImage)
{
    mDoFinger = true;
    static const int kColors[6][3] = {{255, 255, 255}, {255, 255, 255}, {0, 0, 0},
                                      {255, 255, 255}, {132, 132, 132}, {212, 212, 212}};
    SetColorsRGB(kColors, 6);
}

void DialogButton::Draw(Graphics* g)
{
    if (!mComponentImage) {
        ButtonWidget::Draw(g);
        return;
    }
    if (mNoDraw)
        return;
    if (!mFont)
        mFont = new SysFont("Arial Unicode MS", 12, true);
    const bool downLook = IsButtonDown();
    g->PushState();
    if (downLook)
        g->Translate(mTranslateWhenDownX, mTranslateWhenDownY);
    const Rect box(0, 0, mWidth, mHeight);
    if (mNormalRect.mWidth == 0) {
        g->DrawImageBox(box, mComponentImage);
    } else if (downLook) {
        g->DrawImageBoxSrc(mDownRect, box, mComponentImage);
    } else if (mDisabled && mDisabledRect.mWidth > 0 && mDisabledRect.mHeight > 0) {
        g->DrawImageBoxSrc(mDisabledRect, box, mComponentImage);
    } else {
        DrawOverState(g, [&](bool over) { g->DrawImageBoxSrc(over ? mOverRect : mNormalRect, box, mComponentImage); });
    }
    g->SetFont(mFont);
    const int ascent = mFont->GetAscent();
    DrawLabel(g, mLabelOffsetX + (mWidth - mFont->StringWidth(mLabel)) / 2,
              mLabelOffsetY + (ascent + mHeight - ascent / 6 - mFont->GetAscentPadding() - 1) / 2);
    g->PopState();
}

} // namespace Kivo
