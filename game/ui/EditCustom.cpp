#include "game/ui/EditCustom.h"

#include "framework/graphics/Font.h"
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

char EditCustom::TypedChar(char c)
{
    const auto code = static_cast<unsigned char>(c);
    int capital = code;
    if (code >= 'a' && code <= 'z')
        return static_cast<char>(code - 'a' + 'A');
    if (code >= 0xE0 && code <= 0xFE && code != 0xF7)
        capital = code - 0x20;
    else if (code == 0x9A || code == 0x9C || code == 0x9E)
        capital = code - 0x10;
    else if (code == 0xFF)
        capital = 0x9F;
    if (capital == code || (mFont && mFont->CharWidth(static_cast<char>(capital)) < 1))
        return c;
    return static_cast<char>(capital);
}

void EditCustom::ProcessKey(int key, char c)
{
    Kivo::EditWidget::ProcessKey(key, TypedChar(c));
}
