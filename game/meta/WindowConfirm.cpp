#include "game/meta/WindowConfirm.h"

#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"

#include <algorithm>

namespace {

constexpr int kButtonY = 155;
constexpr int kLineSpacing = 23;
constexpr int kMaxTextHeight = 130;

} // namespace

WindowConfirmBase::WindowConfirmBase(int windowId)
    : WindowBase(GetImageById("IMAGE_UI_WINDOW_SMALL"), GetStringById("window_confirm_caption"), false, windowId)
{
    mClip = false;
    mContentInsets = {40, 10, 40, 20};
    const auto makeButton = [this](int id, const char* label) {
        auto* button = new WindowButton(id, this);
        button->SetImages(GetImageById("IMAGE_UI_BUTTON_SMALL"), GetImageById("IMAGE_UI_BUTTON_SMALL_DOWN"));
        button->mLabel = GetStringById(label);
        return button;
    };
    mButtonYes = makeButton(0, "window_confirm_button_yes");
    mButtonNo = makeButton(1, "window_confirm_button_no");
    const int yesW = mButtonYes->mWidth;
    mButtonYes->Move((mWidth - yesW) / 2 - yesW / 2 - 10, kButtonY);
    mButtonNo->Move((mWidth - mButtonNo->mWidth) / 2 + yesW / 2 + 10, kButtonY);
    AddWidget(mButtonYes);
    AddWidget(mButtonNo);
}

WindowConfirmBase::~WindowConfirmBase() { RemoveAllWidgets(true, false); }

void WindowConfirmBase::DrawWithMessage(WindowBase* window, Kivo::Graphics* g, const std::string& message)
{
    DrawShade(g);
    window->WindowBase::Draw(g);
    g->PushState();
    g->SetColor(Kivo::Color(255, 255, 255));
    g->SetFont(GetFontById("FONT_GOLD"));
    // Measured narrower than it is drawn: the block sits a little high for
    // long texts, as it always has.
    const int h = std::min(g->GetWordWrappedHeight(window->mWidth - 80, message, kLineSpacing), kMaxTextHeight);
    g->WriteWordWrapped(Kivo::Rect(20, (110 - h) / 2 + 50, window->mWidth - 40, h), message, kLineSpacing, 0);
    g->PopState();
}

void WindowConfirmBase::Draw(Kivo::Graphics* g) { DrawWithMessage(this, g, mMessage); }

void WindowConfirmBase::KeyDown(int key)
{
    if (!mVisible)
        return;
    Kivo::Widget::KeyDown(key);
    if (key == WINDOW_KEY_ESCAPE)
        mResult = 0;
    else if (key == WINDOW_KEY_ENTER)
        mResult = 1;
}

void WindowConfirmBase::ButtonDepress(int id)
{
    Kivo::Dialog::ButtonDepress(id);
    if (id == 0)
        mResult = 1;
    else if (id == 1)
        mResult = 0;
}
