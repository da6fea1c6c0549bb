// The profile windows: the name rules, the radio pair and the cancel
// button of the new-profile window; the five slots of the profile list,
// deleting, creating and changing profiles, closing rules; the first-start
// prompt of the profile store.
#include "framework/core/Buffer.h"
#include "framework/core/Paths.h"
#include "game/meta/WindowConfirm.h"
#include "game/meta/WindowMessage.h"
#include "game/meta/WindowNewProfile.h"
#include "game/meta/WindowProfiles.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/CheckboxCustom.h"
#include "game/ui/EditCustom.h"
#include "game/ui/ProfileSlotButton.h"
#include "game/ui/ProfileSmallSlot.h"
#include "tests/game/meta/WindowTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

using windowtest::WindowFixture;
constexpr int kNone = Kivo::Dialog::kNoResult;

// Capitals twice as wide as anything else.
class CapitalsFont : public windowtest::PitchFont {
public:
    int StringWidth(const std::string& text) override
    {
        int w = 0;
        for (char c : text)
            w += std::isupper(static_cast<unsigned char>(c)) ? 20 : 10;
        return w;
    }
    Kivo::Font* Duplicate() override { return new CapitalsFont(*this); }
};

TEST(NewProfileWindow, NameRules)
{
    WindowFixture f;
    for (auto [name, valid] : {std::pair{"", false}, std::pair{"   ", false}, std::pair{" A ", true},
                               std::pair{"Q", true}})
        EXPECT_EQ(WindowNewProfile::IsValidName(name), valid) << '"' << name << '"';

    f.res.SetFont("FONT_GOLD", new CapitalsFont);
    WindowNewProfile* window = WindowNewProfile::Instance();
    EditCustom* box = window->mNameBox;
    box->mWidth = 130; // names up to 100 pixels
    struct Case {
        const char* text;
        char c;
        bool allowed;
    };
    for (const Case& c : {Case{"AAAA", 'a', true}, Case{"AAAA.", 'a', false} /* fits only as a small letter */,
                          Case{"AAAA.", '.', true}, Case{"", '\x01', false}, Case{"", '\x7f', false},
                          Case{"", '\xe9', true}}) {
        box->mString = c.text;
        EXPECT_EQ(window->AllowChar(2, c.c), c.allowed) << c.text << " + " << int(c.c);
    }
    // Typed into the box: capitals, at most 25 of them however wide the box.
    box->mWidth = 2000;
    f.app.mManager.AddWidget(window);
    window->GotFocus();
    EXPECT_EQ(f.app.mManager.mFocusWidget, box);
    box->SetText("");
    for (int i = 0; i < 30; ++i)
        f.app.mManager.KeyChar('w');
    EXPECT_EQ(window->GetUserName(), std::string(25, 'W'));
    f.app.mManager.RemoveWidget(window);
    delete window;
}

// A font with the Windows-1252 letters of the game's fonts: only some
// capitals among them.
class LettersFont : public windowtest::PitchFont {
public:
    explicit LettersFont(std::string high) : mHigh(std::move(high)) {}
    int CharWidth(char c) override
    {
        return static_cast<unsigned char>(c) < 128 || mHigh.find(c) != std::string::npos ? 10 : 0;
    }
    Kivo::Font* Duplicate() override { return new LettersFont(*this); }

private:
    std::string mHigh;
};

// Names take the letters the font draws, above ASCII too, in capitals where
// the font has them; what the font cannot draw is refused.
TEST(NewProfileWindow, NamesTakeTheFontsAccentedLetters)
{
    struct Case {
        const char* font; // its letters above ASCII
        const char* typed;
        const char* name;
    };
    for (const Case& c : {Case{"\xC9\xE9\xF6", "JOS\xC9", "JOS\xC9"}, Case{"\xC9\xE9\xF6", "jos\xE9", "JOS\xC9"},
                          Case{"\xE9\xF6", "jos\xE9", "JOS\xE9"}, Case{"\xE9\xF6", "JOS\xC9", "JOS"},
                          Case{"\xE9\xF6", "\xF6\xFF\xDF!", "\xF6!"}}) {
        SCOPED_TRACE(c.typed);
        WindowFixture f;
        f.app.mAllowHighCharacters = true;
        f.res.SetFont("FONT_GOLD", new LettersFont(c.font));
        WindowNewProfile* window = WindowNewProfile::Instance();
        window->mNameBox->mWidth = 2000;
        f.app.mManager.AddWidget(window);
        window->GotFocus();
        window->mNameBox->SetText("");
        for (const char* p = c.typed; *p; ++p)
            f.app.mManager.KeyChar(*p);
        EXPECT_EQ(window->GetUserName(), c.name);
        f.app.mManager.RemoveWidget(window);
        delete window;
    }
}

TEST(NewProfileWindow, TheTypesAreARadioPair)
{
    WindowFixture f;
    WindowNewProfile* window = WindowNewProfile::Instance();
    EXPECT_EQ(window->GetProgressType(), 2);
    window->mTimedBox->SetChecked(true);
    EXPECT_FALSE(window->mRelaxedBox->mChecked);
    EXPECT_EQ(window->GetProgressType(), 1);
    window->mTimedBox->SetChecked(false); // unchecking the only checked one keeps it
    EXPECT_TRUE(window->mTimedBox->mChecked);
    window->mRelaxedBox->SetChecked(true);
    EXPECT_FALSE(window->mTimedBox->mChecked);
    EXPECT_EQ(f.res.TakePlayed(), std::vector<std::string>(3, "SOUND_BUTTON_CHECKBOX"));
    window->SetProgressType(1);
    EXPECT_EQ(window->GetProgressType(), 1);
    window->SetProgressType(7);
    EXPECT_EQ(window->GetProgressType(), 2);
    EXPECT_TRUE(f.res.TakePlayed().empty());
    delete window;
}

TEST(NewProfileWindow, AnswersAndTheCancelButton)
{
    WindowFixture f;
    WindowNewProfile* window = WindowNewProfile::Instance();
    EXPECT_EQ(window->mOkButton->mY, 380);
    EXPECT_EQ(window->mCancelButton->mY, 425);
    window->SetUserName("  ");
    window->ButtonDepress(0);
    window->EditWidgetText(2, "  ");
    EXPECT_EQ(window->mResult, kNone) << "blanks are no name";
    window->SetUserName("ANN");
    window->EditWidgetText(2, "ANN");
    EXPECT_EQ(window->mResult, 1);
    window->mResult = kNone;
    window->ButtonDepress(0);
    EXPECT_EQ(window->mResult, 1);
    window->ButtonDepress(1);
    EXPECT_EQ(window->mResult, 0);

    window->mResult = kNone;
    window->SetCancelVisible(false);
    EXPECT_EQ(window->mOkButton->mY, 425);
    EXPECT_EQ(window->mCancelButton->mY, 380);
    window->KeyDown(27);
    EXPECT_EQ(window->mResult, kNone) << "no way out without cancel";
    window->KeyDown(13);
    EXPECT_EQ(window->mResult, 0);
    window->SetCancelVisible(true);
    EXPECT_EQ(window->mOkButton->mY, 380);
    window->mResult = kNone;
    window->KeyDown(27);
    EXPECT_EQ(window->mResult, 0);
    delete window;
}

// Profiles in a data folder of their own.
class ProfilesTest : public ::testing::Test {
protected:
    void SetUp() override { Kivo::SetAppDataFolder(data.Path() + "/"); }
    void TearDown() override
    {
        f.app.mOnAppStep = nullptr;
        f.app.Steps(1);
        if (WindowProfiles* window = WindowProfiles::Existing())
            delete window;
        delete ProfileManager::Existing();
        Kivo::SetAppDataFolder("");
    }
    // Writes a profile into the slot and leaves nothing selected.
    static void MakeProfile(int slot, const std::string& name, int type)
    {
        ProfileManager* m = ProfileManager::Instance();
        ASSERT_TRUE(m->CreateSlot(slot));
        ASSERT_TRUE(m->SelectSlot(slot));
        SetProfileString("user_name", name);
        SetProfileInt("progress_type", type);
        SaveCurrentProfile();
        m->SelectSlot(-1);
    }
    static std::string StoredName(int slot)
    {
        Profile stored;
        return stored.Load(ProfileManager::GetSlotPath(slot)) ? stored.GetString("user_name") : "-";
    }
    // "name/type" per plate, "-" for an empty slot; with the buttons' colours.
    static std::vector<std::string> Rows(WindowProfiles* w)
    {
        std::vector<std::string> rows;
        for (int i = 0; i < 5; ++i) {
            const bool green = w->mSlotButtons[i]->IsGreen();
            rows.push_back(green ? "-" : w->mPlates[i]->mLabel + "/" + std::to_string(w->mPlates[i]->mMode));
            EXPECT_EQ(green, w->mPlates[i]->mLabel.empty() && w->mPlates[i]->mMode == 0) << i;
        }
        return rows;
    }
    // Answers the first window of type T that is up with `answer` (run on
    // it) once.
    template <class T, class F>
    void AnswerWhenUp(F answer)
    {
        f.app.mOnAppStep = [this, answer, done = false]() mutable {
            T* window = T::Existing();
            if (!done && window && window->mVisible && IsWidgetShown(window)) {
                done = true;
                answer(window);
            }
        };
    }

    testsupport::TempDir data;
    WindowFixture f;
};

TEST_F(ProfilesTest, TheListShowsTheFiveSlotsWithoutTouchingThem)
{
    MakeProfile(1, "ANN", 1);
    MakeProfile(3, "BOB", 2);
    ProfileManager* m = ProfileManager::Instance();
    ASSERT_TRUE(m->SelectSlot(1));
    SetProfileString("user_name", "ANNE"); // not saved yet
    WindowProfiles* w = WindowProfiles::Instance();
    EXPECT_EQ(Rows(w), (std::vector<std::string>{"-", "ANNE/1", "-", "BOB/2", "-"}));
    EXPECT_EQ(m->GetCurrentProfileSlot(), 1);
    EXPECT_EQ(StoredName(1), "ANN") << "the current profile is not saved by looking";
    EXPECT_EQ(w->mPlates[0]->GetRect().mY, 130);
    EXPECT_EQ(w->mPlates[1]->GetRect(), Kivo::Rect(90, 175, 280, 40));
    EXPECT_EQ(w->mSlotButtons[1]->GetRect(), Kivo::Rect(375, 175, 40, 40));
    EXPECT_EQ(w->mCloseButton->GetRect(), Kivo::Rect(174, 450, 161, 45));
}

TEST_F(ProfilesTest, DeletingTheCurrentProfileMovesOnAndIsReportedAtClose)
{
    MakeProfile(1, "ANN", 1);
    MakeProfile(3, "BOB", 2);
    ProfileManager* m = ProfileManager::Instance();
    m->SelectSlot(1);
    WindowProfiles* w = WindowProfiles::Instance();
    AnswerWhenUp<WindowConfirm>([](WindowConfirm* c) { c->KeyDown(13); });
    w->ButtonDepress(6 + 1);
    EXPECT_EQ(m->GetCurrentProfileSlot(), 3);
    EXPECT_EQ(StoredName(1), "-");
    EXPECT_EQ(Rows(w), (std::vector<std::string>{"-", "-", "-", "BOB/2", "-"}));
    w->TryClose();
    EXPECT_EQ(w->mResult, 1);
    w->mResult = kNone;
    w->TryClose();
    EXPECT_EQ(w->mResult, 0) << "reported once";

    // Declining keeps the profile.
    w->mResult = kNone;
    AnswerWhenUp<WindowConfirm>([](WindowConfirm* c) { c->KeyDown(27); });
    w->ButtonDepress(6 + 3);
    EXPECT_EQ(m->GetCurrentProfileSlot(), 3);
    // The last one: none is left, and the list stays up with a message.
    AnswerWhenUp<WindowConfirm>([](WindowConfirm* c) { c->ButtonDepress(0); });
    w->ButtonDepress(6 + 3);
    EXPECT_FALSE(m->HasProfile());
    bool told = false;
    AnswerWhenUp<WindowMessage>([&](WindowMessage* message) {
        told = message->mMessage == "message_you_have_to_create_profile";
        message->KeyDown(32);
    });
    w->KeyDown(27);
    EXPECT_TRUE(told);
    EXPECT_EQ(w->mResult, kNone);
}

TEST_F(ProfilesTest, DeletingAnotherProfileKeepsTheCurrentOne)
{
    MakeProfile(0, "ANN", 1);
    MakeProfile(2, "BOB", 2);
    ProfileManager* m = ProfileManager::Instance();
    m->SelectSlot(2);
    WindowProfiles* w = WindowProfiles::Instance();
    AnswerWhenUp<WindowConfirm>([](WindowConfirm* c) { c->KeyDown(13); });
    w->ButtonDepress(6 + 0);
    EXPECT_EQ(m->GetCurrentProfileSlot(), 2);
    w->KeyDown(13);
    EXPECT_EQ(w->mResult, 0);
}

TEST_F(ProfilesTest, AnEmptySlotGetsANewCurrentProfile)
{
    MakeProfile(1, "ANN", 1);
    ProfileManager* m = ProfileManager::Instance();
    m->SelectSlot(1);
    f.app.mAccelerated = true;
    WindowProfiles* w = WindowProfiles::Instance();
    f.app.mManager.AddWidget(w);
    bool cancelShown = false;
    bool listHidden = false;
    std::string offered;
    int offeredType = 0;
    AnswerWhenUp<WindowNewProfile>([&](WindowNewProfile* n) {
        cancelShown = n->mCancelButton->mVisible;
        listHidden = !w->mVisible;
        offered = n->GetUserName();
        offeredType = n->GetProgressType();
        n->SetUserName("CARL");
        n->mTimedBox->SetChecked(true);
        n->ButtonDepress(0);
    });
    w->ButtonDepress(6 + 4); // the green button
    EXPECT_TRUE(cancelShown);
    EXPECT_TRUE(listHidden);
    EXPECT_EQ(offered, "window_profiles_default_user_name");
    EXPECT_EQ(offeredType, 2); // relaxed
    EXPECT_EQ(m->GetCurrentProfileSlot(), 4);
    EXPECT_EQ(StoredName(4), "CARL");
    EXPECT_EQ(GetProfileInt("progress_type"), 1);
    EXPECT_EQ(Rows(w), (std::vector<std::string>{"-", "ANN/1", "-", "-", "CARL/1"}));
    // The list comes back with its appear effect.
    EXPECT_FALSE(w->mVisible);
    EXPECT_NE(w->mEffect, nullptr);
    f.app.mOnAppStep = nullptr;
    f.app.Steps(21);
    EXPECT_TRUE(w->mVisible);
    // Cancelled: nothing changes, whatever is typed into the name box while
    // the window fades out.
    f.app.mOnAppStep = [&] {
        WindowNewProfile* n = WindowNewProfile::Existing();
        if (!n || !IsWidgetShown(n))
            return;
        if (n->mResult == kNone) {
            if (n->mVisible)
                n->ButtonDepress(1);
            return;
        }
        f.app.mManager.KeyChar('x');
        f.app.mManager.KeyDown(13);
    };
    w->SlotAction(0);
    EXPECT_EQ(StoredName(0), "-");
    EXPECT_EQ(m->GetCurrentProfileSlot(), 4);
    f.app.mManager.RemoveWidget(w);
}

TEST_F(ProfilesTest, ClickingANameSelectsOrChangesIt)
{
    MakeProfile(0, "ANN", 1);
    MakeProfile(1, "BOB", 2);
    ProfileManager* m = ProfileManager::Instance();
    m->SelectSlot(0);
    Kivo::Buffer game;
    game.WriteByte(7);
    m->profile->SetBuffer(FormatStoredGameFieldKey(1), &game);
    WindowProfiles* w = WindowProfiles::Instance();
    w->ButtonDepress(1 + 1);
    EXPECT_EQ(m->GetCurrentProfileSlot(), 1);
    w->ButtonDepress(1 + 0);
    EXPECT_EQ(m->GetCurrentProfileSlot(), 0);

    // The current one: a new name keeps the stored game.
    std::string caption;
    AnswerWhenUp<WindowNewProfile>([&](WindowNewProfile* n) {
        caption = n->mDialogHeader;
        EXPECT_EQ(n->GetUserName(), "ANN");
        EXPECT_EQ(n->GetProgressType(), 1);
        n->SetUserName("ANNA");
        n->ButtonDepress(0);
    });
    w->SlotAction(0);
    EXPECT_EQ(caption, "window_changeprofile_caption");
    EXPECT_EQ(StoredName(0), "ANNA");
    ASSERT_NE(m->profile->GetBuffer(FormatStoredGameFieldKey(1)), nullptr);
    EXPECT_EQ(m->profile->GetBuffer(FormatStoredGameFieldKey(1))->GetDataLen(), 1);
    // A new type discards it.
    AnswerWhenUp<WindowNewProfile>([&](WindowNewProfile* n) {
        n->SetProgressType(2);
        n->ButtonDepress(0);
    });
    w->SlotAction(0);
    EXPECT_EQ(GetProfileInt("progress_type"), 2);
    Kivo::Buffer* stored = m->profile->GetBuffer(FormatStoredGameFieldKey(1));
    EXPECT_TRUE(!stored || stored->GetDataLen() == 0);
    EXPECT_EQ(Rows(w)[0], "ANNA/2");
}

TEST_F(ProfilesTest, TheFirstStartAsksForANameWithoutCancel)
{
    SetNewProfilePrompt(GetNewProfileWindowPrompt());
    bool cancelShown = true;
    int offeredType = 0;
    AnswerWhenUp<WindowNewProfile>([&](WindowNewProfile* n) {
        cancelShown = n->mCancelButton->mVisible;
        offeredType = n->GetProgressType();
        n->SetUserName("DORA");
        n->ButtonDepress(0);
    });
    EXPECT_TRUE(EnsureProfile());
    SetNewProfilePrompt(nullptr);
    EXPECT_FALSE(cancelShown);
    // The first start offers timed play; the profile list offers relaxed.
    EXPECT_EQ(offeredType, 1);
    EXPECT_EQ(GetProfileInt("progress_type"), 1);
    EXPECT_EQ(ProfileManager::Instance()->GetCurrentProfileSlot(), 0);
    EXPECT_EQ(StoredName(0), "DORA");
    EXPECT_EQ(WindowNewProfile::Existing(), nullptr);
}

} // namespace
