#include "game/match/Board.h"
#include "game/match/BoardListener.h"
#include "game/match/GameBackground.h"
#include "game/match/Grid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TestBoard : public Board {
public:
    int mouseX = 0, mouseY = 0;

    // The mouse over the centre of a cell.
    void Over(int x, int y)
    {
        mouseX = static_cast<int>(Grid::Instance()->CellToScreenX(x));
        mouseY = static_cast<int>(Grid::Instance()->CellToScreenY(y));
    }

protected:
    bool GetMousePos(int& x, int& y) const override
    {
        x = mouseX;
        y = mouseY;
        return true;
    }
};

class Log : public BoardListener {
public:
    explicit Log(Board& board) : mBoard(board) {}
    void RotateStart(bool a) override { Add("start " + std::to_string(a) + " " + std::to_string(mBoard.GetQuarterTurns())); }
    void RotateDone(bool a) override { Add("done " + std::to_string(a) + " " + std::to_string(mBoard.GetQuarterTurns())); }
    void SetFieldOffset(float angle, float scale) override
    {
        lastAngle = angle;
        lastScale = scale;
    }
    void SetFieldAlpha(float) override {}
    void BoardEnter() override { Add("board enter"); }
    void BoardLeave() override { Add("board leave"); }
    void CellEnter(int x, int y) override { Add("enter", x, y); }
    void CellLeave(int x, int y) override { Add("leave", x, y); }
    void CellDown(int x, int y, int b) override { Add("down", x, y, b); }
    void CellDrag(int a, int b, int c, int d) override { Add("drag", a, b, c, d); }
    void BoardMouseUp(int x, int y) override { Add("up", x, y); }

    template <typename... Args>
    void Add(const std::string& name, Args... args)
    {
        std::string s = name;
        ((s += " " + std::to_string(args)), ...);
        events.push_back(s);
    }
    using Events = std::vector<std::string>;
    Events events;
    float lastAngle = -1, lastScale = -1;

private:
    Board& mBoard;
};

struct BoardFixture : ::testing::Test {
    BoardFixture()
    {
        board.mListener = &log;
        board.Show(true, false);
    }
    void Settle()
    {
        for (int i = 0; i < 1000 && board.IsRotating(); ++i)
            board.UpdateF(1);
    }
    TestBoard board;
    Log log{ board };
};

TEST_F(BoardFixture, MovingAcrossCellsEntersAndLeavesInOrder)
{
    board.MouseEnter();
    for (int x = 0; x < 3; ++x) {
        board.Over(x, 4);
        board.MouseMove(0, 0);
        board.MouseMove(0, 0); // the same cell again: nothing
    }
    board.MouseLeave();
    EXPECT_EQ(log.events, (Log::Events{ "board enter", "enter 0 4", "leave 0 4", "enter 1 4", "leave 1 4",
                                        "enter 2 4", "leave 2 4", "board leave" }));
    // After leaving, coming back onto the same cell enters it again.
    log.events.clear();
    board.MouseMove(0, 0);
    EXPECT_EQ(log.events, (Log::Events{ "enter 2 4" }));
}

TEST_F(BoardFixture, DragDownAndUp)
{
    board.Over(1, 1);
    board.MouseMove(0, 0);
    board.MouseDownButton(0, 0, 0, 1);
    board.Over(2, 1);
    board.MouseDrag(0, 0);
    board.MouseUpButton(0, 0, 0, 1);
    board.mouseX = 10;
    board.mouseY = 10;
    board.MouseUpButton(-5, 7, 0, 1);
    EXPECT_EQ(log.events, (Log::Events{ "enter 1 1", "down 1 1 0", "drag 1 1 2 1", "up 2 1", "up 5 -7" }));
}

TEST_F(BoardFixture, NoCellEventsWhileTurningOrHidden)
{
    board.Over(1, 1);
    board.RotateTo(1, true);
    EXPECT_TRUE(board.IsRotating());
    board.MouseMove(0, 0);
    board.MouseDownButton(0, 0, 0, 1);
    board.UpdateF(1);
    board.MouseUpButton(0, 0, 0, 1);
    EXPECT_TRUE(log.events.empty());
    Settle();
    log.events.clear();
    board.Show(false, false);
    board.MouseDownButton(0, 0, 0, 1);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(BoardFixture, QuarterTurnsComeToRestWithScaleOne)
{
    board.Over(0, 0);
    board.MouseMove(0, 0);
    log.events.clear();
    for (int q = 1; q <= 4; ++q) {
        board.RotateTo(q, true);
        Settle();
        EXPECT_EQ(log.lastScale, 1.0f) << q;
        EXPECT_FLOAT_EQ(log.lastAngle, static_cast<float>(q % 4) * 1.5707963f) << q;
        EXPECT_EQ(board.mScale, 1.0f);
    }
    EXPECT_EQ(board.mAngle, 0.0f);
    EXPECT_EQ(board.GetQuarterTurns(), 0);
    // Each turn starts with the count before it and ends with the one after;
    // the hover cell is left at the start and found again at the end.
    ASSERT_GE(log.events.size(), 6u);
    EXPECT_EQ(log.events[0], "leave 0 0");
    EXPECT_EQ(log.events[1], "board leave");
    EXPECT_EQ(log.events[2], "start 1 0");
    EXPECT_EQ(log.events[3], "done 1 1");
    EXPECT_EQ(log.events[4], "board enter");
    EXPECT_EQ(log.events[5], "enter 0 0");
}

TEST_F(BoardFixture, TurnWithoutAnimationIsImmediate)
{
    board.RotateTo(2, false);
    EXPECT_EQ(log.events, (Log::Events{ "start 0 0", "done 0 2" }));
    EXPECT_FALSE(board.IsRotating());
    EXPECT_FLOAT_EQ(board.mAngle, 3.1415926f);
    board.ResetRotation();
    EXPECT_EQ(board.GetQuarterTurns(), 0);
}

TEST(GameBackground, PictureByTownStage)
{
    const struct {
        int built;
        const char* id;
    } cases[] = {
        { 0, "IMAGE_GAME_BACKGROUND_01" }, { 3, "IMAGE_GAME_BACKGROUND_01" }, { 4, "IMAGE_GAME_BACKGROUND_02" },
        { 12, "IMAGE_GAME_BACKGROUND_04" }, { 16, "IMAGE_GAME_BACKGROUND_05" }, { 99, "IMAGE_GAME_BACKGROUND_05" },
        { -4, "IMAGE_GAME_BACKGROUND_01" },
    };
    for (const auto& c : cases)
        EXPECT_STREQ(BackgroundImageId(c.built), c.id) << c.built;
}

} // namespace
