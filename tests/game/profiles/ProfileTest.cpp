#include "framework/app/KivoAppBase.h"
#include "game/profiles/Profile.h"

#include <gtest/gtest.h>

namespace {

TEST(Profile, NewPlayerValues)
{
    Kivo::KivoAppBase app;
    app.SetString("window_profiles_default_user_name", L"PLAYER");
    for (bool voice : { false, true }) {
        app.SetBoolean("voice_current", voice);
        Profile p;
        EXPECT_EQ(p.GetString("user_name"), "PLAYER");
        EXPECT_EQ(p.GetInt("progress_type"), 2);
        EXPECT_EQ(p.GetInt("game_type"), 1);
        EXPECT_EQ(p.GetInt("voice"), voice ? 1 : 0);
        for (const char* key : { "stored_game_field_1", "stored_game_field_2", "stored_game_field_3", "game_progress",
                                 "town_info" }) {
            ASSERT_NE(p.GetBuffer(key), nullptr) << key;
            EXPECT_EQ(p.GetBuffer(key)->GetDataLen(), 0) << key;
        }
        EXPECT_EQ(p.ints.size(), 12u);
    }
}

TEST(Profile, MissingValues)
{
    Profile p;
    EXPECT_EQ(p.GetString("nothing"), "");
    EXPECT_EQ(p.GetInt("nothing"), 0);
    EXPECT_EQ(p.GetIntOr("nothing", 7), 7);
    p.SetInt("zero", 0);
    EXPECT_EQ(p.GetIntOr("zero", 7), 0);
    EXPECT_EQ(p.GetBuffer("nothing"), nullptr);
}

TEST(Profile, BlobsAreCopiesAndRewound)
{
    Profile p;
    Kivo::Buffer given;
    given.WriteLong(0x01020304);
    p.SetBuffer("b", &given);
    given.WriteByte(9); // the stored copy does not follow
    Kivo::Buffer* stored = p.GetBuffer("b");
    ASSERT_NE(stored, &given);
    EXPECT_EQ(stored->GetDataLen(), 4);
    EXPECT_EQ(stored->ReadLong(), 0x01020304);
    EXPECT_EQ(p.GetBuffer("b")->ReadLong(), 0x01020304);

    // Storing a blob under its own key keeps its bytes.
    p.SetBuffer("b", p.GetBuffer("b"));
    EXPECT_EQ(p.GetBuffer("b")->ReadLong(), 0x01020304);

    p.SetBuffer("b", nullptr);
    ASSERT_NE(p.GetBuffer("b"), nullptr);
    EXPECT_EQ(p.GetBuffer("b")->GetDataLen(), 0);
}

TEST(Profile, ResetGame)
{
    Profile p;
    Kivo::Buffer b;
    b.WriteByte(1);
    for (const char* key : { "stored_game_field_2", "town_info", "game_progress" })
        p.SetBuffer(key, &b);
    for (const char* key : { "score_total", "game_current_level", "game_chipset", "score_level_bonusgame" })
        p.SetInt(key, 40);
    p.SetInt("hints_mask1", 3);
    p.SetInt("game_type", 2);
    p.ResetGame();
    for (const char* key : { "stored_game_field_2", "town_info", "game_progress" })
        EXPECT_EQ(p.GetBuffer(key)->GetDataLen(), 0) << key;
    for (const char* key : { "score_total", "game_current_level", "game_chipset", "score_level_bonusgame" })
        EXPECT_EQ(p.GetInt(key), 0) << key;
    EXPECT_EQ(p.GetInt("hints_mask1"), 3);
    EXPECT_EQ(p.GetInt("game_type"), 2);
}

} // namespace
