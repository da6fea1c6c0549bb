// The buffer's CRC beside zlib's crc32 over the same bytes, and byte-wise
// buffer writes beside a plain vector append.
#include "framework/core/Buffer.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

namespace {

Kivo::Buffer MakeBuffer(size_t n)
{
    Kivo::Buffer b;
    for (size_t i = 0; i < n; ++i)
        b.WriteByte(static_cast<uint8_t>(i * 31));
    return b;
}

void BM_BufferCheckSum(benchmark::State& state)
{
    Kivo::Buffer b = MakeBuffer(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(b.GetCheckSum(0xFFFFFFFF));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_ZlibCrc32Reference(benchmark::State& state)
{
    Kivo::Buffer b = MakeBuffer(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32(0, b.GetDataPtr(), static_cast<uInt>(b.GetDataLen())));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_BufferWriteBytes(benchmark::State& state)
{
    std::vector<uint8_t> src(static_cast<size_t>(state.range(0)), 7);
    for (auto _ : state) {
        Kivo::Buffer b;
        b.WriteNumBits(1, state.range(1)); // 0: aligned, 3: every byte spans two
        b.WriteBytes(src.data(), static_cast<int>(src.size()));
        benchmark::DoNotOptimize(b.GetDataPtr());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_VectorAppendReference(benchmark::State& state)
{
    std::vector<uint8_t> src(static_cast<size_t>(state.range(0)), 7);
    for (auto _ : state) {
        std::vector<uint8_t> v;
        for (uint8_t c : src)
            v.push_back(c);
        benchmark::DoNotOptimize(v.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_BufferCheckSum)->Arg(1 << 16);
BENCHMARK(BM_ZlibCrc32Reference)->Arg(1 << 16);
BENCHMARK(BM_BufferWriteBytes)->Args({ 1 << 16, 0 })->Args({ 1 << 16, 3 });
BENCHMARK(BM_VectorAppendReference)->Arg(1 << 16);

} // namespace
