#include "framework/widgets/Dialog.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cstdlib>

namespace Kivo {

namespace {

constexpr int kDragMargin = 8; // how far a dragged dialog may leave the screen

int ClampInRange(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

} // namespace

Dialog::Dialog(Image* componentImage, Image* buttonComponentImage, int id, bool isModal, const std::string& header,
               const std::string& lines, const std::string& footer, int buttonMode)
    : mDialogListener(GetWidgetHost() ? GetWidgetHost()->GetDialogListener() : nullptr),
      mComponentImage(componentImage), mDialogHeader(header), mDialogFooter(footer), mDialogLines(lines),
      mButtonMode(buttonMode), mButtonHeight(buttonComponentImage ? buttonComponentImage->mHeight : 24), mId(id),
      mIsModal(isModal)
{
    mHasTransparencies = true;
    mHasAlpha = true;
    mPriority = 1;
    // Framed buttons are light grey: their labels are black.
    const int label = buttonComponentImage ? 255 : 0;
    const int colors[7][3] = {{255, 255, 255}, {255, 255, 0}, {255, 255, 255},  {label, label, label},
                              {label, label, label}, {80, 80, 80}, {255, 255, 255}};
    SetColorsRGB(colors, 7);

    const auto makeButton = [&](int buttonId, const std::string& label) {
        auto* button = new DialogButton(buttonComponentImage, buttonId, this);
        button->mLabel = label;
        button->SetColor(BUTTON_COLOR_LABEL, GetColor(DIALOG_COLOR_BUTTON_TEXT));
        button->SetColor(BUTTON_COLOR_LABEL_OVER, GetColor(DIALOG_COLOR_BUTTON_TEXT_OVER));
        AddWidget(button);
        return button;
    };
    switch (buttonMode) {
    case BUTTONS_YES_NO:
        mYesButton = makeButton(ID_YES, "YES");
        mNoButton = makeButton(ID_NO, "NO");
        break;
    case BUTTONS_OK_CANCEL:
        mYesButton = makeButton(ID_YES, "OK");
        mNoButton = makeButton(ID_NO, "CANCEL");
        break;
    case BUTTONS_FOOTER:
        mYesButton = makeButton(ID_YES, footer);
        break;
    default:
        break;
    }
}

Dialog::~Dialog()
{
    *mAlive = false;
    for (DialogButton* button : {mYesButton, mNoButton}) {
        if (button) {
            RemoveWidget(button);
            delete button;
        }
    }
    delete mHeaderFont;
    delete mLinesFont;
}

Font* Dialog::HeaderFont()
{
    if (!mHeaderFont)
        mHeaderFont = new SysFont("Arial Unicode MS", 14);
    return mHeaderFont;
}

Font* Dialog::LinesFont()
{
    if (!mLinesFont)
        mLinesFont = new SysFont("Arial Unicode MS", 12);
    return mLinesFont;
}

void Dialog::SetButtonFont(Font* font)
{
    for (DialogButton* button : {mYesButton, mNoButton})
        if (button)
            button->SetFont(font);
}

void Dialog::SetHeaderFont(Font* font)
{
    delete mHeaderFont;
    mHeaderFont = font ? font->Duplicate() : nullptr;
}

void Dialog::SetLinesFont(Font* font)
{
    delete mLinesFont;
    mLinesFont = font ? font->Duplicate() : nullptr;
}

void Dialog::SetColor(int index, const Color& color)
{
    Widget::SetColor(index, color);
    const int buttonRow = index == DIALOG_COLOR_BUTTON_TEXT        ? BUTTON_COLOR_LABEL
                          : index == DIALOG_COLOR_BUTTON_TEXT_OVER ? BUTTON_COLOR_LABEL_OVER
                                                                   : -1;
    if (buttonRow < 0)
        return;
    for (DialogButton* button : {mYesButton, mNoButton})
        if (button)
            button->SetColor(buttonRow, color);
}

void Dialog::ZOrderChanged()
{
    if (!mManager)
        return;
    for (DialogButton* button : {mYesButton, mNoButton})
        if (button)
            mManager->PutInFront(button, this);
}

int Dialog::LinesWidth() const
{
    return mWidth - mContentInsets.mLeft - mContentInsets.mRight - mBackgroundInsets.mLeft - mBackgroundInsets.mRight -
           4;
}

int Dialog::LinesSpacing() { return LinesFont()->GetLineSpacing() + mLineSpacingOffset; }

int Dialog::GetPreferredHeight(int width)
{
    int h = mContentInsets.mTop + mContentInsets.mBottom + mBackgroundInsets.mTop + mBackgroundInsets.mBottom;
    bool anything = false;
    if (!mDialogHeader.empty()) {
        h += HeaderFont()->GetHeight() - HeaderFont()->GetAscentPadding();
        anything = true;
    }
    if (!mDialogLines.empty()) {
        if (!mDialogHeader.empty())
            h += mSpaceAfterHeader;
        Graphics g;
        g.SetFont(LinesFont());
        const int wrapWidth = width - mContentInsets.mLeft - mContentInsets.mRight - mBackgroundInsets.mLeft -
                              mBackgroundInsets.mRight - 4;
        h += WordWrappedHeight(&g, wrapWidth, mDialogLines, LinesSpacing());
        anything = true;
    }
    if (!mDialogFooter.empty() && mButtonMode != BUTTONS_FOOTER) {
        if (anything)
            h += 8;
        h += HeaderFont()->GetLineSpacing();
        anything = true;
    }
    if (mYesButton) {
        if (anything)
            h += 8;
        h += 8 + mButtonHeight;
    }
    return h;
}

void Dialog::Draw(Graphics* g)
{
    const Rect background(mBackgroundInsets.mLeft, mBackgroundInsets.mTop,
                          mWidth - mBackgroundInsets.mLeft - mBackgroundInsets.mRight,
                          mHeight - mBackgroundInsets.mTop - mBackgroundInsets.mBottom);
    if (mComponentImage) {
        g->DrawImageBox(background, mComponentImage);
    } else {
        g->SetColor(GetColor(DIALOG_COLOR_OUTLINE));
        g->DrawRect(12, 12, mWidth - 25, mHeight - 25);
        g->SetColor(GetColor(DIALOG_COLOR_BKG));
        g->FillRect(13, 13, mWidth - 26, mHeight - 26);
        Color shadow(0, 0, 0);
        shadow.mAlpha = 128;
        g->SetColor(shadow);
        g->FillRect(mWidth - 12, 24, 12, mHeight - 36);
        g->FillRect(24, mHeight - 12, mWidth - 24, 12);
    }

    int y = mBackgroundInsets.mTop + mContentInsets.mTop;
    if (!mDialogHeader.empty()) {
        Font* font = HeaderFont();
        const int baseline = y - font->GetAscentPadding() + font->GetAscent();
        g->SetFont(font);
        g->SetColor(GetColor(DIALOG_COLOR_HEADER));
        DrawCenteredLine(g, baseline, mDialogHeader);
        y = baseline - font->GetAscent() + font->GetHeight() + mSpaceAfterHeader;
    }

    g->SetFont(LinesFont());
    g->SetColor(GetColor(DIALOG_COLOR_LINES));
    const int linesHeight = DrawWordWrapped(
        g, mDialogLines, Rect(mBackgroundInsets.mLeft + mContentInsets.mLeft + 2, y, LinesWidth(), 0),
        LinesSpacing(), mTextJustify);

    if (!mDialogFooter.empty() && mButtonMode != BUTTONS_FOOTER) {
        g->SetFont(HeaderFont());
        g->SetColor(GetColor(DIALOG_COLOR_FOOTER));
        DrawCenteredLine(g, y + linesHeight + 8 + HeaderFont()->GetLineSpacing(), mDialogFooter);
    }
}

void Dialog::Resize(int x, int y, int width, int height)
{
    Widget::Resize(x, y, width, height);
    const int horizontalInsets =
        mContentInsets.mLeft + mContentInsets.mRight + mBackgroundInsets.mLeft + mBackgroundInsets.mRight;
    const int buttonX = mBackgroundInsets.mLeft + mContentInsets.mLeft;
    const int buttonY = mHeight - mContentInsets.mBottom - mBackgroundInsets.mBottom - mButtonHeight;
    if (mYesButton && mNoButton) {
        const int w = (mWidth - horizontalInsets - 2 * mButtonSidePadding - mButtonHorzSpacing) / 2;
        mYesButton->Resize(buttonX + mButtonSidePadding, buttonY, w, mButtonHeight);
        mNoButton->Resize(mYesButton->mX + w + mButtonHorzSpacing, buttonY, w, mButtonHeight);
    } else if (mYesButton) {
        mYesButton->Resize(buttonX, buttonY, mWidth - horizontalInsets, mButtonHeight);
    }
}

void Dialog::MouseDownButton(int x, int y, int, int clickCount)
{
    if (clickCount != 1)
        return;
    SetAppCursor(CURSOR_DRAGGING);
    mDragging = true;
    mDragMouseX = x;
    mDragMouseY = y;
}

void Dialog::MouseUpButton(int, int, int, int)
{
    if (!mDragging)
        return;
    SetAppCursor(CURSOR_POINTER);
    mDragging = false;
}

void Dialog::MouseDrag(int x, int y)
{
    if (!mDragging)
        return;
    int newX = mX + x - mDragMouseX;
    int newY = mY + y - mDragMouseY;
    if (mManager) {
        // At most kDragMargin pixels outside the game area.
        newX = std::max(newX, -kDragMargin);
        if (newX + mWidth > mManager->mWidth + kDragMargin)
            newX = mManager->mWidth - mWidth + kDragMargin;
        newY = std::max(newY, -kDragMargin);
        if (newY + mHeight > mManager->mHeight + kDragMargin)
            newY = mManager->mHeight - mHeight + kDragMargin;
    }
    mDragMouseX = ClampInRange(x + (mX - newX), kDragMargin, mWidth - kDragMargin - 1);
    mDragMouseY = ClampInRange(y + (mY - newY), kDragMargin, mHeight - kDragMargin - 1);
    Move(newX, newY);
}

void Dialog::ButtonPress(int id)
{
    if ((id == ID_YES || id == ID_NO) && mDialogListener)
        mDialogListener->DialogButtonPress(mId, id);
}

void Dialog::ButtonDepress(int id)
{
    if (id != ID_YES && id != ID_NO)
        return;
    mResult = id;
    if (mDialogListener)
        mDialogListener->DialogButtonDepress(mId, id);
}

int Dialog::WaitForResult(bool autoKill)
{
    WidgetHost* app = GetWidgetHost();
    const std::shared_ptr<bool> alive = mAlive;
    while (app && mManager && mResult == kNoResult && app->UpdateAppStep(nullptr) && *alive) {
    }
    if (!*alive)
        return kNoResult;
    const int result = mResult;
    if (autoKill && app)
        app->KillDialog(mId);
    return result;
}

} // namespace Kivo
