// The confirm and message windows: answers by key and button, the button
// layout, the text band, and a second question asked from the first one.
#include "framework/graphics/Graphics.h"
#include "game/meta/WindowConfirm.h"
#include "game/meta/WindowMessage.h"
#include "tests/game/meta/WindowTestSupport.h"

#include <gtest/gtest.h>

namespace {

using windowtest::WindowFixture;
constexpr int kNone = Kivo::Dialog::kNoResult;

struct KeyCase {
    int key;
    int confirm; // result of both confirm windows while visible
    int message;
};

TEST(ConfirmWindows, KeysAnswerOnlyWhileVisible)
{
    WindowFixture f;
    for (const KeyCase& c : {KeyCase{27, 0, 0}, KeyCase{13, 1, 0}, KeyCase{32, kNone, 0}, KeyCase{65, kNone, kNone}}) {
        for (bool visible : {false, true}) {
            WindowBase* windows[] = {WindowConfirm::Instance(), WindowConfirm2::Instance(), WindowMessage::Instance()};
            const int expected[] = {c.confirm, c.confirm, c.message};
            for (int i = 0; i < 3; ++i) {
                windows[i]->SetVisible(visible);
                windows[i]->KeyDown(c.key);
                EXPECT_EQ(windows[i]->mResult, visible ? expected[i] : kNone) << c.key << " window " << i;
                delete windows[i];
            }
        }
    }
}

TEST(ConfirmWindows, ButtonsAnswerAndStandCentredSideBySide)
{
    WindowFixture f;
    WindowConfirm* confirm = WindowConfirm::Instance();
    EXPECT_EQ(confirm->GetRect(), Kivo::Rect(174, 185, 451, 230));
    EXPECT_EQ(confirm->mDialogHeader, "window_confirm_caption");
    // (451 - 101) / 2 -+ 101 / 2 -+ 10
    EXPECT_EQ(confirm->mButtonYes->GetRect(), Kivo::Rect(115, 155, 101, 39));
    EXPECT_EQ(confirm->mButtonNo->GetRect(), Kivo::Rect(235, 155, 101, 39));
    EXPECT_EQ(confirm->mButtonYes->mLabel, "window_confirm_button_yes");
    EXPECT_EQ(confirm->mButtonYes->mGlowImage, nullptr);
    confirm->ButtonDepress(0);
    EXPECT_EQ(confirm->mResult, 1);
    confirm->ButtonDepress(1);
    EXPECT_EQ(confirm->mResult, 0);
    delete confirm;

    WindowMessage* message = WindowMessage::Instance();
    EXPECT_EQ(message->mCloseButton->GetRect(), Kivo::Rect(145, 155, 161, 45));
    EXPECT_EQ(message->mCloseButton->mGlowImage, f.res.Image("IMAGE_UI_BUTTON_MASK"));
    message->ButtonDepress(0);
    EXPECT_EQ(message->mResult, 0);
    delete message;
}

// Records where text lines go on the screen (measuring draws elsewhere).
class LineFont : public windowtest::PitchFont {
public:
    explicit LineFont(Kivo::Image* screen) : screen(screen) {}
    void DrawString(Kivo::Graphics* g, int, int y, const std::string& text, const Kivo::Color&,
                    const Kivo::Rect&) override
    {
        if (g->mDestImage == screen)
            lines.push_back({y, text});
    }
    Kivo::Image* screen;
    std::vector<std::pair<int, std::string>> lines;
};

TEST(ConfirmWindows, TheTextIsCentredInTheBandAndCappedAt130)
{
    WindowFixture f;
    WindowConfirm* confirm = WindowConfirm::Instance();
    RecordingImage screen(800, 600);
    auto draw = [&](const std::string& text) {
        auto* font = new LineFont(&screen);
        f.res.SetFont("FONT_GOLD", font);
        Kivo::Graphics g(&screen);
        confirm->mMessage = text;
        confirm->Draw(&g);
        return font->lines;
    };
    // One line is as high as the font (20): (110 - 20) / 2 + 50 = 95, the
    // baseline 16 below.
    auto lines = draw("SHORT");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].first, 95 + 16);
    // Many lines: the block starts at y 40 and only what fits 130 shows.
    std::string tall;
    for (int i = 0; i < 12; ++i)
        tall += "WORDWORDWORDWORDWORDWORDWORDWORDWORD ";
    lines = draw(tall);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].first, 40 + 16);
    delete confirm;
}

TEST(ConfirmWindows, ASecondQuestionFromTheFirstOnesAnswerIsAskedAndAnsweredApart)
{
    WindowFixture f;
    int inner = kNone;
    int key = 0;
    WindowConfirm* outer = WindowConfirm::Instance();
    f.app.mOnAppStep = [&] {
        if (key) {
            f.app.mManager.KeyDown(key);
            return;
        }
        key = 13;
        WindowConfirm2* second = WindowConfirm2::Instance();
        second->mMessage = "SURE?";
        inner = ShowWindowAnimated(second, true);
        key = 27;
    };
    outer->mMessage = "REALLY?";
    EXPECT_EQ(ShowWindowAnimated(outer, true), 0);
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(f.res.TakePlayed(), (std::vector<std::string>{"SOUND_WINDOW_SHOW", "SOUND_WINDOW_SHOW"}));
    EXPECT_EQ(WindowConfirm::Existing(), nullptr);
    EXPECT_EQ(WindowConfirm2::Existing(), nullptr);
    f.app.mOnAppStep = nullptr;
    f.app.Steps(1);
}

TEST(ConfirmWindows, TheGameMessageWaitsForItsWindow)
{
    WindowFixture f;
    f.app.mAccelerated = true;
    f.app.mOnAppStep = [&] { f.app.mManager.KeyDown(32); };
    ShowGameMessage("HELLO");
    EXPECT_EQ(f.app.mAppSteps, 42);
    EXPECT_EQ(f.res.TakePlayed(), (std::vector<std::string>{"SOUND_WINDOW_SHOW", "SOUND_WINDOW_HIDE"}));
    f.app.mOnAppStep = nullptr;
    f.app.Steps(1);
}

} // namespace
