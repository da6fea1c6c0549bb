#include "game/ui/UpgradeScorePanel.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/WidgetHost.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/PanelSlide.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {
constexpr uint32_t kScorePollSteps = 20;
constexpr float kMinScoreSpeed = 1.5f;

int AppWidth() { return Kivo::GetWidgetHost()->GetWidth(); }
} // namespace

UpgradeScorePanel::UpgradeScorePanel() : mImage(GetImageById("IMAGE_UI_UPGRADE_PANEL_SCORE_PANEL"))
{
    if (mImage)
        Resize(mX, mY, mImage->mWidth, mImage->mHeight);
}

void UpgradeScorePanel::Move(int x, int y)
{
    Kivo::Widget::Move(x, y);
    mHomeX = x;
}

void UpgradeScorePanel::Show(bool show, bool animate)
{
    mSlide.SetTarget(show ? 0.0f : 1.0f);
    if (!animate) {
        mSlide.mCurrent = mSlide.mTarget;
        Kivo::Widget::Move(show ? mHomeX : AppWidth() + mWidth, mY);
    }
}

void UpgradeScorePanel::Update()
{
    Kivo::Widget::Update();
    if (mUpdateCount % kScorePollSteps != 0)
        return;
    mScore.SetTargetInt(GetProfileInt("score_total"));
    mScore.mSpeed = std::max(std::fabs(mScore.mTarget - mScore.mCurrent) / kScorePollSteps, kMinScoreSpeed);
}

void UpgradeScorePanel::UpdateF(float fraction)
{
    mScore.Update(fraction);
    int x;
    if (AdvanceSlide(mSlide, fraction, mHomeX, mWidth, AppWidth() + mWidth, &x))
        Kivo::Widget::Move(x, mY);
}

void UpgradeScorePanel::Draw(Kivo::Graphics* g)
{
    g->PushState();
    if (mImage)
        g->DrawImage(mImage, 0, 0);
    if (Kivo::Font* font = GetFontById("FONT_GOLD")) {
        g->SetFont(font);
        g->SetScale(0.8f, 0.8f, 37, 28);
        const std::string number = std::to_string(static_cast<int>(mScore.mCurrent));
        g->SetColor(Kivo::Color(0, 0, 0));
        g->DrawString(number, 37, 28);
        g->SetColor(Kivo::Color(255, 255, 255));
        g->DrawString(number, 36, 27);
    }
    g->PopState();
}
