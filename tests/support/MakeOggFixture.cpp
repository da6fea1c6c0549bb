// Writes an Ogg Vorbis file of a sine tone, for tests of the Ogg readers:
//   make_ogg_fixture <out.ogg> <rate> <channels> <frames> <tone Hz>
// It runs as its own process because libvorbis and Tremor export the same
// symbol names and cannot share one.
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    if (argc != 6)
        return 2;
    FILE* out = std::fopen(argv[1], "wb");
    long rate = std::atol(argv[2]);
    int channels = std::atoi(argv[3]);
    long frames = std::atol(argv[4]);
    double tone = std::atof(argv[5]);
    if (!out)
        return 1;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.5f) != 0)
        return 1;
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&os, &page)) {
        std::fwrite(page.header, 1, page.header_len, out);
        std::fwrite(page.body, 1, page.body_len, out);
    }
    long done = 0;
    bool eos = false;
    while (!eos) {
        long n = frames - done < 1024 ? frames - done : 1024;
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, int(n));
            for (long i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = float(0.5 * std::sin(2 * M_PI * tone * double(done + i) / double(rate)));
            done += n;
        }
        vorbis_analysis_wrote(&vd, int(n));
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page)) {
                    std::fwrite(page.header, 1, page.header_len, out);
                    std::fwrite(page.body, 1, page.body_len, out);
                    eos = ogg_page_eos(&page);
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return std::fclose(out) == 0 ? 0 : 1;
}
