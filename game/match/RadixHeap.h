#pragma once
// A radix heap: buckets by key range for integer keys that never fall below
// the last key taken out, with edge weights up to 500000. Among equal keys
// the item that entered its present bucket first leaves first.
#include "game/match/Heap.h"

#include <cstdint>
#include <vector>

class RadixHeap : public Heap {
public:
    static constexpr int kMaxWeight = 500000;
    static constexpr int kTopBucket = 21;

    explicit RadixHeap(int nodeCount);
    ~RadixHeap() override;
    RadixHeap(const RadixHeap&) = delete;
    RadixHeap& operator=(const RadixHeap&) = delete;

    int DeleteMin() override;
    void Insert(int node, int key) override;
    void DecreaseKey(int node, int key) override;
    int Size() const override { return mCount; }
    int GetNodeCount() const { return mNodeCount; }
    // Writes the buckets to standard output; ends the process when an item
    // lies outside its bucket's bounds.
    void Dump() const;

private:
    struct Item {
        int node = -1;
        int key = 0;
        int bucket = 0;
        Item* prev = this;
        Item* next = this;
    };

    static void Unlink(Item* item);
    void LinkFront(Item* item, int bucket);
    int LowestBucketFrom(int top, int key) const;

    int mNodeCount;
    int mCount = 0;
    std::vector<Item*> mItems; // by node; null when not in the heap
    Item mHeads[kTopBucket + 1];
    int64_t mBounds[kTopBucket + 1];
};
