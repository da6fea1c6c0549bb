#include "framework/app/VideoStats.h"

#include "framework/app/KivoAppBase.h"
#include "framework/core/Strings.h"
#include "framework/display/DDInterface.h"
#include "framework/sound/SoundManager.h"
#include "platform/win32/MessageBox.h"

#include <algorithm>
#include <climits>

namespace Kivo {

namespace {

std::string KB(int64_t bytes)
{
    return CommaSeparate(int(std::min<int64_t>(bytes / 1024, INT32_MAX)));
}

const char* D3DState(const DDInterface* display)
{
    const D3DTester* tester = display ? display->mD3DTester : nullptr;
    if (!tester || tester->mFailed)
        return "Unsupported";
    return tester->mResultA == 0 && tester->mResultB == 0 ? "Recommended" : "Supported";
}

} // namespace

std::string GetProgramInfo(KivoAppBase& app)
{
    DDInterface* display = app.ddInterface;
    DWORD total = 0;
    DWORD free = 0;
    if (display && display->mDD7) {
        DDSCAPS2 caps {};
        caps.dwCaps = DDSCAPS_VIDEOMEMORY;
        if (FAILED(display->mDD7->GetAvailableVidMem(&caps, &total, &free)))
            total = free = 0;
    }
    const int64_t used = total >= free ? int64_t(total) - int64_t(free) : 0;

    // Images only gain texture data from a Direct3D device, which this
    // display does not make: every texture count is 0.
    static const char* const kFormats[] = { "A8R8G8B8", "A4R4G4B4", "R5G6B5", "Palette8" };
    const int64_t textureBytes = 0;

    std::string text = StrFormat("3D-Mode is %s (3D is %s on this system)\r\n\r\n",
                                 display && display->mIs3D ? "On" : "Off", D3DState(display));
    text += StrFormat("Num Images: %d\r\n", int(app.memoryImageSet.size()));
    text += StrFormat("Num Sounds: %d\r\n", app.soundManager ? app.soundManager->GetNumSounds() : 0);
    text += StrFormat("Video Memory: %s/%s KB\r\n", KB(used).c_str(), KB(total).c_str());
    text += StrFormat("Texture Memory: %s KB\r\n", KB(textureBytes).c_str());
    for (const char* format : kFormats)
        text += StrFormat("%s: %d - %s KB\r\n", format, 0, KB(0).c_str());
    return text;
}

void DumpProgramInfo(KivoAppBase& app)
{
    app.MsgBox(GetProgramInfo(app), "Video Stats", MB_OK);
}

} // namespace Kivo
