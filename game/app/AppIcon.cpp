#include "game/app/AppIcon.h"

#include "platform/win32/Window.h"

#include <cmath>
#include <cstdint>

void RegisterGameIcon()
{
    constexpr int kSize = 32;
    uint32_t pixels[kSize * kSize];
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float dx = x + 0.5f - 16, dy = y + 0.5f - 16;
            const float r = std::sqrt(dx * dx + dy * dy);
            uint32_t c = 0;
            if (r <= 15.5f) {
                if (r > 14.0f)
                    c = 0xFF3A2A10; // dark rim
                else if (y >= 20)
                    c = (y + x / 4) % 3 == 0 ? 0xFF5FB8B0 : 0xFF2F6F78; // water with ripples
                else
                    c = r < 7.0f ? 0xFFFFE08A : 0xFFE0A83A; // the sun and its glow
            }
            pixels[y * kSize + x] = c;
        }
    }
    platform::RegisterIcon("IDI_MAIN_ICON", pixels, kSize, kSize);
}
