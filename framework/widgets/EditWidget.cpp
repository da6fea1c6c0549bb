#include "framework/widgets/EditWidget.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/EditListener.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cstdlib>

namespace Kivo {

namespace {

enum Keys {
    KEY_BACK = 8,
    KEY_RETURN = 13,
    KEY_SHIFT = 16,
    KEY_CONTROL = 17,
    KEY_END = 35,
    KEY_HOME = 36,
    KEY_LEFT = 37,
    KEY_RIGHT = 39,
    KEY_DELETE = 46,
    KEY_A = 65,
    KEY_Z = 90,
};

// Characters typed with Ctrl held.
enum CtrlChars { CHAR_COPY = 3, CHAR_PASTE = 22, CHAR_CUT = 24, CHAR_UNDO = 26 };

constexpr int kTextMargin = 4; // on each side of the text

} // namespace

EditWidget::EditWidget(int id, EditListener* listener) : mId(id), mEditListener(listener)
{
    static const int kColors[5][3] = {{255, 255, 255}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255}};
    SetColorsRGB(kColors, 5);
}

EditWidget::~EditWidget()
{
    delete mFont;
    for (WidthCheck& check : mWidthCheckList)
        delete check.mFont;
}

Font* EditWidget::EnsureFont()
{
    if (!mFont)
        mFont = new SysFont("Arial Unicode MS", 10);
    return mFont;
}

void EditWidget::SetFont(Font* font, Font* widthCheckFont)
{
    delete mFont;
    mFont = font ? font->Duplicate() : nullptr;
    for (WidthCheck& check : mWidthCheckList)
        delete check.mFont;
    mWidthCheckList.clear();
    if (widthCheckFont)
        mWidthCheckList.push_back({widthCheckFont->Duplicate(), -1});
}

void EditWidget::SetText(const std::string& text, bool leftPosToZero)
{
    mString = text;
    mCursorPos = Length();
    mHilitePos = 0;
    if (leftPosToZero)
        mLeftPos = 0;
    else
        ScrollToCursor(true);
    MarkDirty();
}

const std::string& EditWidget::GetDisplayString()
{
    if (mPasswordChar == 0)
        return mString;
    mPasswordDisplayString.assign(mString.size(), mPasswordChar);
    return mPasswordDisplayString;
}

int EditWidget::DisplayWidth(int from, int to)
{
    const std::string& display = GetDisplayString();
    const int length = static_cast<int>(display.size());
    from = std::clamp(from, 0, length);
    to = std::clamp(to, from, length);
    return from == to ? 0 : EnsureFont()->StringWidth(display.substr(from, to - from));
}

bool EditWidget::IsPartOfWord(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

int EditWidget::CharIndexAtX(int x, int)
{
    int result = 0;
    int a = 0;
    for (int i = mLeftPos; i < Length(); ++i) {
        const int b = DisplayWidth(mLeftPos, i + 1);
        if (x >= (a + b) / 2 + 5)
            result = i + 1;
        a = b;
    }
    return result;
}

void EditWidget::ScrollToCursor(bool bigJump)
{
    const int step = bigJump ? 10 : 1;
    while (mCursorPos < mLeftPos) {
        mLeftPos = std::max(0, mLeftPos - step);
        MarkDirty();
    }
    if (!mFont)
        return;
    const int room = mWidth - 2 * kTextMargin;
    while (room > 0 && DisplayWidth(0, mCursorPos) - DisplayWidth(0, mLeftPos) >= room) {
        // Never past the caret, nor past the last character: a caret that
        // cannot fit ends the scroll instead of looping.
        const int next = std::min({Length() - 1, mLeftPos + step, mCursorPos});
        if (next <= mLeftPos)
            break;
        mLeftPos = next;
        MarkDirty();
    }
}

void EditWidget::SelectWordAtCursor()
{
    if (mCursorPos >= Length())
        return;
    mHilitePos = mCursorPos;
    while (mHilitePos > 0 && IsPartOfWord(mString[mHilitePos - 1]))
        --mHilitePos;
    while (mCursorPos < Length() - 1 && IsPartOfWord(mString[mCursorPos + 1]))
        ++mCursorPos;
    if (mCursorPos < Length())
        ++mCursorPos;
}

void EditWidget::DeleteSelection()
{
    const int from = std::clamp(std::min(mCursorPos, mHilitePos), 0, Length());
    const int to = std::clamp(std::max(mCursorPos, mHilitePos), from, Length());
    mString.erase(from, to - from);
    mCursorPos = from;
    mHilitePos = -1;
}

bool EditWidget::FitsFontAndListener(char c)
{
    return EnsureFont()->CharWidth(c) > 0 && (!mEditListener || mEditListener->AllowChar(mId, c));
}

bool EditWidget::AcceptsTypedChar(char c)
{
    const unsigned char code = static_cast<unsigned char>(c);
    WidgetHost* app = mManager ? mManager->mApp : nullptr;
    const int highest = app && app->AllowHighCharacters() ? 255 : 127;
    return code >= 32 && code <= highest && FitsFontAndListener(c);
}

void EditWidget::Paste()
{
    WidgetHost* app = mManager ? mManager->mApp : nullptr;
    const std::string clip = app ? app->GetClipboard() : std::string();
    std::string pasted;
    for (char c : clip.substr(0, clip.find_first_of("\r\n")))
        if (FitsFontAndListener(c))
            pasted += c;
    if (HasSelection())
        DeleteSelection();
    mCursorPos = std::clamp(mCursorPos, 0, Length());
    mString.insert(mCursorPos, pasted);
    mCursorPos += static_cast<int>(pasted.size());
    mHilitePos = -1;
}

void EditWidget::EnforceLimits()
{
    if (mMaxChars >= 0 && Length() > mMaxChars)
        mString.resize(mMaxChars);
    const auto cut = [this](Font* font, int limit) {
        while (!mString.empty() && font->StringWidth(mString) > limit)
            mString.pop_back();
    };
    if (!mWidthCheckList.empty()) {
        for (WidthCheck& check : mWidthCheckList) {
            const int limit = check.mMaxPixels >= 1 ? check.mMaxPixels : mMaxPixels;
            if (limit >= 1) // without any limit nothing is cut
                cut(check.mFont, limit);
        }
    } else if (mMaxPixels >= 1) {
        cut(EnsureFont(), mMaxPixels);
    }
}

void EditWidget::ProcessKey(int key, char c)
{
    if (key == KEY_SHIFT || key == KEY_CONTROL)
        return;
    const bool shift = mManager && mManager->IsKeyDown(KEY_SHIFT);
    const bool ctrl = mManager && mManager->IsKeyDown(KEY_CONTROL);
    bool clearSelection = !shift;
    bool changed = false;
    if (shift && !HasSelection())
        mHilitePos = mCursorPos;

    const std::string oldString = mString;
    const int oldCursor = mCursorPos;
    const int oldHilite = mHilitePos;
    WidgetHost* app = mManager ? mManager->mApp : nullptr;

    if (key == 0 && (c == CHAR_COPY || c == CHAR_CUT)) {
        if (c == CHAR_COPY || !HasSelection())
            clearSelection = false;
        if (HasSelection()) {
            const int from = std::min(mCursorPos, mHilitePos), to = std::max(mCursorPos, mHilitePos);
            const std::string& display = GetDisplayString();
            if (app && to <= static_cast<int>(display.size()))
                app->CopyToClipboard(display.substr(from, to - from));
            if (c == CHAR_CUT) {
                DeleteSelection();
                changed = true;
            }
        }
    } else if (key == 0 && c == CHAR_PASTE) {
        Paste();
        changed = true;
    } else if (key == 0 && c == CHAR_UNDO) {
        std::swap(mString, mUndoString);
        std::swap(mCursorPos, mUndoCursor);
        std::swap(mHilitePos, mUndoHilitePos);
        mLastModifyIdx = -1;
        clearSelection = false;
    } else if (key == KEY_LEFT) {
        if (ctrl) {
            while (mCursorPos > 0 && !IsPartOfWord(mString[mCursorPos - 1]))
                --mCursorPos;
            while (mCursorPos > 0 && IsPartOfWord(mString[mCursorPos - 1]))
                --mCursorPos;
        } else if (shift || !HasSelection()) {
            --mCursorPos;
        } else {
            mCursorPos = std::min(mCursorPos, mHilitePos);
        }
    } else if (key == KEY_RIGHT) {
        if (ctrl) {
            while (mCursorPos < Length() - 1 && IsPartOfWord(mString[mCursorPos + 1]))
                ++mCursorPos;
            while (mCursorPos < Length() - 1 && !IsPartOfWord(mString[mCursorPos + 1]))
                ++mCursorPos;
        }
        if (!shift && HasSelection())
            mCursorPos = std::max(mCursorPos, mHilitePos);
        else
            ++mCursorPos;
    } else if (key == KEY_BACK) {
        if (HasSelection()) {
            DeleteSelection();
            changed = true;
        } else if (mCursorPos > 0 && mCursorPos <= Length()) {
            mString.erase(mCursorPos - 1, 1);
            --mCursorPos;
            mHilitePos = -1;
            if (mCursorPos != mLastModifyIdx)
                changed = true;
            mLastModifyIdx = mCursorPos - 1;
        }
    } else if (key == KEY_DELETE) {
        if (HasSelection()) {
            DeleteSelection();
            changed = true;
        } else if (mCursorPos >= 0 && mCursorPos < Length()) {
            mString.erase(mCursorPos, 1);
            if (mCursorPos != mLastModifyIdx)
                changed = true;
            mLastModifyIdx = mCursorPos;
        }
    } else if (key == KEY_HOME) {
        mCursorPos = 0;
    } else if (key == KEY_END) {
        mCursorPos = Length();
    } else if (key == KEY_RETURN) {
        if (mEditListener)
            mEditListener->EditWidgetText(mId, mString);
    } else if (!AcceptsTypedChar(c)) {
        clearSelection = false;
    } else {
        if (HasSelection()) {
            DeleteSelection();
            changed = true;
        } else if (mCursorPos != mLastModifyIdx + 1) {
            changed = true;
        }
        mCursorPos = std::clamp(mCursorPos, 0, Length());
        mString.insert(mString.begin() + mCursorPos, c);
        mLastModifyIdx = mCursorPos;
        ++mCursorPos;
        mHilitePos = -1;
        ScrollToCursor(false);
    }

    EnforceLimits();
    mCursorPos = std::clamp(mCursorPos, 0, Length());
    if (mHilitePos > Length()) // an undone selection may lie past a shorter text
        mHilitePos = Length();
    if (mCursorPos != oldCursor) {
        mBlinkAcc = 0;
        mShowingCursor = true;
    }
    ScrollToCursor(true);
    if (clearSelection || mHilitePos == mCursorPos)
        mHilitePos = -1;
    if (mEditListener && !mEditListener->AllowText(mId, mString)) {
        mString = oldString;
        mCursorPos = oldCursor;
        mHilitePos = oldHilite;
    } else if (changed) {
        mUndoString = oldString;
        mUndoCursor = oldCursor;
        mUndoHilitePos = oldHilite;
    }
    MarkDirty();
}

void EditWidget::KeyChar(char c) { ProcessKey(0, c); }

void EditWidget::KeyDown(int key)
{
    // Letters arrive as characters.
    if ((key < KEY_A || key > KEY_Z) && (!mEditListener || mEditListener->AllowKey(mId, key)))
        ProcessKey(key, 0);
    Widget::KeyDown(key); // Tab moves the focus
}

void EditWidget::MouseEnter() { SetAppCursor(CURSOR_TEXT); }

void EditWidget::MouseLeave() { SetAppCursor(CURSOR_POINTER); }

void EditWidget::MouseDownButton(int x, int y, int, int clickCount)
{
    mHilitePos = -1;
    mCursorPos = CharIndexAtX(x, y);
    if (clickCount > 1) {
        mHadDoubleClick = true;
        SelectWordAtCursor();
    }
    MarkDirty();
    ScrollToCursor(false);
}

void EditWidget::MouseDrag(int x, int y)
{
    if (mHilitePos == -1)
        mHilitePos = mCursorPos;
    mCursorPos = CharIndexAtX(x, y);
    MarkDirty();
    ScrollToCursor(false);
}

void EditWidget::MouseUpButton(int x, int y, int, int)
{
    if (mHilitePos == mCursorPos)
        mHilitePos = -1;
    if (mHadDoubleClick) {
        mHilitePos = -1;
        mCursorPos = CharIndexAtX(x, y);
        mHadDoubleClick = false;
        SelectWordAtCursor();
    }
    MarkDirty();
}

void EditWidget::Resize(int x, int y, int width, int height)
{
    Widget::Resize(x, y, width, height);
    ScrollToCursor(false);
}

void EditWidget::MarkDirty()
{
    if (!mParent) {
        mDirty = true;
    } else if (GetColor(EDIT_COLOR_BKG).mAlpha == 255) {
        mParent->MarkDirtyChild(this);
    } else {
        mParent->MarkDirtyFullChild(this);
    }
}

void EditWidget::GotFocus()
{
    Widget::GotFocus();
    mShowingCursor = true;
    mBlinkAcc = 0;
    MarkDirty();
}

void EditWidget::LostFocus()
{
    Widget::LostFocus();
    mShowingCursor = false;
    MarkDirty();
}

void EditWidget::Update()
{
    Widget::Update();
    if (!mHasFocus)
        return;
    if (++mBlinkAcc > mBlinkDelay) {
        MarkDirty();
        mBlinkAcc = 0;
        mShowingCursor = !mShowingCursor;
    }
}

void EditWidget::Draw(Graphics* g)
{
    Font* font = EnsureFont();
    g->SetColor(GetColor(EDIT_COLOR_BKG));
    g->FillRect(0, 0, mWidth, mHeight);

    const std::string& display = GetDisplayString();
    const std::string visible = display.substr(std::min<size_t>(std::max(mLeftPos, 0), display.size()));
    const int textY = font->GetAscent() + (mHeight - font->GetHeight()) / 2;
    const int room = mWidth - 2 * kTextMargin;
    const auto drawText = [&](Graphics& pass, int color) {
        pass.SetFont(font);
        pass.SetColor(GetColor(color));
        pass.DrawString(visible, kTextMargin, textY);
    };
    {
        Graphics pass(*g);
        pass.ClipRect(kTextMargin, 0, room, mHeight);
        drawText(pass, EDIT_COLOR_TEXT);
    }
    {
        // The selection, or a caret two pixels wide that vanishes in the
        // off phase of the blink.
        const int left = DisplayWidth(0, mLeftPos);
        int a = DisplayWidth(0, mCursorPos) - left;
        int b = HasSelection() ? DisplayWidth(0, mHilitePos) - left : a + 2;
        if (!mShowingCursor)
            a += 2;
        a = std::clamp(a, 0, std::max(room, 0));
        b = std::clamp(b, 0, std::max(room, 0));
        Graphics pass(*g);
        pass.ClipRect(kTextMargin + std::min(a, b), (mHeight - font->GetHeight()) / 2, std::abs(a - b),
                      font->GetHeight());
        if (mHasFocus || mDrawSelOverride) {
            pass.SetColor(GetColor(EDIT_COLOR_HILITE));
            pass.FillRect(kTextMargin + std::min(a, b), (mHeight - font->GetHeight()) / 2, std::abs(a - b),
                          font->GetHeight());
            drawText(pass, EDIT_COLOR_HILITE_TEXT);
        } else {
            drawText(pass, EDIT_COLOR_TEXT);
        }
    }
    g->SetColor(GetColor(EDIT_COLOR_OUTLINE));
    g->DrawRect(0, 0, mWidth - 1, mHeight - 1);
}

} // namespace Kivo
