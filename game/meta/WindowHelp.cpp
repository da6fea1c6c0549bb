#include "game/meta/WindowHelp.h"

#include "framework/resources/ResourceHelpers.h"
#include "game/ui/ButtonBase.h"
#include "platform/win32/Messages.h"

namespace {

ButtonBase* NewButton(int id, const char* image, const char* downImage, int x, int y, Kivo::ButtonListener* listener)
{
    auto* button = new ButtonBase(id, listener);
    button->mButtonImage = GetImageById(image);
    button->mDownImage = GetImageById(downImage);
    button->ResizeToImage();
    button->Move(x, y);
    return button;
}

} // namespace

WindowHelp::WindowHelp() : WindowBase(GetImageById("IMAGE_UI_WINDOW_HELP"), "", false, kWindowId)
{
    mClip = false;
    mContentInsets = Kivo::Insets{80, 15, 80, 100};
    AddWidget(NewButton(BUTTON_CLOSE, "IMAGE_UI_BUTTON_HELP_CLOSE", "IMAGE_UI_BUTTON_HELP_CLOSE_DOWN", 330, 500, this));
    AddWidget(NewButton(BUTTON_LEFT, "IMAGE_UI_BUTTON_HELP_LEFT", "IMAGE_UI_BUTTON_HELP_LEFT_DOWN", 250, 500, this));
    AddWidget(NewButton(BUTTON_RIGHT, "IMAGE_UI_BUTTON_HELP_RIGHT", "IMAGE_UI_BUTTON_HELP_RIGHT_DOWN", 420, 500, this));
}

WindowHelp::~WindowHelp()
{
    RemoveAllWidgets(true, false);
}

void WindowHelp::TurnPage(bool forward)
{
    if (forward ? mBook.NextPage() : mBook.PrevPage())
        PlaySoundById("SOUND_HELPPAGE_SCROLL");
}

void WindowHelp::ButtonDepress(int id)
{
    WindowBase::ButtonDepress(id);
    switch (id) {
    case BUTTON_CLOSE:
        mResult = 0;
        break;
    case BUTTON_RIGHT:
        TurnPage(true);
        break;
    case BUTTON_LEFT:
        TurnPage(false);
        break;
    }
}

void WindowHelp::KeyDown(int key)
{
    if (!mVisible)
        return;
    WindowBase::KeyDown(key);
    if (key == VK_ESCAPE || key == VK_RETURN)
        mResult = 0;
    else if (key == VK_RIGHT)
        TurnPage(true);
    else if (key == VK_LEFT)
        TurnPage(false);
}

void WindowHelp::UpdateF(float fraction)
{
    WindowBase::UpdateF(fraction);
    mBook.UpdateF(fraction);
}

void WindowHelp::Draw(Kivo::Graphics* g)
{
    DrawShade(g);
    WindowBase::Draw(g);
    mBook.Draw(g);
}
