#pragma once
// A priority queue of graph nodes keyed by integer distance.

class Heap {
public:
    virtual ~Heap() = default;
    // The node of the least key; the heap must not be empty.
    virtual int DeleteMin() = 0;
    virtual void Insert(int node, int key) = 0;
    virtual void DecreaseKey(int node, int key) = 0;
    virtual int Size() const = 0;
};
