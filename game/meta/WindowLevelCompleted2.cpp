#include "game/meta/WindowLevelCompleted2.h"

#include "framework/resources/ResourceHelpers.h"

WindowLevelCompleted2::WindowLevelCompleted2()
    : WindowLevelCompletedBase(GetImageById("IMAGE_UI_WINDOW"), GetStringById("window_levelcompleted_caption"),
                               kWindowId)
{
    mClip = false;
    mContentInsets = Kivo::Insets{60, 45, 60, 50};
    mContinueButton = new WindowButton(0, this);
    mContinueButton->mLabel = GetStringById("window_levelcompleted_button_continue");
    mContinueButton->Move((mWidth - mContinueButton->mWidth) / 2, 430);
    AddWidget(mContinueButton);
}

WindowLevelCompleted2::~WindowLevelCompleted2() = default;

void WindowLevelCompleted2::Draw(Kivo::Graphics* g)
{
    DrawShade(g);
    WindowBase::Draw(g);
    WindowLevelCompletedBase::Draw(g);
}

void WindowLevelCompleted2::ButtonDepress(int id)
{
    WindowLevelCompletedBase::ButtonDepress(id);
    if (id == 0)
        CloseOrSkip(0);
}
