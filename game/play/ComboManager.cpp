#include "game/play/ComboManager.h"

#include "game/play/ComboManagerListener.h"

#include <algorithm>

void ComboManager::AddType(int id, float window, int threshold)
{
    std::erase_if(mTypes, [id](const Type& t) { return t.id == id; });
    mTypes.push_back({ id, window, -window, -1, -1, 0, threshold });
}

const ComboManager::Type* ComboManager::Find(int id) const
{
    auto it = std::find_if(mTypes.begin(), mTypes.end(), [id](const Type& t) { return t.id == id; });
    return it == mTypes.end() ? nullptr : &*it;
}

void ComboManager::Hit(int id, int x, int y)
{
    for (size_t i = 0; i < mTypes.size(); ++i) {
        Type& t = mTypes[i];
        if (t.id != id)
            continue;
        t.x = x;
        t.y = y;
        if (mClock - t.lastTime <= t.window) {
            ++t.count;
            t.lastTime = mClock;
            if (t.count >= t.threshold && mListener)
                mListener->ComboReached(id, t.count, x, y);
        } else {
            t.count = 1;
            t.lastTime = mClock;
        }
        return;
    }
}

void ComboManager::Update()
{
    mClock += 0.01f;
    for (size_t i = 0; i < mTypes.size(); ++i) {
        Type& t = mTypes[i];
        if (mClock - t.lastTime > t.window && t.count >= t.threshold) {
            int id = t.id, count = t.count, x = t.x, y = t.y;
            t.count = 0;
            if (mListener)
                mListener->ComboEnded(id, count, x, y);
        }
    }
}
