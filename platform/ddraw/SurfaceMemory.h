#pragma once
// What the software Direct3D device reads of the DirectDraw stand-in's
// surfaces: their memory without a Lock (so a device draw neither counts as
// nor fails by an injected Lock fault), and textures as 0xAARRGGBB texels.
#include "platform/ddraw/DDraw.h"

#include <cstdint>

namespace platform {

struct SurfaceMemory {
    uint8_t* pixels = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
    DDPIXELFORMAT format {};
    DWORD caps = 0;
};

bool GetSurfaceMemory(IDirectDrawSurface7* surface, SurfaceMemory& out);
// width x height texels 0xAARRGGBB, row after row; a channel of n bits is
// widened by repeating its bits, a format without alpha reads alpha 255 and
// palettised texels read their palette entry (peFlags as alpha). Valid until
// the surface is next locked, drawn into or given another palette.
const uint32_t* GetSurfaceTexels(IDirectDrawSurface7* surface);
// Counts and logs a call of the stand-in; the injected result when due.
HRESULT DDrawEnter(const char* method);

} // namespace platform
