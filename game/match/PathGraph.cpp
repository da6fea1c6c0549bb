#include "game/match/PathGraph.h"

void PathGraph::AddEdge(int from, int to, int weight)
{
    int e = static_cast<int>(mEdges.size());
    mEdges.push_back({ from, to, weight });
    Node& a = mNodes[static_cast<size_t>(from)];
    if (a.lastOut < 0)
        a.firstOut = e;
    else
        mEdges[static_cast<size_t>(a.lastOut)].nextOut = e;
    a.lastOut = e;
    ++a.outCount;
    Node& b = mNodes[static_cast<size_t>(to)];
    if (b.lastIn < 0)
        b.firstIn = e;
    else
        mEdges[static_cast<size_t>(b.lastIn)].nextIn = e;
    b.lastIn = e;
    ++b.inCount;
}
