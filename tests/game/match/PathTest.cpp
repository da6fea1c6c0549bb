#include "MatchTestSupport.h"
#include "framework/core/Random.h"
#include "game/match/Dijkstra.h"
#include "game/match/HeapDesc.h"
#include "game/match/PathGraph.h"
#include "game/match/PathStorage.h"
#include "game/match/RadixHeap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>

namespace {

struct Cell {
    int x, y;
    bool operator==(const Cell&) const = default;
};

std::vector<Cell> Cells(PathStorage& path)
{
    std::vector<Cell> cells;
    int x = 0, y = 0;
    path.StartWalk();
    while (path.NextCell(x, y))
        cells.push_back({ x, y });
    return cells;
}

int Add(PathStorage& path, FieldBase& field, int x, int y)
{
    return path.AddCell(x, y, field.GetBrick(x, y));
}

TEST(PathStorage, ReturningToABrickCutsTheChain)
{
    TestField field;
    Paint(field, { "1111" });
    PathStorage path(&field);
    EXPECT_EQ(Add(path, field, 0, 0), 1);
    EXPECT_EQ(Add(path, field, 1, 0), 1);
    EXPECT_EQ(Add(path, field, 2, 0), 1);
    EXPECT_EQ(Add(path, field, 2, 0), 0);
    EXPECT_EQ(path.Size(), 3);
    EXPECT_EQ(Add(path, field, 1, 0), 0);
    EXPECT_EQ(Cells(path), (std::vector<Cell>{ { 0, 0 }, { 1, 0 } }));
    EXPECT_TRUE(path.IsLastCell(1, 0));
    // Back to the first of two: the chain is emptied.
    EXPECT_EQ(Add(path, field, 0, 0), 0);
    EXPECT_EQ(path.Size(), 0);
    // After a cut the chain goes on from its new end.
    EXPECT_EQ(Add(path, field, 3, 0), 1);
    EXPECT_EQ(Add(path, field, 2, 0), 1);
    EXPECT_EQ(Add(path, field, 1, 0), 1);
    EXPECT_EQ(Add(path, field, 2, 0), 0);
    EXPECT_EQ(Add(path, field, 1, 0), 1);
    EXPECT_EQ(Cells(path), (std::vector<Cell>{ { 3, 0 }, { 2, 0 }, { 1, 0 } }));
}

TEST(PathStorage, JokerLetsTheChainChangeColour)
{
    TestField field;
    Paint(field, { "1J21", "_..." });
    PathStorage path(&field);
    EXPECT_EQ(Add(path, field, 0, 1), 0); // an empty brick adds nothing
    EXPECT_EQ(Add(path, field, 0, 0), 1);
    EXPECT_EQ(Add(path, field, 1, 0), 1);
    EXPECT_TRUE(path.HasJoker());
    EXPECT_TRUE(path.Accepts(field.GetBrick(2, 0)));
    EXPECT_EQ(Add(path, field, 2, 0), 1);
    EXPECT_FALSE(path.Accepts(field.GetBrick(3, 0)));
    EXPECT_EQ(Add(path, field, 3, 0), -1);
    field.GetBrick(3, 0)->SetFlag(kBrickBox);
    EXPECT_FALSE(path.Accepts(field.GetBrick(3, 0)));
}

TEST(PathStorage, JumpDownAColumnTakesTheBricksBetween)
{
    TestField field;
    Paint(field, { "1", "1", "1", "1" });
    PathStorage path(&field);
    Add(path, field, 0, 0);
    EXPECT_EQ(Add(path, field, 0, 3), 1);
    EXPECT_EQ(Cells(path), (std::vector<Cell>{ { 0, 0 }, { 0, 1 }, { 0, 2 }, { 0, 3 } }));
}

TEST(PathStorage, JumpRoundACornerTakesTheShortestRoute)
{
    TestField field;
    // From (0, 0) to (2, 2): the straight column is broken by a blue brick.
    Paint(field, {
                     "1111",
                     "2.21",
                     "1111",
                 });
    PathStorage path(&field);
    Add(path, field, 0, 0);
    EXPECT_EQ(Add(path, field, 0, 2), 1);
    std::vector<Cell> cells = Cells(path);
    ASSERT_EQ(cells.size(), 9u); // right along the top, down the last column, back along the bottom
    EXPECT_EQ(cells.front(), (Cell{ 0, 0 }));
    EXPECT_EQ(cells[3], (Cell{ 3, 0 }));
    EXPECT_EQ(cells[4], (Cell{ 3, 1 }));
    EXPECT_EQ(cells.back(), (Cell{ 0, 2 }));

    TestField walled;
    Paint(walled, { "11.1" });
    PathStorage cut(&walled);
    Add(cut, walled, 0, 0);
    EXPECT_EQ(Add(cut, walled, 3, 0), 0);
    EXPECT_EQ(cut.Size(), 1);
}

TEST(PathStorage, ResetAndArrowAnimation)
{
    TestField field;
    Paint(field, { "11" });
    PathStorage path(&field);
    Add(path, field, 0, 0);
    Add(path, field, 1, 0);
    path.AnimateArrows();
    path.Reset();
    EXPECT_EQ(path.Size(), 0);
    EXPECT_EQ(path.GetArrowFrame(), 0);
    EXPECT_FALSE(path.IsLastCell(1, 0));
}

// Dijkstra on the radix heap against Bellman-Ford on random graphs.
TEST(Dijkstra, MatchesBellmanFord)
{
    Kivo::SeedRandomInt(7);
    for (int round = 0; round < 20; ++round) {
        int n = 2 + Kivo::RandomInt(0, 40);
        PathGraph graph(n);
        std::vector<std::tuple<int, int, int>> edges;
        int m = Kivo::RandomInt(0, n * 4);
        for (int i = 0; i < m; ++i) {
            int a = Kivo::RandomInt(0, n - 1), b = Kivo::RandomInt(0, n - 1);
            int w = Kivo::RandomInt(0, round % 2 ? 5 : 500000);
            graph.AddEdge(a, b, w);
            edges.emplace_back(a, b, w);
        }
        std::vector<long long> expect(static_cast<size_t>(n), Dijkstra::kUnreached);
        expect[0] = 0;
        for (int pass = 0; pass < n; ++pass)
            for (auto [a, b, w] : edges)
                if (expect[static_cast<size_t>(a)] != Dijkstra::kUnreached)
                    expect[static_cast<size_t>(b)] = std::min(expect[static_cast<size_t>(b)], expect[static_cast<size_t>(a)] + w);
        HeapD<RadixHeap> desc;
        Dijkstra search(&graph, &desc);
        std::vector<int> distance, predecessor;
        search.Run(0, distance, predecessor);
        for (int v = 0; v < n; ++v) {
            EXPECT_EQ(distance[static_cast<size_t>(v)], expect[static_cast<size_t>(v)]) << round << " " << v;
            int p = predecessor[static_cast<size_t>(v)];
            if (v != 0 && distance[static_cast<size_t>(v)] != Dijkstra::kUnreached) {
                EXPECT_NE(p, v);
            }
        }
    }
}

TEST(RadixHeap, EqualKeysLeaveInOrderOfEntryAndEmptyHeapGivesNoNode)
{
    RadixHeap heap(10);
    heap.Insert(3, 5);
    heap.Insert(4, 5);
    heap.Insert(5, 2);
    heap.DecreaseKey(4, 1);
    EXPECT_EQ(heap.Size(), 3);
    EXPECT_EQ(heap.DeleteMin(), 4);
    EXPECT_EQ(heap.DeleteMin(), 5);
    EXPECT_EQ(heap.DeleteMin(), 3);
    EXPECT_EQ(heap.Size(), 0);
    EXPECT_EQ(heap.DeleteMin(), -1);
}

// Equal keys present together: the search of a higher bucket keeps the
// item that entered first, and bucket 1 gives up its oldest entry first, so
// items moved down, inserted or decreased into it later leave later.
TEST(RadixHeap, TiesLeaveInTheOrderTheyEnteredTheirBucket)
{
    RadixHeap heap(10);
    heap.Insert(3, 7);
    heap.Insert(4, 7);
    heap.Insert(5, 7);
    heap.Insert(6, 9);
    EXPECT_EQ(heap.DeleteMin(), 3);
    heap.Insert(7, 7);
    heap.DecreaseKey(6, 7);
    EXPECT_EQ(heap.DeleteMin(), 4);
    EXPECT_EQ(heap.DeleteMin(), 5);
    EXPECT_EQ(heap.DeleteMin(), 7);
    EXPECT_EQ(heap.DeleteMin(), 6);
    EXPECT_EQ(heap.Size(), 0);
}

} // namespace
