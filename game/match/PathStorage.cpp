#include "game/match/PathStorage.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/match/BrickBase.h"
#include "game/match/Dijkstra.h"
#include "game/match/FieldBase.h"
#include "game/match/Grid.h"
#include "game/match/HeapDesc.h"
#include "game/match/ImageFrames.h"
#include "game/match/PathGraph.h"
#include "game/match/RadixHeap.h"

#include <algorithm>
#include <cmath>

PathStorage::PathStorage(FieldBase* field)
    : mField(field), mArrowImage(GetImageById("IMAGE_BOARD_PATH_ARROW")),
      mArrowHalf(Grid::Instance()->GetCellSize() / 2)
{
}

void PathStorage::Reset()
{
    mLastX = mLastY = -1;
    mChain.clear();
    mPhase = 0;
    mTick = 0;
    mFrame = 0;
}

void PathStorage::Append(BrickBase* brick, int x, int y)
{
    mChain.push_back({ brick, x, y });
    mLastX = x;
    mLastY = y;
}

int PathStorage::AddCell(int x, int y, BrickBase* brick)
{
    if (!brick || brick->GetCode() == kBrickEmpty)
        return 0;
    if (mChain.empty()) {
        Append(brick, x, y);
        return 1;
    }
    if (Contains(brick, true))
        return 0;
    if (!Accepts(brick))
        return -1;
    if (Grid::Instance()->AreNeighbours(mLastX, mLastY, x, y)) {
        Append(brick, x, y);
        return 1;
    }
    return ExtendTo(x, y, brick) ? 1 : 0;
}

bool PathStorage::InChain(const BrickBase* brick) const
{
    return std::any_of(mChain.begin(), mChain.end(), [&](const Entry& e) { return e.brick == brick; });
}

bool PathStorage::Contains(const BrickBase* brick, bool cut)
{
    auto it = std::find_if(mChain.begin(), mChain.end(), [&](const Entry& e) { return e.brick == brick; });
    if (it == mChain.end())
        return false;
    if (cut) {
        if (it == mChain.begin())
            mChain.clear();
        else
            mChain.erase(it + 1, mChain.end());
        // The last cell follows the chain's end, so later steps start there.
        mLastX = mChain.empty() ? -1 : mChain.back().x;
        mLastY = mChain.empty() ? -1 : mChain.back().y;
    }
    return true;
}

bool PathStorage::Accepts(const BrickBase* brick) const
{
    int code = brick->GetCode();
    if (code == kBrickEmpty || brick->HasFlag(kBrickBox))
        return false;
    if (mChain.empty() || code == kBrickJoker)
        return true;
    int last = mChain.back().brick->GetCode();
    if (code == last || last == kBrickJoker)
        return true;
    for (auto it = mChain.rbegin(); it != mChain.rend(); ++it) {
        int c = it->brick->GetCode();
        if (c == kBrickJoker)
            break;
        if (c == code)
            return true;
    }
    return false;
}

bool PathStorage::IsLastCell(int x, int y) const
{
    return !mChain.empty() && mChain.back().x == x && mChain.back().y == y;
}

bool PathStorage::HasJoker() const
{
    return std::any_of(mChain.begin(), mChain.end(),
                       [](const Entry& e) { return e.brick->GetCode() == kBrickJoker; });
}

bool PathStorage::NextCell(int& x, int& y)
{
    if (mWalk >= mChain.size())
        return false;
    x = mChain[mWalk].x;
    y = mChain[mWalk].y;
    ++mWalk;
    return true;
}

// The cells strictly between the chain's end and (x, y) on one row or column.
bool PathStorage::StraightRun(int x, int y, BrickBase* brick)
{
    if (mChain.back().brick->GetCode() == kBrickJoker || (mLastX != x && mLastY != y))
        return false;
    int sx = x > mLastX ? 1 : x < mLastX ? -1 : 0;
    int sy = y > mLastY ? 1 : y < mLastY ? -1 : 0;
    std::vector<Entry> run;
    for (int cx = mLastX + sx, cy = mLastY + sy; cx != x || cy != y; cx += sx, cy += sy) {
        BrickBase* b = mField->GetBrick(cx, cy);
        if (b->GetCode() == kBrickEmpty || b->IsBusy() || !Accepts(b) || InChain(b))
            return false;
        run.push_back({ b, cx, cy });
    }
    for (const Entry& e : run)
        Append(e.brick, e.x, e.y);
    Append(brick, x, y);
    return true;
}

bool PathStorage::ExtendTo(int x, int y, BrickBase* brick)
{
    if (StraightRun(x, y, brick))
        return true;
    int code = mField->GetBrickCode(mLastX, mLastY);
    if (brick->GetCode() != code)
        return false;

    const Grid* grid = Grid::Instance();
    int w = mField->GetWidth();
    PathGraph graph(w * w);
    for (int cx = 0; cx < w; ++cx)
        for (int cy = 0; cy < w; ++cy) {
            BrickBase* b = mField->GetBrick(cx, cy);
            bool isLast = cx == mLastX && cy == mLastY;
            if (b->GetCode() != code || (!isLast && InChain(b)) || !Accepts(b))
                continue;
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy) {
                    int nx = cx + dx, ny = cy + dy;
                    if (!grid->AreNeighbours(cx, cy, nx, ny))
                        continue;
                    BrickBase* n = mField->GetBrick(nx, ny);
                    if (b->IsBusy() || n->IsBusy() || InChain(n) || !Accepts(n))
                        continue;
                    graph.AddEdge(cy * w + cx, ny * w + nx, 1);
                }
        }

    HeapD<RadixHeap> heapDesc;
    Dijkstra search(&graph, &heapDesc);
    std::vector<int> distance, predecessor;
    int target = y * w + x;
    search.Run(mLastY * w + mLastX, distance, predecessor);
    if (distance[static_cast<size_t>(target)] == Dijkstra::kUnreached)
        return false;
    std::vector<int> nodes;
    for (int v = target; v != predecessor[static_cast<size_t>(v)]; v = predecessor[static_cast<size_t>(v)])
        nodes.push_back(v);
    for (auto it = nodes.rbegin(); it != nodes.rend(); ++it)
        Append(mField->GetBrick(*it % w, *it / w), *it % w, *it / w);
    return true;
}

void PathStorage::AnimateArrows()
{
    AdvanceFrame(mArrowImage, mTick, mFrame);
    mPhase += 0.1f;
}

void PathStorage::DrawArrows(Kivo::Graphics& g)
{
    if (mChain.size() < 2 || !mArrowImage)
        return;
    const Grid* grid = Grid::Instance();
    int frames = FrameCount(mArrowImage);
    for (size_t i = 0; i + 1 < mChain.size(); ++i) {
        const Entry& a = mChain[i];
        const Entry& b = mChain[i + 1];
        float ax = grid->CellToScreenX(a.x), ay = grid->CellToScreenY(a.y);
        float dx = grid->CellToScreenX(b.x) - ax, dy = grid->CellToScreenY(b.y) - ay;
        // Transform angles turn counter-clockwise on the screen, whose y axis
        // points down.
        float angle = std::atan2(-dy, dx);
        float push = static_cast<float>(mArrowHalf - 1) + 3 * std::sin(mPhase + 0.5f * static_cast<float>(i));
        Kivo::Transform t;
        t.Rotate(angle);
        int frame = (mFrame + 2 * static_cast<int>(i)) % frames;
        g.DrawImageTransformSrcF(mArrowImage, t, mArrowImage->GetCelRect(frame), ax - 1 + std::cos(angle) * push,
                                 ay - std::sin(angle) * push);
    }
}
