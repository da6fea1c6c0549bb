#include "game/play/ScorePanel.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/PanelSlide.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {
constexpr uint32_t kPollSteps = 50;
constexpr float kCountSteps = 40.0f;
constexpr float kMinSpeed = 0.3f;

void DrawCentred(Kivo::Graphics* g, const std::string& text, int x, int y)
{
    g->DrawString(text, x - g->StringWidth(text) / 2, y);
}

// Centred at (x, y) with a grey shadow one pixel right and down.
void DrawCentredShadowed(Kivo::Graphics* g, const std::string& text, int x, int y)
{
    const int left = x - g->StringWidth(text) / 2;
    const Kivo::Color color = g->GetColor();
    g->SetColor(Kivo::Color(80, 80, 80));
    g->DrawString(text, left + 1, y + 1);
    g->SetColor(color);
    g->DrawString(text, left, y);
}
} // namespace

ScorePanel::ScorePanel() : mImage(GetImageById("IMAGE_FIELD_SCORE_PANEL"))
{
    mMouseVisible = false;
    Resize(0, mHomeY, mImage ? mImage->mWidth : 0, mImage ? mImage->mHeight : 0);
}

int ScorePanel::ProfileSum()
{
    return GetProfileInt("score_total") + GetProfileInt("score_level_bricks") + GetProfileInt("score_level_bonus") +
           GetProfileInt("score_level_combo");
}

void ScorePanel::Show(bool show, bool animate)
{
    mSlide.SetTarget(show ? 0.0f : 1.0f);
    if (animate)
        return;
    mSlide.mCurrent = mSlide.mTarget;
    Move(mX, show ? mHomeY : -mHeight);
    mLevel = GetProfileInt("game_current_level") + 1;
}

void ScorePanel::Update()
{
    Kivo::Widget::Update();
    if (mUpdateCount % kPollSteps != 0)
        return;
    mScore.SetTargetInt(ProfileSum());
    mScore.mSpeed = std::max(std::fabs(mScore.mTarget - mScore.mCurrent) / kCountSteps, kMinSpeed);
}

void ScorePanel::UpdateF(float dt)
{
    mSlide.Update(dt);
    mScore.Update(dt);
    if (mSlide.IsMoving())
        Move(mX, mHomeY - SlideOffset(mHeight + mHomeY, mSlide.mCurrent));
    else if (mSlide.JustStopped() && mSlide.mCurrent == 0)
        Move(mX, mHomeY);
    else if (mSlide.JustStopped() && mSlide.mCurrent == 1)
        Move(mX, -mHeight);
}

void ScorePanel::Draw(Kivo::Graphics* g)
{
    if (!mCaptionsRead) {
        mLevelCaption = GetStringById("info_panel_level");
        mPointsCaption = GetStringById("info_panel_points");
        mCaptionsRead = true;
    }
    if (mImage)
        g->DrawImage(mImage, 0, 0);
    Kivo::Font* font = GetFontById("FONT_GOLD");
    if (!font)
        return;
    g->PushState();
    g->SetFont(font);
    g->SetColor(Kivo::Color(255, 255, 255));
    g->PushState();
    g->SetScale(0.8f, 0.8f, 59, 38);
    DrawCentredShadowed(g, mLevelCaption, 59, 38);
    g->PopState();
    DrawCentred(g, std::to_string(mLevel), 57, 60);
    g->PushState();
    g->SetScale(0.8f, 0.8f, 57, 91);
    DrawCentredShadowed(g, mPointsCaption, 57, 91);
    g->PopState();
    DrawCentred(g, std::to_string(ShownPoints()), 57, 112);
    g->PopState();
}
