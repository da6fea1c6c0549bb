#include "ImageFixtures.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>

namespace graphicstest {

namespace {

void Put16(std::string& s, int v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void PutPixel(std::string& s, uint32_t p, int depth)
{
    if (depth == 16) {
        const int r = (p >> 19) & 0x1F, g = (p >> 11) & 0x1F, b = (p >> 3) & 0x1F;
        Put16(s, (r << 10) | (g << 5) | b);
        return;
    }
    s += static_cast<char>(p & 0xFF);
    s += static_cast<char>((p >> 8) & 0xFF);
    s += static_cast<char>((p >> 16) & 0xFF);
    if (depth == 32)
        s += static_cast<char>(p >> 24);
}

} // namespace

std::string MakeTGA(int width, int height, int depth, uint8_t descriptor, const std::vector<uint32_t>& pixels, bool rle)
{
    std::string s;
    s += '\0';
    s += '\0';
    s += static_cast<char>(rle ? 10 : 2);
    s.append(9, '\0');
    Put16(s, width);
    Put16(s, height);
    s += static_cast<char>(depth);
    s += static_cast<char>(descriptor);
    if (!rle) {
        for (uint32_t p : pixels)
            PutPixel(s, p, depth);
        return s;
    }
    // Runs of equal pixels as run packets, the rest one raw packet each.
    for (size_t i = 0; i < pixels.size();) {
        size_t n = 1;
        while (i + n < pixels.size() && pixels[i + n] == pixels[i] && n < 128)
            ++n;
        if (n > 1) {
            s += static_cast<char>(0x80 | (n - 1));
        } else {
            s += '\0';
        }
        PutPixel(s, pixels[i], depth);
        i += n;
    }
    return s;
}

std::string MakeGIF(int width, int height, const std::vector<uint8_t>& indices, const std::vector<uint32_t>& palette,
                    const GifOptions& o)
{
    int bits = 1;
    while ((1u << bits) < palette.size())
        ++bits;
    std::string s = "GIF89a";
    Put16(s, width);
    Put16(s, height);
    s += static_cast<char>(o.localTable ? 0 : 0x80 | (bits - 1));
    s += '\0';
    s += '\0';
    auto table = [&] {
        for (size_t i = 0; i < (1u << bits); ++i) {
            uint32_t c = i < palette.size() ? palette[i] : 0;
            s += static_cast<char>((c >> 16) & 0xFF);
            s += static_cast<char>((c >> 8) & 0xFF);
            s += static_cast<char>(c & 0xFF);
        }
    };
    if (!o.localTable)
        table();
    s += "!\xFE\x05hello";
    s += '\0';
    if (o.transparent >= 0) {
        s += "!\xF9\x04\x01";
        s += '\0';
        s += '\0';
        s += static_cast<char>(o.transparent);
        s += '\0';
    }
    s += ',';
    Put16(s, 0);
    Put16(s, 0);
    Put16(s, width);
    Put16(s, height);
    s += static_cast<char>((o.localTable ? 0x80 | (bits - 1) : 0) | (o.interlaced ? 0x40 : 0));
    if (o.localTable)
        table();

    // Root codes only, with a clear code at `clearAt` table entries: the
    // decoder's table still grows by one entry a code until it is full, which
    // sets the width.
    const int minCode = std::max(bits, 2);
    const int clear = 1 << minCode;
    std::vector<uint8_t> data;
    uint32_t acc = 0;
    int accBits = 0;
    int width_ = minCode + 1;
    auto emit = [&](int code) {
        acc |= static_cast<uint32_t>(code) << accBits;
        accBits += width_;
        while (accBits >= 8) {
            data.push_back(static_cast<uint8_t>(acc & 0xFF));
            acc >>= 8;
            accBits -= 8;
        }
    };
    int next = clear + 2;
    bool first = true;
    emit(clear);
    for (uint8_t index : indices) {
        if (next >= o.clearAt) {
            emit(clear);
            width_ = minCode + 1;
            next = clear + 2;
            first = true;
        }
        emit(index);
        if (!first && next < 4096) {
            ++next;
            if (next == (1 << width_) && width_ < 12)
                ++width_;
        }
        first = false;
    }
    emit(clear + 1);
    if (accBits > 0)
        data.push_back(static_cast<uint8_t>(acc & 0xFF));
    s += static_cast<char>(minCode);
    for (size_t i = 0; i < data.size(); i += 255) {
        const size_t n = std::min<size_t>(255, data.size() - i);
        s += static_cast<char>(n);
        s.append(reinterpret_cast<const char*>(&data[i]), n);
    }
    s += '\0';
    s += ';';
    return s;
}

std::string MakePNG(int width, int height, const std::vector<uint32_t>& pixels, const PngOptions& o)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
        throw std::runtime_error("png fixture");
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<char*>(data), n);
        },
        nullptr);
    png_set_IHDR(png, info, width, height, o.bitDepth, o.colorType,
                 o.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const int channels = o.colorType == 6 ? 4 : o.colorType == 2 ? 3 : o.colorType == 4 ? 2 : 1;
    const int bytes = o.bitDepth / 8;
    std::vector<std::vector<uint8_t>> rows(height, std::vector<uint8_t>(width * channels * bytes));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[y * width + x];
            uint8_t v[4];
            if (channels >= 3) {
                v[0] = (p >> 16) & 0xFF;
                v[1] = (p >> 8) & 0xFF;
                v[2] = p & 0xFF;
                v[3] = p >> 24;
            } else {
                v[0] = p & 0xFF;
                v[1] = p >> 24;
            }
            for (int c = 0; c < channels; ++c)
                for (int b = 0; b < bytes; ++b)
                    rows[y][(x * channels + c) * bytes + b] = v[c];
        }
    }
    std::vector<png_bytep> pointers;
    for (auto& r : rows)
        pointers.push_back(r.data());
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string MakeJPEG(int width, int height, int components, const std::vector<uint32_t>& pixels)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = width;
    c.image_height = height;
    c.input_components = components;
    c.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(width * components);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[y * width + x];
            for (int k = 0; k < components; ++k)
                row[x * components + k] = components == 1 ? (p & 0xFF) : (p >> (16 - 8 * (k % 3))) & 0xFF;
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string out(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return out;
}

} // namespace graphicstest
