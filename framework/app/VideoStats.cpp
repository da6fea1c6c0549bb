#include "framework/app/VideoStats.h"

#include "framework/app/KivoAppBase.h"
#include "framework/core/Strings.h"
#include "framework/display/D3DInterface.h"
#include "framework/display/D3DTester.h"
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
    if (!tester || !tester->mFailureReason.empty())
        return "Unsupported";
    return tester->mWarning.empty() ? "Recommended" : "Supported";
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

    // The texture data of the images that are drawn through Direct3D.
    static const int kFormats[] = { kA8R8G8B8, kA4R4G4B4, kR5G6B5, kPalette8 };
    int64_t textureBytes = 0, formatBytes[4] = {};
    int formatCount[4] = {};
    if (display && display->mD3DInterface)
        for (MemoryImage* image : display->mD3DInterface->mTexturedImages)
            if (const auto* data = static_cast<const TextureData*>(image->mD3DData)) {
                textureBytes += data->textureMemory;
                for (int i = 0; i < 4; ++i)
                    if (data->format == kFormats[i]) {
                        ++formatCount[i];
                        formatBytes[i] += data->textureMemory;
                    }
            }

    std::string text = StrFormat("3D-Mode is %s (3D is %s on this system)\r\n\r\n",
                                 display && display->mIs3D ? "On" : "Off", D3DState(display));
    text += StrFormat("Num Images: %d\r\n", int(app.memoryImageSet.size()));
    text += StrFormat("Num Sounds: %d\r\n", app.soundManager ? app.soundManager->GetNumSounds() : 0);
    text += StrFormat("Video Memory: %s/%s KB\r\n", KB(used).c_str(), KB(total).c_str());
    text += StrFormat("Texture Memory: %s KB\r\n", KB(textureBytes).c_str());
    for (int i = 0; i < 4; ++i)
        text += StrFormat("%s: %d - %s KB\r\n", TextureFormatName(kFormats[i]), formatCount[i],
                          KB(formatBytes[i]).c_str());
    return text;
}

void DumpProgramInfo(KivoAppBase& app)
{
    app.MsgBox(GetProgramInfo(app), "Video Stats", MB_OK);
}

} // namespace Kivo
