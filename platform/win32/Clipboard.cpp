#include "platform/win32/Clipboard.h"

#include "platform/gdi/Cp1252.h"

#include "platform/win32/Messages.h"
#include "platform/win32/WindowState.h"

#include <cstring>
#include <vector>

namespace {
struct GlobalBlock {
    std::vector<char> bytes;
};
bool gOpen = false;
GlobalBlock* gData = nullptr;
}

HGLOBAL GlobalAlloc(UINT, size_t bytes)
{
    auto* block = new GlobalBlock;
    block->bytes.assign(bytes, 0);
    return block;
}

LPVOID GlobalLock(HGLOBAL memory)
{
    return memory ? static_cast<GlobalBlock*>(memory)->bytes.data() : nullptr;
}

BOOL GlobalUnlock(HGLOBAL memory)
{
    return memory ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL memory)
{
    delete static_cast<GlobalBlock*>(memory);
    return nullptr;
}

BOOL OpenClipboard(HWND)
{
    if (gOpen)
        return FALSE;
    gOpen = true;
    return TRUE;
}

BOOL CloseClipboard()
{
    if (!gOpen)
        return FALSE;
    gOpen = false;
    GlobalFree(gData);
    gData = nullptr;
    return TRUE;
}

BOOL EmptyClipboard()
{
    if (!gOpen)
        return FALSE;
    platform::Backing().SetClipboard("");
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE memory)
{
    if (!gOpen || format != CF_TEXT || !memory)
        return nullptr;
    auto* block = static_cast<GlobalBlock*>(memory);
    std::string text(block->bytes.data(), strnlen(block->bytes.data(), block->bytes.size()));
    platform::Backing().SetClipboard(platform::Cp1252ToUtf8(text));
    GlobalFree(memory);
    return memory;
}

HANDLE GetClipboardData(UINT format)
{
    if (!gOpen || format != CF_TEXT)
        return nullptr;
    std::string text = platform::Utf8ToCp1252(platform::Backing().GetClipboard());
    GlobalFree(gData);
    gData = static_cast<GlobalBlock*>(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    std::memcpy(gData->bytes.data(), text.c_str(), text.size() + 1);
    return gData;
}
