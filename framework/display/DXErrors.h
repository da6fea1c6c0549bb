#pragma once
#include "platform/win32/WinTypes.h"

#include <string>

namespace Kivo {

// The SDK name of a DirectDraw, Direct3D or DirectSound result
// ("DDERR_SURFACELOST"); any other value as lowercase hex without padding.
std::string GetDirectXErrorString(HRESULT result);

} // namespace Kivo
