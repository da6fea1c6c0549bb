#include "platform/win32/Cursor.h"

#include "platform/win32/WindowState.h"

#include <vector>

namespace platform {

void ConvertCursorMasks(const uint8_t* andMask, const uint8_t* xorMask, size_t bytes, uint8_t* data, uint8_t* mask)
{
    for (size_t i = 0; i < bytes; ++i) {
        mask[i] = uint8_t(~andMask[i]);
        data[i] = uint8_t(~(andMask[i] ^ xorMask[i]));
    }
}

namespace {
struct CursorHandle {
    void* backend;
    bool system;
};
HCURSOR gCurrent = nullptr;
}

} // namespace platform

using namespace platform;

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name)
{
    const int idc = int(reinterpret_cast<uintptr_t>(name));
    if (idc <= 0 || idc > 0xFFFF)
        return nullptr;
    static std::map<int, CursorHandle> loaded;
    auto it = loaded.find(idc);
    if (it == loaded.end()) {
        void* backend = Backing().SystemCursor(idc);
        if (!backend)
            return nullptr;
        it = loaded.emplace(idc, CursorHandle { backend, true }).first;
    }
    return &it->second;
}

HCURSOR CreateCursor(HINSTANCE, int hotX, int hotY, int width, int height, const void* andMask, const void* xorMask)
{
    if (width != 32 || height != 32 || !andMask || !xorMask)
        return nullptr;
    uint8_t data[128], mask[128];
    ConvertCursorMasks(static_cast<const uint8_t*>(andMask), static_cast<const uint8_t*>(xorMask), 128, data, mask);
    void* backend = Backing().CreateCursor(data, mask, hotX, hotY);
    return backend ? new CursorHandle { backend, false } : nullptr;
}

BOOL DestroyCursor(HCURSOR cursor)
{
    auto* c = static_cast<CursorHandle*>(cursor);
    if (!c || c->system)
        return FALSE;
    if (gCurrent == cursor)
        SetCursor(nullptr);
    Backing().DestroyCursor(c->backend);
    delete c;
    return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR old = gCurrent;
    gCurrent = cursor;
    Backing().SetCursor(cursor ? static_cast<CursorHandle*>(cursor)->backend : nullptr);
    return old;
}

HCURSOR GetCursor()
{
    return gCurrent;
}
