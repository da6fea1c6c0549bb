#include "game/meta/HelpPages.h"

#include "framework/app/KivoAppBase.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/effects/ActionScript.h"
#include "game/effects/ActionScriptManager.h"

namespace {

constexpr int kLineSpacing = 19;
constexpr float kSmallScale = 0.85f;
constexpr float kBoardFactor = 0.75f;
const Kivo::Color kWhite(255, 255, 255);
const Kivo::Color kLightCyan(180, 255, 255);

// Word-wrapped, left-aligned text in `color` over a soft shadow one pixel
// right and down; the height it took.
int DrawShadowedText(Kivo::Graphics* g, const std::string& text, const Kivo::Rect& box, const Kivo::Color& color)
{
    g->SetColorRGBA(0, 0, 0, 64);
    g->WriteWordWrapped(Kivo::Rect(box.mX + 1, box.mY + 1, box.mWidth, box.mHeight), text, kLineSpacing, -1);
    g->SetColor(color);
    return g->WriteWordWrapped(box, text, kLineSpacing, -1);
}

// A rule beside its board: at the small scale about the box's corner, the
// box grown by the inverse so the text still fills it.
void DrawRule(Kivo::Graphics* g, const char* textId, int x, int y)
{
    g->PushState();
    g->SetScale(kSmallScale, kSmallScale, static_cast<float>(x), static_cast<float>(y));
    const Kivo::Color color = g->GetColor();
    DrawShadowedText(g, GetStringById(textId),
                     Kivo::Rect(x, y, static_cast<int>(300 / kSmallScale), static_cast<int>(110 / kSmallScale)),
                     color);
    g->PopState();
}

// Draws the board when its script is loaded; the height it takes on the
// page (0 without a script).
int DrawBoard(Kivo::Graphics* g, ActionScript* script, int x, int y)
{
    if (!script)
        return 0;
    script->DrawAt(g, x, y, kBoardFactor);
    return static_cast<int>(script->mHeight * kBoardFactor);
}

} // namespace

void HelpListBase::DrawCaption(Kivo::Graphics* g, const char* textId, int x)
{
    g->SetFont(GetFontById("FONT_CAPTION"));
    g->SetColor(kWhite);
    const std::string caption = GetStringById(textId);
    g->DrawString(caption, x - g->StringWidth(caption) / 2, mTop + 35);
}

HelpListIntro::HelpListIntro()
{
    ActionScriptManager* scripts = GetActionScriptManager();
    scripts->GetScriptCopy("demo_gameplaychain", mChain);
    scripts->GetScriptCopy("demo_gameplayswap", mSwap);
    scripts->GetScriptCopy("demo_gameplaygroup", mGroup);
}

HelpListIntro::~HelpListIntro()
{
    delete mChain;
    delete mSwap;
    delete mGroup;
}

void HelpListIntro::UpdateF(float dt)
{
    for (ActionScript* script : {mChain, mSwap, mGroup})
        if (script)
            script->Update(dt);
}

void HelpListIntro::Draw(Kivo::Graphics* g)
{
    DrawCaption(g, "window_helppage_intro", mLeft + mWidth / 2);
    g->SetFont(GetFontById("FONT_GOLD"));
    const int textTop = mTop + 70;
    const int h = g->WriteWordWrapped(Kivo::Rect(mLeft, textTop, mWidth, mHeight), GetStringById("hb_intro_text1"),
                                      kLineSpacing, -1);

    const int y1 = textTop + h + 20;
    const int swapHeight = DrawBoard(g, mSwap, mLeft + 20, y1);
    DrawRule(g, "hb_intro_rule_swap", mLeft + 150, textTop + h + 2);

    const int y2 = y1 + 15 + swapHeight;
    const int groupHeight = DrawBoard(g, mGroup, mLeft + 450, y2);
    DrawRule(g, "hb_intro_rule_group", mLeft + 130, y2 - 18);

    const int y3 = y2 + 15 + groupHeight;
    DrawBoard(g, mChain, mLeft + 60, y3);
    DrawRule(g, "hb_intro_rule_chain", mLeft + 190, y3 - 18);
}

void HelpListTips::Draw(Kivo::Graphics* g)
{
    DrawCaption(g, "window_helppage_tips", mLeft + mWidth / 2);
    g->PushState();
    g->SetFont(GetFontById("FONT_GOLD"));
    int y = mTop + 70;
    g->SetScale(kSmallScale, kSmallScale, static_cast<float>(mLeft), static_cast<float>(y));
    const int width = static_cast<int>(mWidth * 1.17647);
    for (int i = 1; i <= 9; ++i) {
        const std::string id = "hb_tips_text" + std::to_string(i);
        y += DrawShadowedText(g, GetStringById(id.c_str()), Kivo::Rect(mLeft, y, width, mHeight),
                              i % 2 ? kWhite : kLightCyan);
    }
    g->PopState();
}

void HelpListCredits::Draw(Kivo::Graphics* g)
{
    DrawCaption(g, "window_helppage_credits", mLeft + mWidth / 2 - 10);
    int y = mTop + 110;
    if (Kivo::Image* logo = GetImageById("IMAGE_UI_OLVANE_LOGO")) {
        g->DrawImage(logo, mLeft + mWidth / 2 - logo->mWidth / 2, y);
        y += logo->mHeight;
    }
    y += 25;
    const int hideLinks = Kivo::gKivoApp ? Kivo::gKivoApp->GetInteger("hide_links", 0) : 0;
    g->SetFont(GetFontById("FONT_GOLD"));
    if (hideLinks < 2) {
        const int h = g->WriteWordWrapped(Kivo::Rect(mLeft, y, mWidth, mHeight), GetStringById("hb_olvane_annotation"),
                                          kLineSpacing, 0);
        y += h - 4;
    }
    if (hideLinks == 0)
        g->WriteWordWrapped(Kivo::Rect(mLeft, y, mWidth, mHeight), GetStringById("hb_olvane_site"), kLineSpacing, 0);
}
