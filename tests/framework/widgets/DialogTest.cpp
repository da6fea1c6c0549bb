#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/DialogListener.h"
#include "tests/framework/widgets/ControlFixture.h"

using Kivo::Color;
using Kivo::Dialog;

namespace {

class DialogLog : public Kivo::DialogListener {
public:
    void DialogButtonPress(int dialogId, int buttonId) override { Add("Press", dialogId, buttonId); }
    void DialogButtonDepress(int dialogId, int buttonId) override { Add("Depress", dialogId, buttonId); }
    void Add(const std::string& what, int dialogId, int buttonId)
    {
        calls.push_back(what + " " + std::to_string(dialogId) + " " + std::to_string(buttonId));
    }
    std::vector<std::string> calls;
};

class Dialogs : public ControlTest {
protected:
    Dialogs() { app.mDialogListener = &listener; }
    Dialog* Make(int mode, const std::string& header = "", const std::string& lines = "",
                 const std::string& footer = "", Kivo::Image* buttonImage = nullptr)
    {
        auto dialog = std::make_unique<Dialog>(nullptr, buttonImage, 5, true, header, lines, footer, mode);
        dialog->SetHeaderFont(&font);
        dialog->SetLinesFont(&font);
        return Add(std::move(dialog), 100, 100, 400, 200);
    }
    DialogLog listener;
};

TEST_F(Dialogs, ButtonModesLabelTheirButtons)
{
    struct Case {
        int mode;
        const char* yes;
        const char* no;
    };
    for (const Case& c : {Case{1, "YES", "NO"}, Case{2, "OK", "CANCEL"}, Case{3, "go on", nullptr},
                          Case{0, nullptr, nullptr}, Case{9, nullptr, nullptr}}) {
        SCOPED_TRACE(c.mode);
        Dialog* d = Make(c.mode, "", "", "go on");
        EXPECT_EQ(d->mYesButton != nullptr, c.yes != nullptr);
        if (c.yes) {
            EXPECT_EQ(d->mYesButton->mLabel, c.yes);
        }
        EXPECT_EQ(d->mNoButton != nullptr, c.no != nullptr);
        if (c.no) {
            EXPECT_EQ(d->mNoButton->mLabel, c.no);
        }
    }
}

TEST_F(Dialogs, ReleasingTheNoButtonSetsTheResultAndTellsTheListener)
{
    Dialog* d = Make(1);
    // Two buttons of (400 - 48 - 8) / 2 = 172, along the bottom inset.
    ASSERT_EQ(d->mNoButton->GetRect(), Kivo::Rect(204, 152, 172, 24));
    EXPECT_EQ(d->mYesButton->GetRect(), Kivo::Rect(24, 152, 172, 24));
    Click(100 + 204 + 10, 100 + 152 + 10);
    EXPECT_EQ(d->mResult, Dialog::ID_NO);
    EXPECT_EQ(listener.calls, (std::vector<std::string>{"Press 5 1001", "Depress 5 1001"}));
}

TEST_F(Dialogs, WaitForResultRunsStepsUntilAButtonIsReleased)
{
    Dialog* d = Make(3, "", "", "fine");
    app.mOnAppStep = [&] {
        if (app.mAppSteps == 3)
            Click(200, 100 + 152 + 10);
    };
    EXPECT_EQ(d->WaitForResult(true), Dialog::ID_YES);
    EXPECT_EQ(app.mAppSteps, 3);
    EXPECT_EQ(app.mKilledDialogs, (std::vector<int>{5}));

    d->mResult = Dialog::kNoResult;
    app.mRunning = false;
    EXPECT_EQ(d->WaitForResult(false), Dialog::kNoResult);
    EXPECT_EQ(app.mKilledDialogs.size(), 1u);
}

// Killed by someone else during the wait, the dialog is deleted inside one
// of the wait's steps; the wait ends without touching it or killing
// another dialog of its id.
TEST_F(Dialogs, WaitForResultSurvivesTheDialogBeingKilledDuringIt)
{
    auto* d = new Dialog(nullptr, nullptr, 6, true, "", "", "", 1);
    app.AddDialog(d);
    app.mOnAppStep = [&] {
        if (app.mAppSteps == 2)
            app.KillDialog(6);
    };
    EXPECT_EQ(d->WaitForResult(true), Dialog::kNoResult);
    EXPECT_EQ(app.mAppSteps, 2);
    EXPECT_EQ(app.mKilledDialogs, (std::vector<int>{6}));
}

TEST_F(Dialogs, DraggingStopsEightPixelsOutsideTheScreen)
{
    Dialog* d = Make(0);
    manager.MouseMove(150, 150);
    manager.MouseDown(150, 150, 1);
    manager.MouseDrag(-500, 150);
    EXPECT_EQ(d->mX, -8);
    manager.MouseDrag(5000, 5000);
    EXPECT_EQ(d->mX, 800 - 400 + 8);
    EXPECT_EQ(d->mY, 600 - 200 + 8);
    manager.MouseUp(5000, 5000, 1);
    EXPECT_EQ(app.mCursors, (std::vector<int>{2, 0}));
}

TEST_F(Dialogs, PreferredHeightAddsUpItsParts)
{
    EXPECT_EQ(Make(0)->GetPreferredHeight(400), 48); // the insets alone
    // Insets, header 12, then 8 + 8 + 24 for the buttons.
    EXPECT_EQ(Make(1, "Title")->GetPreferredHeight(400), 48 + 12 + 8 + 8 + 24);
    // A footer adds 8 and the header's line spacing, but not as a button label.
    EXPECT_EQ(Make(0, "", "", "foot")->GetPreferredHeight(400), 48 + 12);
    EXPECT_EQ(Make(3, "", "", "foot")->GetPreferredHeight(400), 48 + 8 + 24);
}

// The button label colours follow the dialog's own buttons: framed buttons
// get black labels, image buttons of a later dialog white ones.
TEST_F(Dialogs, ButtonLabelColoursDependOnEachDialogsButtons)
{
    Kivo::MemoryImage buttonImage;
    buttonImage.Create(30, 30);
    Dialog* framed = Make(1);
    Dialog* imaged = Make(1, "", "", "", &buttonImage);
    EXPECT_EQ(framed->mYesButton->GetColor(Kivo::BUTTON_COLOR_LABEL), Color(0, 0, 0));
    EXPECT_EQ(imaged->mYesButton->GetColor(Kivo::BUTTON_COLOR_LABEL), Color(255, 255, 255));
    EXPECT_EQ(imaged->mButtonHeight, 30);
    imaged->SetColor(Kivo::DIALOG_COLOR_BUTTON_TEXT_OVER, Color(1, 2, 3));
    EXPECT_EQ(imaged->mNoButton->GetColor(Kivo::BUTTON_COLOR_LABEL_OVER), Color(1, 2, 3));
}

} // namespace
