#include "game/app/PlaceholderScreen.h"

#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/ui/Callback.h"

namespace {

// The stored call that takes the state manager to the menu.
class ToMenu : public baseCallback {
public:
    explicit ToMenu(GameStateListener* states) : mStates(states) {}
    void Invoke() override
    {
        if (mStates)
            mStates->ChangeState(mStates->FindState("MenuScreen"));
    }
    baseCallback* Clone() override { return new ToMenu(*this); }

    GameStateListener* mStates;
};

} // namespace

void PlaceholderScreen::Draw(Kivo::Graphics* g)
{
    g->SetColor(Kivo::Color(30, 30, 40));
    g->FillRect(0, 0, mWidth, mHeight);
    if (Kivo::Font* font = GetFontById("FONT_GOLD")) {
        g->SetFont(font);
        g->SetColor(Kivo::Color(255, 255, 255));
        const std::string lines[] = { mName + " is not part of this build yet.", "Click to return to the menu." };
        int y = mHeight / 2 - 20;
        for (const std::string& line : lines) {
            g->DrawString(line, (mWidth - g->StringWidth(line)) / 2, y);
            y += 40;
        }
    }
}

void PlaceholderScreen::KeyDown(int) { BackToMenu(); }

void PlaceholderScreen::MouseDownButton(int, int, int, int) { BackToMenu(); }

void PlaceholderScreen::BackToMenu() { LeaveWithFade(new ToMenu(mStateManager)); }
