#include "game/ui/MainMenuPanel.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/WidgetHost.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/ButtonBase.h"
#include "game/ui/PanelSlide.h"

namespace {

constexpr int kGreetingY = 110;
constexpr int kGreetingWidth = 230;

int AppHeight() { return Kivo::GetWidgetHost()->GetHeight(); }

void Label(ButtonBase* button, const char* textId)
{
    button->mLabel = GetStringById(textId);
    button->SetFont(GetFontById("FONT_GOLD"));
    button->SetColor(Kivo::BUTTON_COLOR_LABEL, Kivo::Color(255, 255, 255));
    button->SetColor(Kivo::BUTTON_COLOR_LABEL_OVER, Kivo::Color(255, 255, 255));
}

} // namespace

MainMenuPanel::MainMenuPanel(Kivo::ButtonListener* listener) : mBackground(GetImageById("UI_MAIN_BACKGROUND"))
{
    const int width = mBackground ? mBackground->mWidth : 0, height = mBackground ? mBackground->mHeight : 0;
    Resize(0, AppHeight() - height, width, height);
    mHomeY = mY;
    mGreenButton = NewPanelButton(MAIN_MENU_PLAY, listener, "UI_MAIN_BUTTON_GREEN", "UI_MAIN_BUTTON_GREEN_DOWN", 702, 36);
    mRedButton = NewPanelButton(MAIN_MENU_QUIT, listener, "UI_MAIN_BUTTON_RED", "UI_MAIN_BUTTON_RED_DOWN", 0, 35);
    mRightButton =
        NewPanelButton(MAIN_MENU_PROFILES, listener, "UI_MAIN_BUTTON_RIGHT", "UI_MAIN_BUTTON_RIGHT_DOWN", 539, 73);
    Label(mRightButton, "main_panel_button_profiles");
    mLeftButton = NewPanelButton(MAIN_MENU_OPTIONS, listener, "UI_MAIN_BUTTON_LEFT", "UI_MAIN_BUTTON_LEFT_DOWN", 120, 73);
    Label(mLeftButton, "main_panel_button_options");
    for (ButtonBase* button : {mGreenButton, mRedButton, mRightButton, mLeftButton})
        AddWidget(button);
}

MainMenuPanel::~MainMenuPanel() { RemoveAllWidgets(true); }

void MainMenuPanel::Show(bool show, bool animate)
{
    mSlide.SetTarget(show ? 0.0f : 1.0f);
    if (!animate) {
        mSlide.mCurrent = mSlide.mTarget;
        Move(mX, show ? mHomeY : AppHeight() + mHeight);
    }
}

void MainMenuPanel::ToggleShown() { mSlide.SetTarget(mSlide.mTarget != 1.0f ? 1.0f : 0.0f); }

bool MainMenuPanel::IsOnScreen() { return mSlide.IsMoving() || mSlide.mCurrent != 1.0f; }

void MainMenuPanel::UpdateF(float fraction)
{
    int y;
    if (AdvanceSlide(mSlide, fraction, mHomeY, mHeight, AppHeight() + mHeight, &y))
        Move(mX, y);
}

void MainMenuPanel::Draw(Kivo::Graphics* g)
{
    if (mBackground)
        g->DrawImage(mBackground, 0, 0);
    ProfileManager* profiles = ProfileManager::Existing();
    Kivo::Font* font = GetFontById("FONT_GOLD");
    if (!profiles || !profiles->HasProfile() || !font)
        return;
    const std::string text = GetStringById("label_hello") + ", " + GetProfileString("user_name");
    const int textWidth = font->StringWidth(text);
    g->PushState();
    g->SetFont(font);
    g->SetColor(Kivo::Color(255, 255, 255));
    const float s = textWidth > kGreetingWidth ? static_cast<float>(kGreetingWidth) / textWidth : 1.0f;
    g->SetScale(s, s, mWidth / 2.0f, static_cast<float>(kGreetingY));
    g->DrawString(text, mWidth / 2 - textWidth / 2, kGreetingY);
    g->PopState();
}
