#include "game/meta/WindowMessage.h"

#include "framework/resources/ResourceHelpers.h"
#include "game/meta/WindowConfirm.h"

WindowMessage::WindowMessage()
    : WindowBase(GetImageById("IMAGE_UI_WINDOW_SMALL"), GetStringById("window_message_caption"), false,
                 WINDOW_ID_MESSAGE)
{
    mClip = false;
    mContentInsets = {20, 10, 20, 20};
    mCloseButton = new WindowButton(0, this);
    mCloseButton->mLabel = GetStringById("window_message_button_close");
    mCloseButton->Move((mWidth - mCloseButton->mWidth) / 2, 155);
    AddWidget(mCloseButton);
}

WindowMessage::~WindowMessage() { RemoveAllWidgets(true, false); }

void WindowMessage::Draw(Kivo::Graphics* g) { WindowConfirmBase::DrawWithMessage(this, g, mMessage); }

void WindowMessage::KeyDown(int key)
{
    if (!mVisible)
        return;
    Kivo::Widget::KeyDown(key);
    if (key == WINDOW_KEY_ESCAPE || key == WINDOW_KEY_ENTER || key == WINDOW_KEY_SPACE)
        mResult = 0;
}

void WindowMessage::ButtonDepress(int id)
{
    Kivo::Dialog::ButtonDepress(id);
    if (id == 0)
        mResult = 0;
}

void ShowGameMessage(const std::string& text)
{
    WindowMessage* window = WindowMessage::Instance();
    window->mMessage = text;
    ShowWindowAnimated(window, true);
}
