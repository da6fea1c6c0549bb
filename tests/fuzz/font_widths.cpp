// Reads arbitrary bytes as the widths file of an old-style image font: the
// first two bytes give the strip image's width and height, the rest is the
// file. The font then measures and lays out a text.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/MemoryImage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int fd = memfd_create("widths", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    if (write(fd, data + 2, size - 2) == static_cast<ssize_t>(size - 2)) {
        Kivo::MemoryImage strip(nullptr);
        strip.Create(data[0], data[1] % 64);
        Kivo::ImageFont font(&strip, "/proc/self/fd/" + std::to_string(fd));
        const std::string text = "The quick brown fox, 0123456789 \xE9\xFF";
        if (font.StringWidth("") != 0)
            __builtin_trap();
        font.StringWidth(text);
        Kivo::MemoryImage canvas(nullptr);
        canvas.Create(64, 32);
        Kivo::Graphics g(&canvas);
        g.SetFont(&font);
        g.DrawString(text, 2, 20);
    }
    close(fd);
    return 0;
}
