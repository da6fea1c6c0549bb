#pragma once
// The framework's message box: a framed panel with a header line, word-
// wrapped lines, an optional footer and one or two buttons, draggable with
// the mouse, modal or modeless. The application adds it under its id and
// kills it; its buttons' presses go to a DialogListener (the application's
// by default), and the released button becomes its result.
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

#include <memory>
#include <string>

namespace Kivo {

class DialogButton;
class DialogListener;
class Font;
class Image;

// Rows of a dialog's colour table.
enum DialogColor {
    DIALOG_COLOR_HEADER = 0,
    DIALOG_COLOR_LINES = 1,
    DIALOG_COLOR_FOOTER = 2,
    DIALOG_COLOR_BUTTON_TEXT = 3,
    DIALOG_COLOR_BUTTON_TEXT_OVER = 4,
    DIALOG_COLOR_BKG = 5,
    DIALOG_COLOR_OUTLINE = 6,
};

// Button modes: "YES" and "NO", "OK" and "CANCEL", or one button labelled
// with the footer; any other value has no buttons.
enum DialogButtons { BUTTONS_NONE = 0, BUTTONS_YES_NO = 1, BUTTONS_OK_CANCEL = 2, BUTTONS_FOOTER = 3 };

class Dialog : public Widget, public ButtonListener {
public:
    static constexpr int kNoResult = 0x7fffffff;
    static constexpr int ID_YES = 1000; // also OK, and the single button
    static constexpr int ID_NO = 1001;  // also CANCEL

    Dialog(Image* componentImage, Image* buttonComponentImage, int id, bool isModal, const std::string& header,
           const std::string& lines, const std::string& footer, int buttonMode);
    // Removes and deletes the buttons.
    ~Dialog() override;

    void Draw(Graphics* g) override;
    void ZOrderChanged() override;
    void SetColor(int index, const Color& color) override;
    void Resize(int x, int y, int width, int height) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void MouseUpButton(int x, int y, int button, int clickCount) override;
    void MouseDrag(int x, int y) override;
    virtual void SetButtonFont(Font* font);
    virtual void SetHeaderFont(Font* font);
    virtual void SetLinesFont(Font* font);
    // The height the dialog wants at `width`.
    virtual int GetPreferredHeight(int width);
    virtual bool IsModal() { return mIsModal; }
    // Runs application steps until a button sets the result, the dialog
    // leaves the tree or the application stops; kNoResult in the last two
    // cases. With autoKill the application then kills the dialog, unless it
    // was deleted during the wait.
    virtual int WaitForResult(bool autoKill = true);

    void ButtonPress(int id) override;
    void ButtonDepress(int id) override;

    DialogListener* mDialogListener;
    Image* mComponentImage;
    DialogButton* mYesButton = nullptr;
    DialogButton* mNoButton = nullptr;
    std::string mDialogHeader;
    std::string mDialogFooter;
    std::string mDialogLines;
    int32_t mButtonMode;
    Font* mHeaderFont = nullptr;
    Font* mLinesFont = nullptr;
    int32_t mTextJustify = 0;
    int32_t mLineSpacingOffset = 0;
    int32_t mButtonHeight;
    Insets mBackgroundInsets;
    Insets mContentInsets{24, 24, 24, 24};
    int32_t mSpaceAfterHeader = 10;
    bool mDragging = false;
    int32_t mDragMouseX = 0;
    int32_t mDragMouseY = 0;
    int32_t mId;
    bool mIsModal;
    int32_t mResult = kNoResult;
    int32_t mButtonHorzSpacing = 8;
    int32_t mButtonSidePadding = 0;

protected:
    // Cleared by the destructor: a dialog deleted during a wait's own
    // application steps ends every wait on it (nested ones too) without
    // touching it again. Each wait holds its own share of the flag.
    std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);

    Font* HeaderFont();
    Font* LinesFont();
    // Width of the lines' wrapping box, and their line spacing.
    int LinesWidth() const;
    int LinesSpacing();
};

} // namespace Kivo
