#include "game/play/ExtraPanel.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/match/BrickHelper.h"
#include "game/play/ExtraPanelListener.h"
#include "game/play/GameScreenEffects.h"
#include "game/ui/PanelSlide.h"

#include <algorithm>

namespace {
constexpr int kHiddenX = 800;
constexpr int kRightEdge = 795;
constexpr int kTop = 5;
constexpr float kTimeout = 20.0f;

// Centred at (cx, y), shrunk to fit `maxWidth`.
void DrawFittedCentred(Kivo::Graphics* g, const std::string& text, int maxWidth, int cx, int y)
{
    const int width = g->StringWidth(text);
    const float s = width > 0 ? std::min(1.0f, static_cast<float>(maxWidth) / static_cast<float>(width)) : 1.0f;
    g->PushState();
    g->SetScale(s, s, static_cast<float>(cx), static_cast<float>(y));
    g->DrawString(text, cx - width / 2, y);
    g->PopState();
}
} // namespace

ExtraPanel::ExtraPanel(ExtraPanelListener* listener) : mListener(listener)
{
    mMouseVisible = false;
    mBackground = GetImageById("IMAGE_UI_EXTRA_PANEL");
    mProgressImage = GetImageById("IMAGE_UI_EXTRA_PANEL_PROGRESS");
    mProgressFill = GetImageById("IMAGE_UI_EXTRA_PANEL_PROGRESS_FILL");
    const int width = mBackground ? mBackground->mWidth : 0;
    mHomeX = kRightEdge - width;
    Resize(kHiddenX, kTop, width, mBackground ? mBackground->mHeight : 0);
    mSlide.mCurrent = 1.0f;
    Reset();
}

const char* ExtraPanel::CaptionId(int matchesLeft)
{
    static const char* const kIds[3] = {"game_extra_panel_makematch1", "game_extra_panel_makematch2",
                                        "game_extra_panel_makematch3"};
    return kIds[std::clamp(matchesLeft - 1, 0, 2)];
}

void ExtraPanel::Reset()
{
    mColour = 0;
    mBrickImage = nullptr;
    mBonusIcon = nullptr;
    mBonusKind = -1;
    mMatchesLeft = kMatches;
    mExpired = false;
    mTimeout.mCurrent = 0;
    mTimeout.mPrevious = 0;
    mTimeout.mSpeed = 0.01f;
    mTimeout.SetTarget(kTimeout);
}

void ExtraPanel::Show(bool show, bool animate)
{
    const bool offer = show && mColour >= 1 && mBonusKind >= 0;
    if (offer) {
        mBrickImage = BrickHelper::Instance()->GetBrickImage(mColour);
        mBonusIcon = GetBonusBrickImage(mBonusKind);
    }
    mSlide.SetTarget(offer ? 0.0f : 1.0f);
    if (!animate) {
        mSlide.mCurrent = mSlide.mTarget;
        mSlide.mPrevious = mSlide.mCurrent;
        Move(offer ? mHomeX : kHiddenX, mY);
        if (!offer && mExpired)
            Reset();
    } else if (offer) {
        AddEmitter(mEffects, "bonus_extrapanel_show", static_cast<float>(mWidth / 2), static_cast<float>(mHeight / 2));
    }
}

bool ExtraPanel::IsActive() const { return mSlide.mCurrent != 1.0f && !mSlide.IsMoving(); }

void ExtraPanel::OnMatch(int colour)
{
    if (!IsActive() || mExpired || mColour == 0)
        return;
    if (colour == mColour) {
        --mMatchesLeft;
        AddEmitter(mEffects, "bonus_extrapanel_match", static_cast<float>(mWidth / 2), 35);
        PlaySoundById("SOUND_EXPLODE_FOR_EXTRABONUS");
    }
    if (mMatchesLeft <= 0) {
        mExpired = true;
        Show(false, true);
        AddEmitter(mEffects, "bonus_extrapanel", 30, 87);
        if (mListener)
            mListener->ExtraBonusWon(mBonusKind);
    }
}

void ExtraPanel::Update()
{
    Kivo::Widget::Update();
    mEffects.processEffects();
}

void ExtraPanel::UpdateF(float dt)
{
    mEffects.updateEffects(dt);
    mSlide.Update(dt);
    if (mSlide.mCurrent != 1.0f && !mSlide.IsMoving()) {
        mTimeout.Update(dt);
        if (mTimeout.JustStopped() && mTimeout.mCurrent == mTimeout.mTarget) {
            mExpired = true;
            Show(false, true);
        }
    }
    if (mSlide.IsMoving()) {
        Move(mHomeX + SlideOffset(kHiddenX - mHomeX, mSlide.mCurrent), mY);
    } else if (mSlide.JustStopped()) {
        if (mSlide.mCurrent == 0) {
            Move(mHomeX, mY);
        } else if (mSlide.mCurrent == 1) {
            Move(kHiddenX, mY);
            if (mExpired)
                Reset();
        }
    }
}

void ExtraPanel::Draw(Kivo::Graphics* g)
{
    if (!mTextsRead) {
        for (int i = 0; i < 3; ++i)
            mCaptions[i] = GetStringById(CaptionId(i + 1));
        mToGetBonus = GetStringById("game_extra_panel_togetbonus");
        mTextsRead = true;
    }
    if (mBackground)
        g->DrawImage(mBackground, 0, 0);
    if (mBrickImage && mBonusIcon) {
        const int width = mWidth;
        g->PushState();
        if (Kivo::Font* font = GetFontById("FONT_GOLD")) {
            g->SetFont(font);
            g->SetColor(Kivo::Color(255, 255, 255));
            DrawFittedCentred(g, mCaptions[std::clamp(mMatchesLeft - 1, 0, 2)], width - 15, (width + 5) / 2, 20);
            DrawFittedCentred(g, mToGetBonus, width - 15, (width + 5) / 2, 64);
        }
        g->PopState();

        const int n = std::max(mMatchesLeft, 0);
        const Kivo::Rect brickCel = mBrickImage->GetCelRect(0);
        for (int i = 0; i < n; ++i) {
            Kivo::Transform t;
            t.Scale(0.6f, 0.6f);
            const int x = width / 2 + (n % 2 == 0 ? 15 : 0) + (i - n / 2) * 30;
            t.Translate(static_cast<float>(x), 35);
            g->DrawImageTransformSrc(mBrickImage, t, brickCel, 0, 0);
        }
        Kivo::Transform iconTransform;
        iconTransform.Scale(0.6f, 0.6f);
        iconTransform.Translate(30, 87);
        g->DrawImageTransformSrc(mBonusIcon, iconTransform, mBonusIcon->GetCelRect(0), 0, 0);

        if (mProgressImage) {
            const int px = (width - mProgressImage->mWidth) / 2 + 20;
            const int py = mHeight - mProgressImage->mHeight - 12;
            g->DrawImage(mProgressImage, px, py);
            const float left = mTimeout.mTarget > 0 ? 1.0f - mTimeout.mCurrent / mTimeout.mTarget : 0.0f;
            const int filled = static_cast<int>(left * static_cast<float>(mProgressImage->mWidth));
            if (filled > 0 && mProgressFill)
                g->DrawImageSrc(mProgressFill, px, py,
                                Kivo::Rect(0, 0, std::min(filled, mProgressFill->mWidth), mProgressFill->mHeight));
        }
    }
    mEffects.drawEffects(g);
}
