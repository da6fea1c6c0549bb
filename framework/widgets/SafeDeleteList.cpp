#include "framework/widgets/SafeDeleteList.h"

#include "framework/widgets/Widget.h"

#include <algorithm>

namespace Kivo {

void SafeDeleteList::Add(int32_t depth, Widget* widget)
{
    if (widget && Contains(widget))
        return;
    mEntries.push_back({depth, widget});
}

bool SafeDeleteList::Contains(const Widget* widget) const
{
    return std::any_of(mEntries.begin(), mEntries.end(), [&](const Entry& e) { return e.mWidget == widget; });
}

void SafeDeleteList::Process(int32_t depth)
{
    // Taken out before any deletion: destructors may add to the list.
    std::vector<Widget*> doomed;
    auto keep = std::stable_partition(mEntries.begin(), mEntries.end(),
                                      [&](const Entry& e) { return e.mDepth < depth; });
    for (auto it = keep; it != mEntries.end(); ++it)
        doomed.push_back(it->mWidget);
    mEntries.erase(keep, mEntries.end());
    for (Widget* widget : doomed)
        delete widget;
}

} // namespace Kivo
