// Writes an Ogg Vorbis file of a sine tone, for tests of the Ogg readers:
//   make_ogg_fixture <out.ogg> <rate> <channels> <frames> <tone Hz>
// It runs as its own process because libvorbis and Tremor export the same
// symbol names and cannot share one.
#include "tools/datagen/OggWriter.h"

#include <cmath>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 6)
        return 2;
    const int rate = std::atoi(argv[2]);
    const int channels = std::atoi(argv[3]);
    const long frames = std::atol(argv[4]);
    const double tone = std::atof(argv[5]);
    if (rate <= 0 || channels < 1 || channels > 2 || frames < 0)
        return 2;
    std::vector<float> samples(size_t(frames) * size_t(channels));
    for (long i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[size_t(i) * size_t(channels) + size_t(c)] = float(0.5 * std::sin(2 * M_PI * tone * double(i) / rate));
    return datagen::WriteOgg(argv[1], rate, channels, samples, 0.5f) ? 0 : 1;
}
