#pragma once
// A directed weighted graph over a fixed number of nodes; each node keeps its
// out- and in-edges in insertion order.
#include <cstddef>
#include <vector>

class PathGraph {
public:
    struct Node {
        int firstOut = -1, lastOut = -1, firstIn = -1, lastIn = -1;
        int outCount = 0, inCount = 0;
    };
    struct Edge {
        int from, to, weight;
        int nextOut = -1, nextIn = -1;
    };

    explicit PathGraph(int nodeCount) : mNodes(static_cast<size_t>(nodeCount)) {}

    int GetNodeCount() const { return static_cast<int>(mNodes.size()); }
    void AddEdge(int from, int to, int weight);
    const Node& GetNode(int n) const { return mNodes[static_cast<size_t>(n)]; }
    const Edge& GetEdge(int e) const { return mEdges[static_cast<size_t>(e)]; }

private:
    std::vector<Node> mNodes;
    std::vector<Edge> mEdges;
};
