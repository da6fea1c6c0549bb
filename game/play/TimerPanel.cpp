#include "game/play/TimerPanel.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/match/Grid.h"
#include "game/profiles/ProfileManager.h"

#include <algorithm>

TimerPanel::TimerPanel() : mBarImage(GetImageById("IMAGE_FIELD_TIMER_PROGRESS"))
{
    mMouseVisible = false;
    const Grid* grid = Grid::Instance();
    Resize(grid->GetOriginX() + 100, grid->GetOriginY() - 23, mBarImage ? mBarImage->mWidth : 0,
           mBarImage ? mBarImage->mHeight : 0);
}

void TimerPanel::SetTotal(float seconds) { mTotal = seconds; }

void TimerPanel::SetTimeLeft(float seconds) { mTimeLeft = std::clamp(seconds, 0.0f, std::max(mTotal, 0.0f)); }

void TimerPanel::Restart(bool fromEmpty)
{
    mTimeLeft = std::max(mTotal, 0.0f);
    mShown = fromEmpty ? 0.0f : mTimeLeft;
}

void TimerPanel::SetPaused(bool paused)
{
    mEnabled = GetProfileInt("progress_type") != 2;
    mPaused = paused;
}

void TimerPanel::UpdateF(float dt)
{
    if (IsStopped())
        return;
    mTimeLeft = std::max(mTimeLeft - 0.01f * dt, 0.0f);
    if (mTimeLeft < mShown)
        mShown -= 1.5f * dt;
    if (mTimeLeft > mShown)
        mShown += 1.5f * dt;
    if (mShown < 0)
        mShown = 0;
}

int TimerPanel::BarWidth(int imageWidth) const
{
    if (mTotal <= 0 || imageWidth <= 0)
        return 0;
    const float width = static_cast<float>(imageWidth) * mShown / mTotal;
    return std::clamp(static_cast<int>(width), 0, imageWidth);
}

void TimerPanel::Draw(Kivo::Graphics* g)
{
    if (!mEnabled || !mBarImage)
        return;
    const int width = BarWidth(mBarImage->mWidth);
    if (width <= 0)
        return;
    const Kivo::Rect src(0, 0, width, mBarImage->mHeight);
    if (mAlpha == 1.0f) {
        g->DrawImageSrc(mBarImage, 0, 0, src);
        return;
    }
    g->PushState();
    g->SetColorizeImages(true);
    g->SetColorRGBA(255, 255, 255, static_cast<int>(std::clamp(mAlpha, 0.0f, 1.0f) * 255));
    g->DrawImageSrc(mBarImage, 0, 0, src);
    g->PopState();
}
