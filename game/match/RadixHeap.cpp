#include "game/match/RadixHeap.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

RadixHeap::RadixHeap(int nodeCount) : mNodeCount(nodeCount), mItems(static_cast<size_t>(std::max(nodeCount, 0)), nullptr)
{
    mBounds[0] = -1;
    for (int k = 1; k < kTopBucket; ++k)
        mBounds[k] = (int64_t(1) << (k - 1)) - 1;
    mBounds[kTopBucket] = int64_t(nodeCount) * kMaxWeight + 1;
}

RadixHeap::~RadixHeap()
{
    for (Item* item : mItems)
        delete item;
}

void RadixHeap::Unlink(Item* item)
{
    item->prev->next = item->next;
    item->next->prev = item->prev;
    item->prev = item->next = item;
}

void RadixHeap::LinkFront(Item* item, int bucket)
{
    Item* head = &mHeads[bucket];
    item->bucket = bucket;
    item->prev = head;
    item->next = head->next;
    head->next->prev = item;
    head->next = item;
}

// The lowest bucket at or below `top` whose bound is not below the key.
int RadixHeap::LowestBucketFrom(int top, int key) const
{
    int k = top;
    while (k > 0 && mBounds[k - 1] >= key)
        --k;
    return k;
}

void RadixHeap::Insert(int node, int key)
{
    Item* item = new Item;
    item->node = node;
    item->key = key;
    mItems[static_cast<size_t>(node)] = item;
    LinkFront(item, LowestBucketFrom(kTopBucket, key));
    ++mCount;
}

void RadixHeap::DecreaseKey(int node, int key)
{
    Item* item = mItems[static_cast<size_t>(node)];
    Unlink(item);
    item->key = key;
    LinkFront(item, LowestBucketFrom(item->bucket, key));
}

int RadixHeap::DeleteMin()
{
    Item* taken = nullptr;
    if (mHeads[1].next != &mHeads[1]) {
        taken = mHeads[1].prev;
        Unlink(taken);
    } else {
        int k = 2;
        while (k <= kTopBucket && mHeads[k].next == &mHeads[k])
            ++k;
        if (k > kTopBucket)
            return -1;
        Item* head = &mHeads[k];
        taken = head->prev;
        for (Item* it = taken->prev; it != head; it = it->prev)
            if (it->key < taken->key)
                taken = it;
        Unlink(taken);
        int64_t key = taken->key;
        mBounds[0] = key - 1;
        mBounds[1] = key;
        for (int j = 2; j < k; ++j)
            mBounds[j] = std::min(key + (int64_t(1) << (j - 1)) - 1, mBounds[k]);
        while (head->prev != head) {
            Item* item = head->prev;
            Unlink(item);
            LinkFront(item, LowestBucketFrom(k - 1, item->key));
        }
    }
    int node = taken->node;
    mItems[static_cast<size_t>(node)] = nullptr;
    delete taken;
    --mCount;
    return node;
}

void RadixHeap::Dump() const
{
    int top = kTopBucket;
    while (top > 0 && mHeads[top].next == &mHeads[top])
        --top;
    for (int k = top; k >= 0; --k) {
        std::printf("bucket %d[%lld]:  ", k, static_cast<long long>(mBounds[k]));
        for (const Item* it = mHeads[k].next; it != &mHeads[k]; it = it->next) {
            std::printf("%d(%d), ", it->node, it->key);
            if (it->key > mBounds[k] || (k > 0 && it->key <= mBounds[k - 1])) {
                std::printf(" error: node in wrong bucket\n");
                std::fflush(stdout);
                std::exit(1);
            }
        }
        std::printf("\n");
    }
}
