#include "game/effects/GfxShowScore.h"

#include "framework/core/FastMath.h"
#include "framework/core/Strings.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/effects/GfxFlyText.h"

#include <algorithm>
#include <numbers>

GfxShowScore::GfxShowScore(int x, int y, int score, const std::string& label)
    : mX(x), mY(y), mScoreText(Kivo::StrFormat("+%d", score)), mLabel(label)
{
}

void GfxShowScore::update(float frac) { mSink += frac / 3; }

int GfxShowScore::process() { return ++mSteps >= 200 ? -1 : 0; }

void GfxShowScore::draw(Kivo::Graphics* g)
{
    Kivo::Font* const font = GetFontById("FONT_BOARD");
    if (!font)
        return;
    const float fade = Kivo::FastSin(std::numbers::pi_v<float> * static_cast<float>(mSteps) / 200);
    const int alpha = std::clamp(static_cast<int>(fade * 255), 0, 255);
    const float x = static_cast<float>(mX);
    const float y = static_cast<float>(mY) + mSink;
    g->PushState();
    g->SetFont(font);
    g->SetColorRGBA(255, 255, 255, alpha);
    DrawCentredText(g, mScoreText, x, y, 2);
    g->SetScale(0.8f, 0.8f, x, y - 20);
    DrawCentredText(g, mLabel, x, y - 20, 2);
    g->PopState();
}
