#include "game/meta/HintsHelper.h"
#include "game/meta/HintsManager.h"
#include "game/meta/WindowArrowHint.h"
#include "tests/framework/sound/AudioHostDouble.h"
#include "tests/game/meta/TownTestSupport.h"
#include "tests/game/meta/WindowTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string HintsXml(int count)
{
    std::string xml = "<hints>";
    for (int i = 0; i < count; ++i)
        xml += "<hint id=\"h" + std::to_string(i) + "\"><text text=\"hint " + std::to_string(i) + "\"/></hint>";
    return xml + "</hints>";
}

class HintsTest : public ::testing::Test {
protected:
    void Load(const std::string& xml) { ASSERT_TRUE(HintsManager::Instance()->LoadXml(xml)); }
    void TearDown() override
    {
        delete HintsHelper::Existing();
        delete HintsManager::Existing();
    }
    HintsHelper* helper() { return HintsHelper::Instance(); }
    uint32_t Mask(int n) { return static_cast<uint32_t>(GetProfileInt(n == 1 ? "hints_mask1" : "hints_mask2")); }

    towntest::CurrentProfile profile;
    soundtest::AudioHostDouble app;
};

TEST_F(HintsTest, ShownBitsLiveInTwoProfileMasks)
{
    Load(HintsXml(70));
    helper()->SetShown(40);
    EXPECT_EQ(Mask(1), 0u);
    EXPECT_EQ(Mask(2), 1u << 8);
    EXPECT_TRUE(helper()->IsShown(40));
    EXPECT_FALSE(helper()->IsShown(39));

    // Bit 31 goes through a signed profile int and back.
    helper()->SetShown(31);
    EXPECT_EQ(Mask(1), 0x80000000u);
    EXPECT_TRUE(helper()->IsShown(31));
    helper()->ClearShown(31);
    EXPECT_EQ(Mask(1), 0u);
    EXPECT_EQ(Mask(2), 1u << 8);

    // Beyond the 64 bits and outside the file every index counts as shown
    // and nothing is written.
    for (int index : {64, 69, 70, -1})
        EXPECT_TRUE(helper()->IsShown(index)) << index;
    helper()->SetShown(64);
    EXPECT_EQ(Mask(2), 1u << 8);
}

TEST_F(HintsTest, WithoutAProfileEveryHintReadsUnshownAndWritesAreLost)
{
    Load(HintsXml(3));
    Profile* kept = profile.manager->profile;
    profile.manager->profile = nullptr;
    helper()->SetHintShown("h1");
    EXPECT_FALSE(helper()->IsHintShown("h1"));
    profile.manager->profile = kept;
    EXPECT_EQ(Mask(1), 0u);
}

TEST_F(HintsTest, IdsMapToTheirIndices)
{
    Load(HintsXml(3));
    helper()->SetHintShown("h2");
    EXPECT_EQ(Mask(1), 4u);
    EXPECT_TRUE(helper()->IsHintShown("unknown"));
    helper()->SetHintShown("unknown");
    helper()->ClearHintShown("h2");
    EXPECT_EQ(Mask(1), 0u);
}

TEST_F(HintsTest, LoaderReadsTextsPicturesAndIndices)
{
    // No resources are loaded, so a text id reads as empty: that it
    // replaced the literal shows that the id won.
    Load("<hints>"
         "<hint id=\"both\"><text text=\"literal\" id=\"some_text_id\"/></hint>"
         "<hint id=\"literal\"><text text=\"kept\" id=\"\"/><image id=\"\"/></hint>"
         "<other id=\"ignored\"/>"
         "<hint><text text=\"no id\"/></hint>"
         "<hint id=\"dup\"><text text=\"first\"/></hint>"
         "<hint id=\"dup\"><text text=\"second\"/></hint>"
         "<hint id=\"last\"/>"
         "</hints>");
    HintsManager* hints = HintsManager::Instance();
    HintsManager::Hint hint;
    ASSERT_TRUE(hints->Find("both", &hint));
    EXPECT_EQ(hint.text, "");
    EXPECT_EQ(hint.index, 0);
    ASSERT_TRUE(hints->Find("literal", &hint));
    EXPECT_EQ(hint.text, "kept");
    EXPECT_EQ(hint.image, nullptr);
    EXPECT_EQ(hint.index, 1);
    ASSERT_TRUE(hints->Find("dup", &hint));
    EXPECT_EQ(hint.text, "second");
    EXPECT_EQ(hint.index, 4);
    ASSERT_TRUE(hints->Find("last", &hint));
    EXPECT_EQ(hint.index, 5);
    EXPECT_FALSE(hints->Find("last", nullptr));
    EXPECT_FALSE(hints->Find("ignored", &hint));
    EXPECT_EQ(hints->GetCount(), 4);

    // The last hint's bit works although the indices run past the count.
    EXPECT_FALSE(helper()->IsHintShown("last"));
    helper()->SetHintShown("last");
    EXPECT_TRUE(helper()->IsHintShown("last"));
    EXPECT_EQ(Mask(1), 1u << 5);
    // The dropped first "dup" (index 3) and the hint without an id (2)
    // keep nothing unshown.
    helper()->SetHintShown("literal");
    helper()->SetHintShown("dup");
    EXPECT_FALSE(helper()->HasUnshownHints());
}

TEST_F(HintsTest, DamagedFilesLeaveNoHints)
{
    for (const char* text : {"", "<hints>", "<hint id=\"a\"/>", "<<<", "<hints><hint id=\"a\"></hints>"}) {
        EXPECT_FALSE(HintsManager::Instance()->LoadXml(text)) << text;
        EXPECT_EQ(HintsManager::Instance()->GetCount(), 0);
        EXPECT_TRUE(helper()->IsHintShown("a"));
        EXPECT_FALSE(helper()->HasUnshownHints());
    }
}

TEST_F(HintsTest, TheFirstHintDoesNotCountAsUnshown)
{
    Load(HintsXml(1));
    EXPECT_FALSE(helper()->HasUnshownHints());
    Load(HintsXml(2));
    EXPECT_TRUE(helper()->HasUnshownHints());
    helper()->SetShown(1);
    EXPECT_FALSE(helper()->HasUnshownHints());
}

TEST_F(HintsTest, HintsComeAtLeastAThousandUpdatesApart)
{
    Load(HintsXml(3));
    app.updateCount = 5000;
    EXPECT_TRUE(helper()->CanShowHint());
    helper()->ShowHint("h1", 100, 100, 0);
    EXPECT_TRUE(helper()->IsHintShown("h1"));
    EXPECT_EQ(helper()->lastHintTime, 5000u);

    app.updateCount = 5999;
    EXPECT_FALSE(helper()->CanShowHint());
    helper()->ShowHint("h2", 100, 100, 0);
    EXPECT_FALSE(helper()->IsHintShown("h2"));
    app.updateCount = 6000;
    EXPECT_TRUE(helper()->CanShowHint());

    // Across the counter's wrap.
    helper()->lastHintTime = 0xFFFFFF00u;
    app.updateCount = 500;
    EXPECT_FALSE(helper()->CanShowHint());
    app.updateCount = 1000 - 256;
    EXPECT_TRUE(helper()->CanShowHint());

    helper()->lastHintTime = static_cast<uint32_t>(app.updateCount);
    EXPECT_FALSE(helper()->CanShowHint());
    helper()->ResetHintWindow();
    EXPECT_TRUE(helper()->CanShowHint());
}

} // namespace

namespace {

// A hint shown through its window: the window is answered from inside its
// modal wait, where what the helper says is recorded.
TEST_F(HintsTest, ShowingOpensThePictureOrTextWindowOnceAndNoneOverIt)
{
    windowtest::WindowFixture windows;
    windowtest::AddHintPictures(windows.res);
    Load("<hints><hint id=\"first\"/>"
         "<hint id=\"pictured\"><image id=\"IMAGE_UI_CHECKBOX\"/><text text=\"With a picture\"/></hint>"
         "<hint id=\"plain\"><text text=\"Text only\"/></hint></hints>");
    std::vector<std::string> seen;
    windows.app.mOnAppStep = [&] {
        for (WindowArrowHintBase* w : {static_cast<WindowArrowHintBase*>(WindowArrowHint::Existing()),
                                       static_cast<WindowArrowHintBase*>(WindowArrowHint2::Existing())}) {
            if (w && IsWidgetShown(w) && w->mPendingResult == Kivo::Dialog::kNoResult) {
                seen.push_back(std::to_string(w->mId) + (helper()->CanShowHint() ? " can" : " cannot"));
                // A hint asked for meanwhile does not open.
                app.updateCount += 5000;
                helper()->ShowHint("plain", 10, 10, 0);
                w->KeyDown(27);
            }
        }
    };
    app.updateCount = 100;
    helper()->ShowHint("pictured", 400, 300, 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"113 cannot"}));
    EXPECT_TRUE(helper()->IsHintShown("pictured"));
    EXPECT_FALSE(helper()->IsHintShown("plain"));
    EXPECT_EQ(helper()->lastHintTime, static_cast<uint32_t>(app.updateCount));

    // Shown once per profile: asking again opens nothing.
    app.updateCount += 5000;
    helper()->ShowHint("pictured", 400, 300, 0);
    EXPECT_EQ(seen.size(), 1u);
    helper()->ShowHint("plain", 400, 300, 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"113 cannot", "114 cannot"}));
    windows.app.mOnAppStep = nullptr;
    windows.app.Steps(2);
}

} // namespace
