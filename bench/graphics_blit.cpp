// Blits and a Targa decode of a 1024 x 768 picture, each next to memcpy of
// the same bytes in the same run: memcpy is the physical limit, and the
// opaque 32-bit blit is meant to stay within twice its time.
#include "core/CxError.h"
#include "graphics/CxSurf.h"
#include "graphics/QorImageFilters.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {
constexpr int kWidth = 1024, kHeight = 768;
constexpr size_t kBytes = size_t(kWidth) * kHeight * 4;

void Fill(CxDrawSurface& s)
{
    uint32_t v = 12345;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            v = v * 1664525u + 1013904223u;
            s.SetPixel(x, y, v);
        }
}

void Memcpy(benchmark::State& state, size_t bytes)
{
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void BM_Memcpy32(benchmark::State& state) { Memcpy(state, kBytes); }

void Blit(benchmark::State& state, int code)
{
    CxDrawSurface src, dst;
    src.Create(kWidth, kHeight, 32);
    dst.Create(kWidth, kHeight, 32);
    Fill(src);
    BltEffects fx{code};
    for (auto _ : state) {
        src.BltAt(&dst, 0, 0, nullptr, CX_NO_COLOR, &fx);
        benchmark::DoNotOptimize(dst.GetBits());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}

void BM_BlitOpaque32(benchmark::State& state) { Blit(state, BLT_EFFECT_NONE); }
void BM_BlitAlpha32(benchmark::State& state) { Blit(state, BLT_EFFECT_ALPHA); }

std::vector<uint8_t> TargaFile(uint32_t flags)
{
    CxDrawSurface s;
    s.Create(kWidth, kHeight, 32);
    Fill(s);
    CxRect band{0, 0, kWidth - 1, kHeight / 2};
    s.FillRect(&band, 0xFF336699);   // half flat, so that packing has runs to find
    CxImageBytes out;
    QorEncodeTGA(&s, flags, out);
    return std::vector<uint8_t>(out.Data(), out.Data() + out.Size());
}

void DecodeTarga(benchmark::State& state, uint32_t flags)
{
    std::vector<uint8_t> file = TargaFile(flags);
    for (auto _ : state) {
        CxDrawSurface s;
        QorDecodeTGA(&s, file.data(), file.size(), "bench");
        benchmark::DoNotOptimize(s.GetBits());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}

void BM_DecodeTarga32(benchmark::State& state) { DecodeTarga(state, 0); }
void BM_DecodeTarga32Packed(benchmark::State& state) { DecodeTarga(state, 1); }
}  // namespace

BENCHMARK(BM_Memcpy32);
BENCHMARK(BM_BlitOpaque32);
BENCHMARK(BM_BlitAlpha32);
BENCHMARK(BM_DecodeTarga32);
BENCHMARK(BM_DecodeTarga32Packed);
BENCHMARK_MAIN();
