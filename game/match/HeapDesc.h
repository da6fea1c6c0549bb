#pragma once
// Makes the heap a search runs on, for a graph of n nodes.
#include "game/match/Heap.h"

class HeapDesc {
public:
    virtual ~HeapDesc() = default;
    virtual Heap* NewHeap(int nodeCount) const = 0;
};

template <typename H>
class HeapD : public HeapDesc {
public:
    Heap* NewHeap(int nodeCount) const override { return new H(nodeCount); }
};
