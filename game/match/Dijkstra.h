#pragma once
// Shortest paths from one node over a graph with non-negative integer
// weights, on a heap made by the given descriptor.
#include <vector>

class HeapDesc;
class PathGraph;

class Dijkstra {
public:
    static constexpr int kUnreached = 100000000;

    Dijkstra(const PathGraph* graph, const HeapDesc* heapDesc) : mGraph(graph), mHeapDesc(heapDesc) {}

    // Fills distances and predecessors (a node is its own predecessor until
    // it is reached).
    void Run(int source, std::vector<int>& distance, std::vector<int>& predecessor);

private:
    const PathGraph* mGraph;
    const HeapDesc* mHeapDesc;
    std::vector<char> mDone;
    std::vector<char> mInHeap;
};
