#include "framework/core/PakFile.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageReader.h"

#include "platform/Paths.h"

#include <png.h>

#include <csetjmp>
#include <memory>
#include <cstdio>
#include <vector>

namespace ImageLib {

namespace {

void ReadData(png_structp png, png_bytep data, png_size_t length)
{
    auto* in = static_cast<Reader*>(png_get_io_ptr(png));
    if (!in->ReadFully(data, length))
        png_error(png, "Read Error");
}

// A file that fails to load is reported by whoever asked for it, with its
// name: libpng's own messages would only add an unnamed line on stderr.
[[noreturn]] void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void QuietWarning(png_structp, png_const_charp) {}

// State that must survive a longjmp out of libpng: nothing in it has a
// destructor to skip.
struct PngRead {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Image* image = nullptr;
};

} // namespace

Image* DecodePNG(Reader& in)
{
    // On the heap: locals changed after setjmp are lost by a longjmp.
    std::unique_ptr<PngRead> state(new PngRead);
    PngRead& s = *state;
    // The version the headers came with: libpng refuses any other.
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
    if (!s.png)
        return nullptr;
    s.info = png_create_info_struct(s.png);
    if (!s.info) {
        png_destroy_read_struct(&s.png, nullptr, nullptr);
        return nullptr;
    }
    if (setjmp(png_jmpbuf(s.png))) {
        png_destroy_read_struct(&s.png, &s.info, nullptr);
        delete s.image;
        return nullptr;
    }
    png_set_user_limits(s.png, Kivo::kMaxImageSide, Kivo::kMaxImageSide);
    png_set_read_fn(s.png, &in, ReadData);
    png_read_info(s.png, s.info);

    png_set_expand(s.png);
    // 16-bit channels would not fit four bytes a pixel.
    png_set_strip_16(s.png);
    png_set_filler(s.png, 0xFF, PNG_FILLER_AFTER);
    png_set_gray_to_rgb(s.png);
    png_set_bgr(s.png);
    const int passes = png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);

    const png_uint_32 width = png_get_image_width(s.png, s.info);
    const png_uint_32 height = png_get_image_height(s.png, s.info);
    // Every row is read below, or the image is dropped.
    s.image = NewImage(width, height, false);
    if (!s.image || png_get_rowbytes(s.png, s.info) != static_cast<png_size_t>(width) * 4)
        png_error(s.png, "Unsupported size");
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(s.png, reinterpret_cast<png_bytep>(s.image->mBits + static_cast<size_t>(y) * width), nullptr);
    png_read_end(s.png, s.info);
    png_destroy_read_struct(&s.png, &s.info, nullptr);
    return s.image;
}

bool WritePNGImage(const std::string& fileName, const Image* image)
{
    FILE* volatile fp = std::fopen(platform::DiskPath(fileName).c_str(), "wb");
    if (!fp)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(fp);
        return false;
    }
    png_init_io(png, fp);
    png_color_8 sig = {};
    sig.red = sig.green = sig.blue = sig.alpha = 8;
    png_set_sBIT(png, info, &sig);
    png_set_bgr(png);
    png_set_IHDR(png, info, image->mWidth, image->mHeight, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Only the filters that are undone with plain additions: Paeth and
    // Average make loading markedly slower for a little smaller file.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE | PNG_FILTER_SUB | PNG_FILTER_UP);
    png_write_info(png, info);
    for (int y = 0; y < image->mHeight; ++y)
        png_write_row(png, reinterpret_cast<png_const_bytep>(image->mBits + static_cast<size_t>(y) * image->mWidth));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(fp) == 0;
}

} // namespace ImageLib
