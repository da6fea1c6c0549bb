#include "game/meta/WindowArrowHint.h"

#include "framework/core/FastMath.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/WidgetHost.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr float kPi = 3.1415925f;

} // namespace

WindowArrowHintBase::WindowArrowHintBase(Kivo::Image* background, int windowId)
    : WindowBase(background, std::string(), false, windowId), mArrowImage(GetImageById("IMAGE_UI_WINDOW_HINT_ARROW"))
{
    mClip = false;
    mContentInsets = {25, 20, 25, 70};
    mCloseButton = new WindowButton(0, this);
    mCloseButton->mLabel = GetStringById("window_hint_button_close");
    mCloseButton->Move((mWidth - mCloseButton->mWidth) / 2, 155);
    AddWidget(mCloseButton);
}

WindowArrowHintBase::~WindowArrowHintBase()
{
    RemoveAllWidgets(false, false);
    delete mCloseButton;
}

void WindowArrowHintBase::SetTarget(int x, int y, int distance)
{
    mTargetX = x;
    mTargetY = y;
    mArrowDistance = distance;
    mBobPhase = 0;

    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    const int w = app ? app->GetWidth() : 800, h = app ? app->GetHeight() : 600;
    auto squared = [&](int px, int py) {
        const float dx = static_cast<float>(px - x), dy = static_cast<float>(py - y);
        return dx * dx + dy * dy;
    };
    // Toward the farthest corner, the earlier one on a tie; toward the
    // centre when no corner is farther.
    int toX = w / 2, toY = h / 2;
    float best = squared(toX, toY);
    const int corners[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    for (const auto& c : corners) {
        if (float d = squared(c[0], c[1]); d > best) {
            best = d;
            toX = c[0];
            toY = c[1];
        }
    }
    const float dx = static_cast<float>(toX - x), dy = static_cast<float>(toY - y);
    const float length2 = dx * dx + dy * dy;
    const float inv = length2 > 0 ? Kivo::FastInvSqrt(length2) : 0;
    const float nx = dx * inv, ny = dy * inv;
    mArrowAngle = kPi - Kivo::Atan2f(ny, nx);

    const float arrowWidth = mArrowImage ? static_cast<float>(mArrowImage->mWidth) : 0;
    float gap = arrowWidth * (std::fabs(std::cos(mArrowAngle) * 0.5f) + 1.0f);
    // That gap alone leaves the window over its own target and arrow: the
    // window goes at least so far that its edge clears the arrow's far end
    // (10 pixels off the target, its length, 10 of bobbing, the distance).
    const float halfX = std::fabs(nx) > 0 ? static_cast<float>(mWidth / 2) / std::fabs(nx) : 1e9f;
    const float halfY = std::fabs(ny) > 0 ? static_cast<float>(mHeight / 2) / std::fabs(ny) : 1e9f;
    gap = std::max(gap, arrowWidth + 20 + static_cast<float>(distance) + std::min(halfX, halfY));
    int left = static_cast<int>(static_cast<float>(x) + gap * nx) - mWidth / 2;
    int top = static_cast<int>(static_cast<float>(y) + gap * ny) - mHeight / 2;
    left = std::max(left, 0);
    top = std::max(top, 0);
    if (left + mWidth > w)
        left = w - mWidth;
    if (top + mHeight > h)
        top = h - mHeight;
    Move(left, top);
}

void WindowArrowHintBase::Update()
{
    WindowBase::Update();
    if (mVisible)
        mArrowAppear.mSpeed = 0.04f;
    if (mPendingResult != kNoResult) {
        mArrowAppear.SetTarget(0.0f);
        mArrowAppear.mSpeed = 0.1f;
        if (mArrowAppear.mCurrent == 0)
            mResult = mPendingResult;
    }
}

void WindowArrowHintBase::UpdateF(float fraction)
{
    WindowBase::UpdateF(fraction);
    if (mArrowAppear.mCurrent == 1)
        mBobPhase += 0.05f * fraction;
    mArrowAppear.Update(fraction);
}

void WindowArrowHintBase::ButtonDepress(int id)
{
    Kivo::Dialog::ButtonDepress(id);
    if (id == 0)
        mPendingResult = 0;
}

void WindowArrowHintBase::KeyDown(int key)
{
    if (!mVisible)
        return;
    Kivo::Widget::KeyDown(key);
    if (key == kKeyEscape || key == kKeyEnter)
        mPendingResult = 0;
}

void WindowArrowHintBase::PlayShowSound()
{
    PlaySoundById("SOUND_WINDOW_HINT_SHOW");
}

void WindowArrowHintBase::PlayHideSound()
{
    PlaySoundById("SOUND_WINDOW_HINT_HIDE");
}

void WindowArrowHintBase::DrawArrow(Kivo::Graphics* g)
{
    if (!mArrowShown || !mArrowImage)
        return;
    g->PushState();
    g->Translate(-mX, -mY);
    g->SetColorizeImages(true);
    g->SetColorRGBA(255, 255, 255, static_cast<int>(mArrowAppear.mCurrent * 255));
    // Between the target and the window, bobbing along its axis.
    Kivo::Transform t;
    if (mArrowAppear.mCurrent != 1)
        t.Scale(mArrowAppear.mCurrent, mArrowAppear.mCurrent);
    t.Translate(-(static_cast<float>(mArrowImage->mWidth) * 0.5f + 10), 0);
    t.Translate(static_cast<float>(-mArrowDistance), 0);
    t.Translate(10 * std::sin(mBobPhase), 0);
    t.Rotate(mArrowAngle);
    t.Translate(static_cast<float>(mTargetX), static_cast<float>(mTargetY));
    g->DrawImageTransformF(mArrowImage, t, 0, 0);
    g->PopState();
}

void WindowArrowHintBase::DrawHintText(Kivo::Graphics* g, const std::string& text, int top, int height)
{
    g->SetColorizeImages(false);
    g->SetFont(GetFontById("FONT_GOLD"));
    const int left = mContentInsets.mLeft, cw = ContentWidth();
    g->SetColorRGBA(0, 0, 0, 100);
    g->WriteWordWrapped(Kivo::Rect(left + 1, top + 1, cw, height), text, 20, 0);
    g->SetColorRGBA(255, 255, 255, 255);
    g->WriteWordWrapped(Kivo::Rect(left, top, cw, height), text, 20, 0);
}

WindowArrowHint::WindowArrowHint() : WindowArrowHintBase(GetImageById("IMAGE_UI_WINDOW_HINT"), WINDOW_ID_ARROW_HINT) {}

WindowArrowHint::PictureLayout WindowArrowHint::LayOutPicture(int celWidth, int celHeight, int limit,
                                                              int contentWidth, int left, int top)
{
    PictureLayout out;
    // A short window leaves no room (limit 0 or less); an empty cel has no
    // size to scale.
    if (celHeight <= 0 || limit <= 0)
        return out;
    out.drawn = true;
    out.y = top - 20;
    if (celHeight > limit) {
        const float f = static_cast<float>(limit) / static_cast<float>(celHeight);
        const float w = static_cast<float>(celWidth) * f;
        out.width = static_cast<int>(w);
        out.height = static_cast<int>(static_cast<float>(celHeight) * f);
        out.x = static_cast<int>((static_cast<float>(contentWidth) - w) / 2) + left;
        out.taken = out.height - 20;
    } else {
        out.width = celWidth;
        out.height = celHeight;
        out.x = (contentWidth - celWidth) / 2 + left;
        out.taken = celHeight - 20;
    }
    return out;
}

void WindowArrowHint::Draw(Kivo::Graphics* g)
{
    DrawArrow(g);
    WindowBase::Draw(g);
    const Kivo::Insets& in = mContentInsets;
    int taken = 0;
    if (mPicture) {
        const int limit = 2 * ((mHeight - in.mBottom - in.mTop) / 3);
        PictureLayout p = LayOutPicture(mPicture->GetCelWidth(), mPicture->GetCelHeight(), limit, ContentWidth(),
                                        in.mLeft, in.mTop);
        if (p.drawn) {
            g->DrawImageCel(mPicture, Kivo::Rect(p.x, p.y, p.width, p.height), 0);
            taken = p.taken;
        }
    }
    g->SetFont(GetFontById("FONT_GOLD"));
    const int bottom = mHeight - in.mBottom;
    const int h = std::min(g->GetWordWrappedHeight(ContentWidth(), mText, 20), bottom - taken - in.mTop);
    DrawHintText(g, mText, (bottom - in.mTop - h - taken) / 2 + in.mTop + taken, h);
}

WindowArrowHint2::WindowArrowHint2() : WindowArrowHintBase(GetImageById("IMAGE_UI_WINDOW_HINT"), WINDOW_ID_ARROW_HINT2)
{
}

void WindowArrowHint2::Draw(Kivo::Graphics* g)
{
    DrawArrow(g);
    WindowBase::Draw(g);
    const Kivo::Insets& in = mContentInsets;
    g->SetFont(GetFontById("FONT_GOLD"));
    const int h = g->GetWordWrappedHeight(ContentWidth(), mText, 20);
    DrawHintText(g, mText, (mHeight - in.mBottom - in.mTop - h) / 2 + in.mTop, h);
}
