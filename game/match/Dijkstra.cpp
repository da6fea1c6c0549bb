#include "game/match/Dijkstra.h"

#include "game/match/HeapDesc.h"
#include "game/match/PathGraph.h"

#include <memory>

void Dijkstra::Run(int source, std::vector<int>& distance, std::vector<int>& predecessor)
{
    int n = mGraph->GetNodeCount();
    distance.assign(static_cast<size_t>(n), kUnreached);
    predecessor.resize(static_cast<size_t>(n));
    for (int v = 0; v < n; ++v)
        predecessor[static_cast<size_t>(v)] = v;
    mDone.assign(static_cast<size_t>(n), 0);
    mInHeap.assign(static_cast<size_t>(n), 0);
    if (source < 0 || source >= n)
        return;
    std::unique_ptr<Heap> heap(mHeapDesc->NewHeap(n));
    distance[static_cast<size_t>(source)] = 0;
    heap->Insert(source, 0);
    mInHeap[static_cast<size_t>(source)] = 1;
    while (heap->Size() > 0) {
        int u = heap->DeleteMin();
        mInHeap[static_cast<size_t>(u)] = 0;
        mDone[static_cast<size_t>(u)] = 1;
        int du = distance[static_cast<size_t>(u)];
        for (int e = mGraph->GetNode(u).firstOut; e >= 0; e = mGraph->GetEdge(e).nextOut) {
            const PathGraph::Edge& edge = mGraph->GetEdge(e);
            size_t v = static_cast<size_t>(edge.to);
            if (mDone[v] || du + edge.weight >= distance[v])
                continue;
            distance[v] = du + edge.weight;
            predecessor[v] = u;
            if (mInHeap[v]) {
                heap->DecreaseKey(edge.to, distance[v]);
            } else {
                heap->Insert(edge.to, distance[v]);
                mInHeap[v] = 1;
            }
        }
    }
}
