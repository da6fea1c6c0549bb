#pragma once
// A one-line text box: a blinking caret, selection by Shift with the arrow
// keys, by mouse drag and by double click, word-wise movement with Ctrl,
// cut, copy and paste through the clipboard, one level of undo, an optional
// password character, limits by character count and by pixel width, and
// horizontal scrolling. Its listener vets every key, character and text.
#include "framework/widgets/Widget.h"

#include <string>
#include <vector>

namespace Kivo {

class EditListener;
class Font;

// Rows of an edit box's colour table.
enum EditColor {
    EDIT_COLOR_BKG = 0,
    EDIT_COLOR_OUTLINE = 1,
    EDIT_COLOR_TEXT = 2,
    EDIT_COLOR_HILITE = 3,
    EDIT_COLOR_HILITE_TEXT = 4,
};

class EditWidget : public Widget {
public:
    EditWidget(int id, EditListener* listener);
    ~EditWidget() override;

    void MarkDirty() override;
    void Update() override;
    void Draw(Graphics* g) override;
    void Resize(int x, int y, int width, int height) override;
    bool WantsFocus() override { return true; }
    void GotFocus() override;
    void LostFocus() override;
    void KeyChar(char c) override;
    void KeyDown(int key) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void MouseUpButton(int x, int y, int button, int clickCount) override;
    void MouseDrag(int x, int y) override;
    // A key (key code, char 0) or a typed character (key 0).
    virtual void ProcessKey(int key, char c);
    virtual void SelectWordAtCursor();
    // Keeps copies; the text must also fit `widthCheckFont` when given.
    virtual void SetFont(Font* font, Font* widthCheckFont = nullptr);
    // Selects the whole new text.
    virtual void SetText(const std::string& text, bool leftPosToZero = true);
    virtual bool IsPartOfWord(char c);
    // The caret index nearest to x inside the box; left of the first
    // visible character it is the start of the text.
    virtual int CharIndexAtX(int x, int y);
    virtual void ScrollToCursor(bool bigJump);

    // The text as shown: itself, or the password character repeated.
    const std::string& GetDisplayString();

    struct WidthCheck {
        Font* mFont;
        int32_t mMaxPixels; // below 1: the box's mMaxPixels
    };

    int32_t mId;
    std::string mString;
    std::string mPasswordDisplayString;
    Font* mFont = nullptr;
    std::vector<WidthCheck> mWidthCheckList;
    EditListener* mEditListener;
    bool mShowingCursor = false; // the blink phase
    bool mDrawSelOverride = false; // the selection shows while unfocused
    bool mHadDoubleClick = false;
    int32_t mCursorPos = 0;
    int32_t mHilitePos = -1; // the selection's other end; -1 none
    int32_t mBlinkAcc = 0;
    int32_t mBlinkDelay = 40;
    int32_t mLeftPos = 0; // the first visible character
    int32_t mMaxChars = -1;
    int32_t mMaxPixels = -1;
    char mPasswordChar = 0;
    std::string mUndoString;
    int32_t mUndoCursor = 0;
    int32_t mUndoHilitePos = 0;
    int32_t mLastModifyIdx = 0; // where the last typed or deleted character went

private:
    Font* EnsureFont();
    int Length() const { return static_cast<int>(mString.size()); }
    bool HasSelection() const { return mHilitePos >= 0 && mHilitePos != mCursorPos; }
    // The width of display[from, to).
    int DisplayWidth(int from, int to);
    void DeleteSelection();
    // The font has a width for it and the listener allows it: what a paste
    // keeps.
    bool FitsFontAndListener(char c);
    // Typed: also printable, and above 127 only where the application
    // allows high characters.
    bool AcceptsTypedChar(char c);
    void Paste();
    void EnforceLimits();
};

} // namespace Kivo
