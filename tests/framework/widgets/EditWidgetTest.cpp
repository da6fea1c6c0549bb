#include "framework/graphics/Graphics.h"
#include "framework/widgets/EditListener.h"
#include "framework/widgets/EditWidget.h"
#include "tests/framework/widgets/ControlFixture.h"
#include "tests/support/RecordingImage.h"

#include <functional>

using Kivo::EditWidget;

namespace {

constexpr int kBack = 8, kEnter = 13, kShift = 16, kCtrl = 17, kLeft = 37, kRight = 39;
constexpr char kCopy = 3, kPaste = 22, kUndo = 26;

class EditLog : public Kivo::EditListener {
public:
    void EditWidgetText(int id, const std::string& text) override { entered.push_back(std::to_string(id) + text); }
    bool AllowChar(int, char c) override { return !refuseDigits || c < '0' || c > '9'; }
    bool AllowText(int, const std::string& text) override { return text != refusedText; }
    std::vector<std::string> entered;
    bool refuseDigits = false;
    std::string refusedText = "-";
};

// A font without a width for the tab, as most fonts have none.
class TablessFont : public LoggingFont {
public:
    using LoggingFont::LoggingFont;
    int CharWidth(char c) override { return c == '\t' ? 0 : LoggingFont::CharWidth(c); }
    Kivo::Font* Duplicate() override { return new TablessFont(*this); }
};

class Edit : public ControlTest {
protected:
    Edit()
    {
        edit = Add(std::make_unique<EditWidget>(9, &listener), 10, 10, 200, 20);
        edit->SetFont(&font);
        manager.SetFocus(edit);
    }
    void Type(const std::string& text)
    {
        for (char c : text)
            manager.KeyChar(c);
    }
    void Key(int key)
    {
        manager.KeyDown(key);
        manager.KeyUp(key);
    }
    // Runs `keys` with the modifier held.
    void With(int modifier, const std::function<void()>& keys)
    {
        manager.KeyDown(modifier);
        keys();
        manager.KeyUp(modifier);
    }
    EditLog listener;
    EditWidget* edit;
};

TEST_F(Edit, SetTextSelectsAllAndTypingReplacesIt)
{
    edit->SetText("abc", false);
    EXPECT_EQ(edit->mCursorPos, 3);
    EXPECT_EQ(edit->mHilitePos, 0);
    Type("x");
    EXPECT_EQ(edit->mString, "x");
    EXPECT_EQ(edit->mCursorPos, 1);
}

TEST_F(Edit, RunsOfTypingOrDeletingAreOneUndoStep)
{
    Type("abcd");
    Type(std::string(1, kUndo));
    EXPECT_EQ(edit->mString, "");
    Type(std::string(1, kUndo)); // and back again
    EXPECT_EQ(edit->mString, "abcd");
    Key(kBack);
    Key(kBack);
    EXPECT_EQ(edit->mString, "ab");
    Key(kLeft);
    Type("x");
    EXPECT_EQ(edit->mString, "axb");
    Type(std::string(1, kUndo)); // the typing elsewhere is a step of its own
    EXPECT_EQ(edit->mString, "ab");
    Type(std::string(1, kUndo));
    Type(std::string(1, kUndo));
    EXPECT_EQ(edit->mString, "ab");
}

TEST_F(Edit, ArrowsMoveAndSelectByCharacterAndByWord)
{
    Type("hello");
    With(kShift, [&] {
        for (int i = 0; i < 3; ++i)
            Key(kLeft);
    });
    EXPECT_EQ(edit->mCursorPos, 2);
    EXPECT_EQ(edit->mHilitePos, 5);
    Key(kLeft); // to the selection's start
    EXPECT_EQ(edit->mCursorPos, 2);
    EXPECT_EQ(edit->mHilitePos, -1);

    edit->SetText("ab cd");
    Key(36); // Home
    With(kCtrl, [&] { Key(kRight); });
    EXPECT_EQ(edit->mCursorPos, 3);
    Key(35); // End
    With(kCtrl, [&] { Key(kLeft); });
    EXPECT_EQ(edit->mCursorPos, 3);
}

TEST_F(Edit, PasteKeepsTheFirstLineWithinTheLimits)
{
    struct Case {
        const char* clipboard;
        int maxChars;
        bool refuseDigits;
        const char* expected;
    };
    // The tab has no width in this font; every other character has one.
    TablessFont tabless(&textLog);
    edit->SetFont(&tabless);
    for (const Case& c : {Case{"abcdefgh", 5, false, "abcde"}, Case{"ab\r\ncd", -1, false, "ab"},
                          Case{"a1b2\nc", -1, true, "ab"}, Case{"a\tb\xe9", -1, false, "ab\xe9"},
                          Case{"JOS\xc9", -1, false, "JOS\xc9"}}) {
        SCOPED_TRACE(c.clipboard);
        edit->SetText("");
        edit->mMaxChars = c.maxChars;
        listener.refuseDigits = c.refuseDigits;
        app.mClipboard = c.clipboard;
        Type(std::string(1, kPaste));
        EXPECT_EQ(edit->mString, c.expected);
    }
}

TEST_F(Edit, CopyTakesTheSelectionAsShownAndKeepsIt)
{
    edit->SetText("secret");
    Type(std::string(1, kCopy));
    EXPECT_EQ(app.mClipboard, "secret");
    edit->mPasswordChar = '*';
    Type(std::string(1, kCopy));
    EXPECT_EQ(app.mClipboard, "******");
    EXPECT_EQ(edit->mHilitePos, 0);
    Type(std::string(1, 24)); // cut
    EXPECT_EQ(edit->mString, "");
}

TEST_F(Edit, TheListenerVetsCharactersAndTextsAndHearsEnter)
{
    listener.refuseDigits = true;
    listener.refusedText = "a-";
    Type("a1-");
    EXPECT_EQ(edit->mString, "a"); // "a-" is refused whole
    Type("\xe9");
    EXPECT_EQ(edit->mString, "a");
    app.mAllowHighCharacters = true;
    Type("\xe9");
    EXPECT_EQ(edit->mString, "a\xe9");
    Key(kEnter);
    EXPECT_EQ(listener.entered, (std::vector<std::string>{"9a\xe9"}));
}

TEST_F(Edit, MouseClicksPlaceTheCaretAndDoubleClicksSelectAWord)
{
    edit->SetText("ab cd", true);
    manager.MouseMove(10 + 4 + 12, 15);
    Click(10 + 16, 15); // past the middle of "a" plus 5
    EXPECT_EQ(edit->mCursorPos, 1);
    EXPECT_EQ(edit->mHilitePos, -1);
    manager.MouseDown(10 + 36, 15, 2);
    manager.MouseUp(10 + 36, 15, 2);
    EXPECT_EQ(edit->mHilitePos, 3);
    EXPECT_EQ(edit->mCursorPos, 5);
    manager.MouseDown(10 + 1, 15, 1);
    manager.MouseDrag(10 + 26, 15);
    manager.MouseUp(10 + 26, 15, 1);
    EXPECT_EQ(edit->mHilitePos, 0);
    EXPECT_EQ(edit->mCursorPos, 2);
}

// A box too narrow for one character stops scrolling instead of looping.
// In a scrolled text a click left of the first visible character puts the
// caret at the start of the text; further right it counts from that
// character.
TEST_F(Edit, NarrowBoxScrollsToTheCaretAndLeftClicksGoToTheStart)
{
    edit->Resize(10, 10, 15, 20);
    edit->SetText("abcdefgh", false);
    EXPECT_EQ(edit->mLeftPos, 7);
    edit->Resize(10, 10, 40, 20);
    edit->SetText("abcdefgh", true);
    edit->ScrollToCursor(false);
    EXPECT_EQ(edit->mLeftPos, 5);
    EXPECT_EQ(edit->CharIndexAtX(0, 5), 0);
    EXPECT_EQ(edit->CharIndexAtX(10, 5), 6); // past the middle of "f" plus 5
}

TEST_F(Edit, WidthCheckFontWithoutAnyLimitCutsNothing)
{
    edit->SetFont(&font, &font);
    Type("abc");
    EXPECT_EQ(edit->mString, "abc");
    edit->mMaxPixels = 25;
    Type("d");
    EXPECT_EQ(edit->mString, "ab");
}

TEST_F(Edit, DrawsTheTextAndATwoPixelCaretWhileItBlinksOn)
{
    Type("ab");
    RecordingImage dest(800, 600);
    Kivo::Graphics g(&dest);
    edit->Draw(&g);
    // Background, caret, and the four sides of the outline.
    ASSERT_EQ(dest.mOps.size(), 6u);
    EXPECT_EQ(dest.mOps[0].mRect, Kivo::Rect(0, 0, 200, 20));
    EXPECT_EQ(dest.mOps[1].mRect, Kivo::Rect(24, 4, 2, 12));
    ASSERT_EQ(textLog.size(), 2u);
    EXPECT_EQ(textLog[0], (LoggingFont::Piece{"ab", 4, 12, Kivo::Color(0, 0, 0)}));
    EXPECT_EQ(textLog[1].color, Kivo::Color(255, 255, 255));

    app.Steps(41); // the blink turns off
    EXPECT_FALSE(edit->mShowingCursor);
    dest.mOps.clear();
    edit->Draw(&g);
    ASSERT_EQ(dest.mOps.size(), 6u);
    EXPECT_EQ(dest.mOps[1].mRect.mWidth, 0);
}

} // namespace
