#pragma once
// Widgets whose deletion waits until the pass that asked for it has ended.
// Each request carries the nesting depth of the main-loop pass that made it;
// a nested modal loop (a dialog waiting for its result) runs deeper passes,
// and processing at a depth deletes only what was asked for at that depth or
// deeper, so a widget that an outer pass is still using survives the nested
// loop.
#include <cstdint>
#include <vector>

namespace Kivo {

class Widget;

class SafeDeleteList {
public:
    SafeDeleteList() = default;
    SafeDeleteList(const SafeDeleteList&) = delete;
    SafeDeleteList& operator=(const SafeDeleteList&) = delete;

    // A widget that is already waiting is not queued twice.
    void Add(int32_t depth, Widget* widget);
    // Deletes, in the order of their requests, the widgets asked for at
    // `depth` or deeper. A widget's destructor may queue further widgets;
    // they wait for the next call.
    void Process(int32_t depth);
    bool Contains(const Widget* widget) const;
    bool Empty() const { return mEntries.empty(); }

private:
    struct Entry {
        int32_t mDepth;
        Widget* mWidget;
    };
    std::vector<Entry> mEntries;
};

} // namespace Kivo
