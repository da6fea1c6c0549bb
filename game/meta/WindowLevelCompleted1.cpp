#include "game/meta/WindowLevelCompleted1.h"

#include "framework/core/Random.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/WidgetHost.h"
#include "game/ui/LineWithEffects.h"

#include <numbers>

namespace {

constexpr int kTextBoxWidth = 168;
constexpr int kTextBoxHeight = 60;
constexpr int kTextSpacing = 20;
constexpr int kTextTop = 320;
constexpr float kTextScale = 0.8f;

WindowButton* NewPanelButton(int id, const char* label, Kivo::ButtonListener* listener)
{
    auto* button = new WindowButton(id, listener);
    button->mButtonImage = GetImageById("IMAGE_UI_BUTTON_PANEL");
    button->mDownImage = GetImageById("IMAGE_UI_BUTTON_PANEL_DOWN");
    button->mGlowImage = button->mButtonImage;
    button->ResizeToImage();
    button->mDownOffsetX = 0;
    button->mDownOffsetY = 0;
    button->mLabel = GetStringById(label);
    return button;
}

// The wrapped height of an explanation in its box.
int WrappedHeight(Kivo::Font* font, const std::string& text)
{
    Kivo::Graphics measure;
    measure.SetFont(font);
    return measure.GetWordWrappedHeight(kTextBoxWidth, text, kTextSpacing);
}

void DrawExplanation(Kivo::Graphics* g, const std::string& text, int height, int x)
{
    const int top = kTextTop + (kTextBoxHeight - height) / 2;
    g->PushState();
    g->SetScale(kTextScale, kTextScale, static_cast<float>(x), static_cast<float>(top));
    g->WriteWordWrapped(Kivo::Rect(x, top, kTextBoxWidth, kTextBoxHeight), text, kTextSpacing, 0);
    g->PopState();
}

} // namespace

WindowLevelCompleted1::WindowLevelCompleted1()
    : WindowLevelCompletedBase(nullptr, GetStringById("window_levelcompleted_caption"), kWindowId)
{
    mClip = false;
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    const int screenW = app ? app->GetWidth() : 800;
    const int screenH = app ? app->GetHeight() : 600;
    Resize((screenW - kWidth) / 2, (screenH - kHeight) / 2 - 35, kWidth, kHeight);

    const int x0 = kWidth / 2 - 150;
    mBricks->Resize(x0, 80, 300, 50);
    mBonus->Resize(x0, 130, 300, 50);
    mCombo->Resize(x0, 180, 300, 50);
    mLine->Move(x0 + 50, 230);
    mTotal->Resize(x0, 245, 300, 50);

    mContinueButton = NewPanelButton(0, "window_levelcompleted_button_continue", this);
    mContinueButton->Move((kWidth - mContinueButton->mWidth) / 2 + 120, 380);
    mBonusButton = NewPanelButton(1, "window_levelcompleted_button_playbonus", this);
    mBonusButton->Move((kWidth - mBonusButton->mWidth) / 2 - 120, 380);
    AddWidget(mContinueButton);
    AddWidget(mBonusButton);
}

WindowLevelCompleted1::~WindowLevelCompleted1() = default;

void WindowLevelCompleted1::UpdateF(float fraction)
{
    WindowLevelCompletedBase::UpdateF(fraction);
    mKeyWobble.Update(fraction);
    mTownWobble.Update(fraction);
}

void WindowLevelCompleted1::Draw(Kivo::Graphics* g)
{
    WindowBase::Draw(g); // the caption: there is no background picture
    WindowLevelCompletedBase::Draw(g);

    Kivo::Font* font = GetFontById("FONT_GOLD");
    if (!mTextsMeasured) {
        mTextsMeasured = true;
        mBonusGameText = GetStringById("window_score_bonus_game");
        mBuildTownText = GetStringById("window_score_build_town");
        mBonusGameHeight = WrappedHeight(font, mBonusGameText);
        mBuildTownHeight = WrappedHeight(font, mBuildTownText);
    }
    g->PushState();
    g->SetFont(font);
    g->SetColorRGBA(255, 255, 255, 255);
    DrawExplanation(g, mBonusGameText, mBonusGameHeight, 70);
    DrawExplanation(g, mBuildTownText, mBuildTownHeight, 320);
    g->PopState();

    constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
    if (Kivo::Image* key = GetImageById("IMAGE_UI_ICON_KEY"))
        g->DrawImageRotated(key, 18, kTextTop, mKeyWobble.GetX() * kRadiansPerDegree);
    if (Kivo::Image* town = GetImageById("IMAGE_UI_ICON_TOWN"))
        g->DrawImageRotated(town, 250, kTextTop, mTownWobble.GetX() * kRadiansPerDegree);
}

void WindowLevelCompleted1::PlayHideSound()
{
    PlaySoundById("SOUND_WINDOW_DESK_HIDE");
}

void WindowLevelCompleted1::ButtonDepress(int id)
{
    WindowLevelCompletedBase::ButtonDepress(id);
    if (id == 0 || id == 1)
        CloseOrSkip(id);
}

void WindowLevelCompleted1::ButtonMouseEnter(int id)
{
    // Entering a button sets the icon of what it explains swinging.
    if (id == 1)
        mKeyWobble.AddVelocityX(Kivo::RandomSign() * 50.0f);
    else if (id == 0)
        mTownWobble.AddVelocityX(Kivo::RandomSign() * 50.0f);
}
