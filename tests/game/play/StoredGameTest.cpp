// The stored game: the records' exact layout, round trips through a profile
// file in every mode and quarter turn, damaged records, and the change of
// mode that carries the board over.
#include "game/play/BonusPanel.h"
#include "game/play/TimerPanel.h"
#include "tests/game/play/PlayTestSupport.h"

#include <cstring>

namespace playtest {
namespace {

// A board with something distinct in every cell: kinds, flags and codes.
LevelMap PatternBoard()
{
    LevelMap map(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            map.SetCell(x, y, static_cast<uint8_t>(1 + (x * 3 + y) % 6), (x + y) % 7 == 0 ? 0 : 1,
                        static_cast<uint32_t>((x * y) % 16), static_cast<uint32_t>((x + 2 * y) % 64));
    return map;
}

class StoredGameTest : public ScreenFixture {
protected:
    // The profile goes to its slot file and comes back from it.
    void ThroughTheFile()
    {
        ASSERT_TRUE(manager->profile->Save(ProfileManager::GetSlotPath(0)));
        auto* loaded = new Profile();
        ASSERT_TRUE(loaded->Load(ProfileManager::GetSlotPath(0)));
        delete manager->profile;
        manager->profile = loaded;
    }
    Kivo::Buffer* Blob(const std::string& key) { return manager->profile->GetBuffer(key); }
};

TEST(StoredGameRecord, ExactSizes)
{
    Kivo::Buffer progress;
    WriteProgress(progress, GameProgress{{0.5f, 1, 0, 0.25f, 1.5f}, 300, 12.5f});
    EXPECT_EQ(progress.GetDataLen(), 29);
    EXPECT_EQ(progress.data[28], 0xFE);

    const LevelMap board = PatternBoard();
    for (size_t colours : {6u, 5u}) {
        Kivo::Buffer field;
        ASSERT_TRUE(WriteStoredGame(field, board, 2, std::vector<int>(colours, 3), &board));
        EXPECT_EQ(field.GetDataLen(), static_cast<int>(2028 + colours));
        StoredGame game;
        field.SeekFront();
        ASSERT_EQ(ReadStoredGame(field, 10, game), StoredGameRead::Ok);
        EXPECT_EQ(*game.field, board);
        EXPECT_EQ(*game.levelMap, board);
        EXPECT_EQ(game.rotation, 2);
        EXPECT_EQ(game.colours.size(), colours);
    }
}

// Levels smaller than the board are played padded with gaps: their maps,
// and fields of their size, fit.
TEST(StoredGameRecord, SmallerMapsFit)
{
    for (auto [w, h] : {std::pair{8, 8}, std::pair{1, 1}, std::pair{10, 7}, std::pair{6, 10}}) {
        SCOPED_TRACE(w * 100 + h);
        LevelMap small(w, h);
        small.SetCell(w - 1, h - 1, 5, 1, 2, 3);
        for (bool smallField : {true, false}) {
            const LevelMap board = smallField ? small : PatternBoard();
            Kivo::Buffer record;
            ASSERT_TRUE(WriteStoredGame(record, board, 3, {2, 4}, &small));
            StoredGame game;
            ASSERT_EQ(ReadStoredGame(record, 10, game), StoredGameRead::Ok);
            EXPECT_EQ(*game.field, board);
            EXPECT_EQ(*game.levelMap, small);
        }
    }
}

TEST(StoredGameRecord, NegativeTimesStoreAsZero)
{
    Kivo::Buffer progress;
    WriteProgress(progress, GameProgress{{-1, 0, 0, 0, 0}, 300, -3});
    GameProgress back;
    int values = 0;
    ASSERT_TRUE(ReadProgress(progress, back, values));
    EXPECT_EQ(back.slots[0], 0);
    EXPECT_EQ(back.timeLeft, 0);
}

// Every damage a file can carry gives a refusal, never a crash.
TEST(StoredGameRecord, DamagedFieldsAreRefused)
{
    const LevelMap board = PatternBoard();
    Kivo::Buffer good;
    ASSERT_TRUE(WriteStoredGame(good, board, 1, {1, 2, 3, 4, 5}, &board));
    const std::vector<uint8_t> bytes(good.data.begin(), good.data.begin() + good.GetDataLen());
    constexpr size_t kMark = 1008, kRotation = 1009, kCount = 1010, kColours = 1011, kLength = 1016;
    auto u32 = [](std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
    auto sized = [&](uint32_t w, uint32_t h) {
        std::vector<uint8_t> b(8);
        u32(b, 0, w);
        u32(b, 4, h);
        b.resize(8 + 10 * static_cast<size_t>(w) * h, 1);
        b.push_back(0xFF);
        return b;
    };

    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        StoredGameRead expected;
    };
    const std::vector<Case> cases = {
        {"no 255 mark", [&](auto& b) { b[kMark] = 0x00; }, StoredGameRead::Broken},
        {"quarter turns 4", [&](auto& b) { b[kRotation] = 4; }, StoredGameRead::Broken},
        {"colour count 0", [&](auto& b) { b[kCount] = 0; }, StoredGameRead::Broken},
        {"colour count 11", [&](auto& b) { b[kCount] = 11; }, StoredGameRead::Broken},
        {"colour 0", [&](auto& b) { b[kColours] = 0; }, StoredGameRead::Broken},
        {"colour 11", [&](auto& b) { b[kColours + 2] = 11; }, StoredGameRead::Broken},
        {"short colour list", [&](auto& b) { b.resize(kColours + 3); }, StoredGameRead::Broken},
        {"vector beyond the data", [&](auto& b) { u32(b, kLength, 0x7FFFFFF0); }, StoredGameRead::Broken},
        {"vector length 0", [&](auto& b) { u32(b, kLength, 0); }, StoredGameRead::Broken},
        {"bit size beyond the vector", [&](auto& b) { u32(b, b.size() - 5, 8 * 1008 + 1); }, StoredGameRead::Broken},
        {"bit size short of the map", [&](auto& b) { u32(b, b.size() - 5, 8 * 500); }, StoredGameRead::Broken},
        {"no end mark", [&](auto& b) { b.back() = 0x00; }, StoredGameRead::Broken},
        {"cut before the end mark", [&](auto& b) { b.pop_back(); }, StoredGameRead::Broken},
        {"0 x 0 map", [&](auto& b) { b = sized(0, 0); }, StoredGameRead::NoField},
        {"11 x 11 map", [&](auto& b) { b = sized(11, 11); }, StoredGameRead::Broken},
        {"1000 x 1000 map", [&](auto& b) { b = sized(1000, 1000); b.resize(100); }, StoredGameRead::NoField},
        {"10 x 11 map", [&](auto& b) { b = sized(10, 11); }, StoredGameRead::Broken},
        {"empty", [&](auto& b) { b.clear(); }, StoredGameRead::NoField},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> b = bytes;
        c.damage(b);
        Kivo::Buffer in;
        in = b;
        in.bitSize = static_cast<int32_t>(b.size() * 8);
        StoredGame game;
        EXPECT_EQ(ReadStoredGame(in, 10, game), c.expected) << c.what;
        EXPECT_FALSE(game.field) << c.what;
    }
    // The level map's own sides are checked too.
    Kivo::Buffer odd;
    const LevelMap large(11, 11);
    ASSERT_TRUE(WriteStoredGame(odd, board, 0, {1}, &large));
    StoredGame game;
    EXPECT_EQ(ReadStoredGame(odd, 10, game), StoredGameRead::Broken);
    // A record written without a level map is refused.
    Kivo::Buffer none;
    ASSERT_TRUE(WriteStoredGame(none, board, 0, {1}, nullptr));
    EXPECT_EQ(ReadStoredGame(none, 10, game), StoredGameRead::Broken);
}

TEST_F(StoredGameTest, RoundTripThroughTheProfileFileInEveryModeAndTurn)
{
    for (int type : {1, 2, 3}) {
        for (int turns = 0; turns < 4; ++turns) {
            SCOPED_TRACE(type * 10 + turns);
            SetProfileInt("game_type", type);
            Enter();
            const LevelMap board = PatternBoard();
            Play()->mFile = board;
            screen->mBoard->RotateTo(turns, false);
            ASSERT_EQ(Play()->GetRotation(), turns);
            screen->mBonusPanel->SetSlotProgress(3, 0.625f, false);
            screen->mTimerPanel->SetTimeLeft(123.5f);
            const std::vector<int> colours = Play()->mColours;
            LevelMap field(10, 10);
            Play()->StoreLevelMap(field);
            DropScreen(); // stores the game and the progress
            const std::string key = FormatStoredGameFieldKey(type);
            ASSERT_TRUE(Blob(key));
            EXPECT_EQ(Blob(key)->GetDataLen(), type == 1 ? 2034 : 2033);
            EXPECT_EQ(Blob("game_progress")->GetDataLen(), 29);
            ThroughTheFile();

            log.clear();
            Open();
            ASSERT_TRUE(Play());
            EXPECT_FALSE(Has(log, "PrepareLevelMap")); // restored, not started afresh
            EXPECT_EQ(Play()->mFile, board);
            EXPECT_EQ(Play()->GetRotation(), turns);
            EXPECT_EQ(((screen->mBoard->GetQuarterTurns() % 4) + 4) % 4, turns);
            EXPECT_EQ(Play()->mColours, colours);
            LevelMap again(10, 10);
            Play()->StoreLevelMap(again);
            EXPECT_EQ(again, field);
            EXPECT_FLOAT_EQ(screen->mBonusPanel->GetSlotProgress(3), 0.625f);
            EXPECT_FLOAT_EQ(screen->mTimerPanel->GetTimeLeft(), 123.5f);
            DropScreen();
            ClearStoredGame();
        }
    }
}

// A level smaller than the board comes back where it was left.
TEST_F(StoredGameTest, ASmallLevelIsRestored)
{
    std::string bytes = {0, 8, 8};
    for (int i = 0; i < 64; ++i)
        bytes += {2, static_cast<char>(i < 8 ? 3 + i % 5 : 0), 0, 0};
    data.Write("levels/level001.level", bytes);
    Enter();
    ASSERT_TRUE(screen->mLevelMap);
    ASSERT_EQ(screen->mLevelMap->GetWidth(), 8);
    LevelMap board = Play()->mFile;
    board.SetCell(3, 4, 9, 1, 0, 0);
    Play()->mFile = board;
    DropScreen();
    ThroughTheFile();

    log.clear();
    Open();
    ASSERT_TRUE(Play());
    EXPECT_FALSE(Has(log, "PrepareLevelMap"));
    EXPECT_EQ(Play()->mFile, board);
    ASSERT_TRUE(screen->mLevelMap);
    EXPECT_EQ(screen->mLevelMap->GetWidth(), 8);
    EXPECT_EQ(screen->mLevelMap->GetHeight(), 8);
}

TEST_F(StoredGameTest, DamagedStoredFieldStartsTheLevelAfresh)
{
    Enter();
    DropScreen();
    const std::string key = FormatStoredGameFieldKey(1);
    Kivo::Buffer* blob = Blob(key);
    ASSERT_TRUE(blob);
    blob->data[1010] = 0; // colour count 0
    ThroughTheFile();
    log.clear();
    Open();
    ASSERT_TRUE(Play());
    EXPECT_TRUE(Has(log, "PrepareLevelMap"));
    EXPECT_EQ(Play()->mColours.size(), 6u);
    ASSERT_TRUE(screen->mLevelMap);
}

TEST_F(StoredGameTest, TruncatedProgressKeepsWhatItHad)
{
    Kivo::Buffer progress;
    for (uint32_t v : {50000u, 100000u, 25000u})
        progress.WriteLong(static_cast<int32_t>(v));
    manager->profile->SetBuffer("game_progress", &progress);
    Enter();
    EXPECT_FLOAT_EQ(screen->mBonusPanel->GetSlotProgress(0), 0.5f);
    EXPECT_FLOAT_EQ(screen->mBonusPanel->GetSlotProgress(1), 1.0f);
    EXPECT_FLOAT_EQ(screen->mBonusPanel->GetSlotProgress(2), 0.25f);
    EXPECT_FLOAT_EQ(screen->mBonusPanel->GetSlotProgress(3), 0.0f);
    ASSERT_TRUE(Blob("game_progress"));
    EXPECT_EQ(Blob("game_progress")->GetDataLen(), 0);
    EXPECT_FALSE(screen->LoadProgress());

    // A time left beyond the total is cut to it; a total of 0 keeps the
    // fresh timer.
    struct Case {
        float total, left, wantTotal, wantLeft;
    };
    for (const Case& c : {Case{100, 500, 100, 100}, Case{0, 500, 300, 300}, Case{200, 50, 200, 50}}) {
        Kivo::Buffer record;
        WriteProgress(record, GameProgress{{}, c.total, c.left});
        manager->profile->SetBuffer("game_progress", &record);
        screen->mTimerPanel->SetTotal(300);
        EXPECT_TRUE(screen->LoadProgress());
        EXPECT_EQ(screen->mTimerPanel->GetTotal(), c.wantTotal) << c.total;
        EXPECT_EQ(screen->mTimerPanel->GetTimeLeft(), c.wantLeft) << c.total;
        EXPECT_LE(screen->mTimerPanel->BarWidth(200), 200);
    }
}

// Switching to a mode never played in the level keeps the bricks whose
// colour the level file fixed and the key; everything else is new, at any
// quarter turn.
TEST_F(StoredGameTest, SwitchToANewModeKeepsFixedColoursAndTheKey)
{
    for (int turns = 0; turns < 4; ++turns) {
        SCOPED_TRACE(turns);
        Enter();
        // The level's first row holds placeholders for its colours 0..4;
        // the game play resolved them to its colours.
        const std::vector<int> colours = Play()->mColours;
        LevelMap board = Play()->mFile;
        // One of them now holds another colour, and a key stands on the board.
        board.SetCell(2, 0, 9, 1, 0, 8);
        board.SetCell(5, 5, 12, 1, 4, 3);
        Play()->mFile = board;
        screen->mBoard->RotateTo(turns, false);

        screen->SwitchGameMode(3);
        ASSERT_EQ(Play()->GetGameType(), 3);
        EXPECT_EQ(Play()->GetRotation(), turns);
        const LevelMap& now = Play()->mFile; // the resolved new board, file orientation
        for (int x = 0; x < 10; ++x) {
            uint8_t code = 0;
            now.GetCell(x, 0, &code, nullptr, nullptr, nullptr);
            if (x == 2)
                EXPECT_EQ(code, Play()->mColours.back()) << "re-randomised";
            else
                EXPECT_EQ(code, colours[static_cast<size_t>(x % 5)]) << x;
        }
        LevelMapCell key;
        now.GetCell(5, 5, &key.code, &key.kind, &key.brickFlags, &key.cellFlags);
        EXPECT_EQ(key, (LevelMapCell{12, 1, 4, 3}));
        // Cell kinds and flags are those of the board left.
        for (int i = 0; i < 100; ++i) {
            LevelMapCell a, b;
            board.GetCell(i % 10, i / 10, &a.code, &a.kind, &a.brickFlags, &a.cellFlags);
            now.GetCell(i % 10, i / 10, &b.code, &b.kind, &b.brickFlags, &b.cellFlags);
            EXPECT_EQ(std::tie(a.kind, a.brickFlags, a.cellFlags), std::tie(b.kind, b.brickFlags, b.cellFlags)) << i;
        }
        DropScreen();
        ClearStoredGame();
        SetProfileInt("game_type", 1);
    }
}

// Back in a mode with a stored board: its colours, with the key, the cell
// kinds and the flags of the mode just left.
TEST_F(StoredGameTest, SwitchingBackRestoresThatModesColours)
{
    Enter();
    const LevelMap swapBoard = PatternBoard();
    Play()->mFile = swapBoard;
    screen->mBoard->RotateTo(1, false);
    screen->SwitchGameMode(2);
    ASSERT_EQ(Play()->GetGameType(), 2);

    // In group mode a cell is broken and the key moves.
    LevelMap groupBoard = Play()->mFile;
    LevelMapCell c;
    groupBoard.GetCell(4, 4, &c.code, &c.kind, &c.brickFlags, &c.cellFlags);
    groupBoard.SetCell(4, 4, c.code, c.kind, c.brickFlags | 8, 0);
    groupBoard.SetCell(7, 1, 12, 1, 0, 1);
    Play()->mFile = groupBoard;
    screen->mBoard->RotateTo(3, false);

    for (int round = 0; round < 3; ++round) {
        screen->SwitchGameMode(1);
        ASSERT_EQ(Play()->GetGameType(), 1);
        screen->SwitchGameMode(2);
    }
    screen->SwitchGameMode(1);
    const LevelMap& back = Play()->mFile;
    EXPECT_EQ(Play()->GetRotation(), 3);
    for (int i = 0; i < 100; ++i) {
        const int x = i % 10, y = i / 10;
        LevelMapCell want, got;
        groupBoard.GetCell(x, y, &want.code, &want.kind, &want.brickFlags, &want.cellFlags);
        back.GetCell(x, y, &got.code, &got.kind, &got.brickFlags, &got.cellFlags);
        uint8_t swapCode = 0;
        swapBoard.GetCell(x, y, &swapCode, nullptr, nullptr, nullptr);
        want.code = x == 7 && y == 1 ? 12 : swapCode;
        EXPECT_EQ(got, want) << x << "," << y;
    }
}

} // namespace
} // namespace playtest
