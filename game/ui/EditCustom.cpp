#include "game/ui/EditCustom.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"

namespace {
constexpr int kMaxNameChars = 25;
constexpr int kTextShift = 8;
} // namespace

EditCustom::EditCustom(int id, Kivo::EditListener* listener) : Kivo::EditWidget(id, listener)
{
    mClip = false;
    SetFont(GetFontById("FONT_GOLD"));
    mMaxChars = kMaxNameChars;
    static const int kColors[5][4] = {
        {0, 0, 0, 0}, {0, 0, 0, 0}, {242, 255, 133, 255}, {242, 255, 133, 255}, {0, 0, 0, 80}};
    SetColorsRGBA(kColors, 5);
    mBackground = GetImageById("IMAGE_UI_PROFILE_SLOT");
    if (mBackground)
        Resize(mX, mY, mBackground->mWidth, mBackground->mHeight);
}

void EditCustom::Draw(Kivo::Graphics* g)
{
    if (mBackground)
        g->DrawImage(mBackground, 0, 0);
    g->Translate(kTextShift, 0);
    Kivo::EditWidget::Draw(g);
    g->Translate(-kTextShift, 0);
}

void EditCustom::ProcessKey(int key, char c)
{
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    Kivo::EditWidget::ProcessKey(key, c);
}
