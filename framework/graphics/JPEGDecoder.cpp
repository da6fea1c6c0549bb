#include "framework/graphics/Image.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageReader.h"

#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

namespace ImageLib {

namespace {

constexpr size_t kBlockSize = 4096;

struct Source {
    jpeg_source_mgr pub;
    Reader* in;
    bool started;
    JOCTET buffer[kBlockSize];
};

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void InitSource(j_decompress_ptr cinfo) { reinterpret_cast<Source*>(cinfo->src)->started = false; }

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    size_t n = src->in->Read(src->buffer, kBlockSize);
    if (n == 0) {
        if (!src->started)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        // A fake end-of-image marker ends a truncated stream.
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = n;
    src->started = true;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    if (count <= 0)
        return;
    while (count > static_cast<long>(src->pub.bytes_in_buffer)) {
        count -= static_cast<long>(src->pub.bytes_in_buffer);
        FillInputBuffer(cinfo);
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// A file that fails to load is reported by whoever asked for it, with its
// name: the library's own messages would only add unnamed lines on stderr.
void Quiet(j_common_ptr) {}

void ErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Everything a longjmp must find again lives here, on the heap.
struct JpegRead {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    Source src;
    Image* image = nullptr;
};

} // namespace

Image* DecodeJPEG(Reader& in)
{
    std::unique_ptr<JpegRead> state(new JpegRead);
    JpegRead& s = *state;
    s.cinfo.err = jpeg_std_error(&s.err.pub);
    s.err.pub.error_exit = ErrorExit;
    s.err.pub.output_message = Quiet;
    if (setjmp(s.err.jump)) {
        jpeg_destroy_decompress(&s.cinfo);
        delete s.image;
        return nullptr;
    }
    jpeg_create_decompress(&s.cinfo);
    s.src.in = &in;
    s.src.pub.init_source = InitSource;
    s.src.pub.fill_input_buffer = FillInputBuffer;
    s.src.pub.skip_input_data = SkipInputData;
    s.src.pub.resync_to_restart = jpeg_resync_to_restart;
    s.src.pub.term_source = TermSource;
    s.src.pub.bytes_in_buffer = 0;
    s.src.pub.next_input_byte = nullptr;
    s.cinfo.src = &s.src.pub;

    jpeg_read_header(&s.cinfo, TRUE);
    if (!Kivo::ImageSizeOk(s.cinfo.image_width, s.cinfo.image_height)) {
        jpeg_destroy_decompress(&s.cinfo);
        return nullptr;
    }
    jpeg_start_decompress(&s.cinfo);
    const int components = s.cinfo.output_components;
    s.image = NewImage(s.cinfo.output_width, s.cinfo.output_height);
    if (!s.image || (components != 1 && components != 3)) {
        jpeg_destroy_decompress(&s.cinfo);
        delete s.image;
        return nullptr;
    }
    const int width = s.image->mWidth;
    JSAMPARRAY row = (*s.cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&s.cinfo), JPOOL_IMAGE,
                                                  static_cast<JDIMENSION>(width * components), 1);
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        const JDIMENSION y = s.cinfo.output_scanline;
        if (jpeg_read_scanlines(&s.cinfo, row, 1) != 1)
            break;
        uint32_t* out = s.image->mBits + static_cast<size_t>(y) * width;
        const JSAMPLE* p = row[0];
        for (int x = 0; x < width; ++x, p += components) {
            const uint32_t r = p[0];
            const uint32_t g = components == 3 ? p[1] : r;
            const uint32_t b = components == 3 ? p[2] : r;
            out[x] = 0xFF000000 | (r << 16) | (g << 8) | b;
        }
    }
    jpeg_finish_decompress(&s.cinfo);
    jpeg_destroy_decompress(&s.cinfo);
    return s.image;
}

} // namespace ImageLib
