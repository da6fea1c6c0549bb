#include "framework/graphics/FontHost.h"

namespace Kivo {

namespace {
FontHost* gFontHost = nullptr;
}

FontHost* GetFontHost() { return gFontHost; }

void SetFontHost(FontHost* host) { gFontHost = host; }

} // namespace Kivo
