// Reading a packed entry (descrambling from the mapped archive) beside a
// memcpy of the same number of bytes.
#include "framework/core/PakInterface.h"
#include "tools/pakbuild/PakWriter.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kSize = 1 << 20;

void BM_PakRead(benchmark::State& state)
{
    std::string path = "/tmp/kivo-bench-" + std::to_string(getpid()) + ".pak";
    std::ofstream(path, std::ios::binary) << pakbuild::BuildPak({ { "DATA", std::string(kSize, 'x') } });
    PakInterface pak;
    pak.AddPakFile(path);
    std::vector<char> out(kSize);
    for (auto _ : state) {
        PakFileHandle* h = pak.Open("data", "rb");
        benchmark::DoNotOptimize(pak.Read(out.data(), 1, kSize, h));
        pak.Close(h);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
    unlink(path.c_str());
}

void BM_MemcpyReference(benchmark::State& state)
{
    std::vector<char> in(kSize, 'x'), out(kSize);
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), kSize);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}

} // namespace

BENCHMARK(BM_PakRead);
BENCHMARK(BM_MemcpyReference);
