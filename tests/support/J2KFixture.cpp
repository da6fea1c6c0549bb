#include "tests/support/J2KFixture.h"

#include <openjpeg.h>

#include <cstring>
#include <stdexcept>

namespace graphicstest {

std::string MakeJ2K(int width, int height, int components, const std::vector<uint32_t>& pixels, bool jp2)
{
    std::vector<opj_image_cmptparm_t> params(components);
    for (auto& p : params) {
        std::memset(&p, 0, sizeof p);
        p.dx = p.dy = 1;
        p.w = width;
        p.h = height;
        p.prec = 8;
    }
    opj_image_t* image = opj_image_create(components, params.data(), components == 1 ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB);
    image->x1 = width;
    image->y1 = height;
    for (int i = 0; i < width * height; ++i)
        for (int k = 0; k < components; ++k)
            image->comps[k].data[i] = components == 1 ? (pixels[i] & 0xFF)
                                                      : (k == 3 ? pixels[i] >> 24 : (pixels[i] >> (16 - 8 * k)) & 0xFF);
    if (components == 4)
        image->comps[3].alpha = 1;
    opj_cparameters_t cp;
    opj_set_default_encoder_parameters(&cp);
    cp.numresolution = 1; // tiny images have no lower resolutions
    opj_codec_t* codec = opj_create_compress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    opj_setup_encoder(codec, &cp, image);

    struct Sink {
        std::string bytes;
        size_t pos = 0;
    } sink;
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE);
    opj_stream_set_user_data(stream, &sink, nullptr);
    opj_stream_set_write_function(stream, [](void* b, OPJ_SIZE_T n, void* u) -> OPJ_SIZE_T {
        auto* s = static_cast<Sink*>(u);
        if (s->pos + n > s->bytes.size())
            s->bytes.resize(s->pos + n);
        std::memcpy(&s->bytes[s->pos], b, n);
        s->pos += n;
        return n;
    });
    opj_stream_set_skip_function(stream, [](OPJ_OFF_T n, void* u) -> OPJ_OFF_T {
        auto* s = static_cast<Sink*>(u);
        s->pos += n;
        if (s->pos > s->bytes.size())
            s->bytes.resize(s->pos);
        return n;
    });
    opj_stream_set_seek_function(stream, [](OPJ_OFF_T n, void* u) -> OPJ_BOOL {
        static_cast<Sink*>(u)->pos = static_cast<size_t>(n);
        return OPJ_TRUE;
    });
    if (!opj_start_compress(codec, image, stream) || !opj_encode(codec, stream) || !opj_end_compress(codec, stream))
        throw std::runtime_error("j2k fixture");
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    return sink.bytes;
}

} // namespace graphicstest
