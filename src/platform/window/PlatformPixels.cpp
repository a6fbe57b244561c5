#include "platform/window/PlatformPixels.h"

#include <SDL.h>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#define PLAT_PIXELS_X86 1
#include <immintrin.h>
#endif

namespace {

inline uint32_t Widen5(uint32_t v) { return v * 255 / 31; }
inline uint32_t Widen6(uint32_t v) { return 4 * v + v / 24; }

inline uint32_t WidenOne(uint32_t w, PlatPixelLayout layout)
{
    if (layout == PLAT_PIXELS_R5G6B5)
        return 0xFF000000u | Widen5(w >> 11) << 16 | Widen6((w >> 5) & 63) << 8 | Widen5(w & 31);
    return 0xFF000000u | Widen5((w >> 10) & 31) << 16 | Widen5((w >> 5) & 31) << 8 | Widen5(w & 31);
}

}  // namespace

void PlatWiden16Scalar(const uint16_t* src, uint32_t* dst, int32_t count, PlatPixelLayout layout)
{
    for (int32_t x = 0; x < count; ++x) dst[x] = WidenOne(src[x], layout);
}

#ifdef PLAT_PIXELS_X86
namespace {

__attribute__((target("avx2"))) inline __m256i Widen5Avx2(__m256i v)
{
    const __m256i times255 = _mm256_set1_epi16(255), by31 = _mm256_set1_epi16(int16_t(uint16_t(33826)));
    return _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_mullo_epi16(v, times255), by31), 4);
}

// Sixteen pixels per step; the same arithmetic as the SSE2 loop below.
__attribute__((target("avx2"))) int32_t Widen16Avx2(const uint16_t* src, uint32_t* dst, int32_t count, bool six)
{
    const __m256i five = _mm256_set1_epi16(31), six63 = _mm256_set1_epi16(63), top = _mm256_set1_epi16(-256);
    const __m256i by24 = _mm256_set1_epi16(2731);
    const __m128i redShift = _mm_cvtsi32_si128(six ? 11 : 10);
    int32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + x));
        __m256i r = Widen5Avx2(_mm256_and_si256(_mm256_srl_epi16(w, redShift), five));
        __m256i b = Widen5Avx2(_mm256_and_si256(w, five));
        __m256i g;
        if (six) {
            __m256i g6 = _mm256_and_si256(_mm256_srli_epi16(w, 5), six63);
            g = _mm256_add_epi16(_mm256_slli_epi16(g6, 2), _mm256_mulhi_epu16(g6, by24));
        } else {
            g = Widen5Avx2(_mm256_and_si256(_mm256_srli_epi16(w, 5), five));
        }
        __m256i low = _mm256_or_si256(b, _mm256_slli_epi16(g, 8)), high = _mm256_or_si256(r, top);
        __m256i a = _mm256_unpacklo_epi16(low, high), c = _mm256_unpackhi_epi16(low, high);   // per 128-bit half
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + x), _mm256_permute2x128_si256(a, c, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + x + 8), _mm256_permute2x128_si256(a, c, 0x31));
    }
    return x;
}

}  // namespace
#endif

void PlatWiden16(const uint16_t* src, uint32_t* dst, int32_t count, PlatPixelLayout layout)
{
    int32_t x = 0;
#ifdef PLAT_PIXELS_X86
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) x = Widen16Avx2(src, dst, count, layout == PLAT_PIXELS_R5G6B5);
    const bool six = layout == PLAT_PIXELS_R5G6B5;
    const __m128i five = _mm_set1_epi16(31), six63 = _mm_set1_epi16(63), top = _mm_set1_epi16(-256);
    const __m128i times255 = _mm_set1_epi16(255), by31 = _mm_set1_epi16(int16_t(uint16_t(33826)));
    const __m128i by24 = _mm_set1_epi16(2731);
    const __m128i redShift = _mm_cvtsi32_si128(six ? 11 : 10);
    // v * 255 / 31 for v < 32: the quotient by 31 is a high multiply by
    // 2^20 / 31 (rounded up) and a shift, exact for every product below 7906.
    auto widen5 = [&](__m128i v) { return _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(v, times255), by31), 4); };
    for (; x + 8 <= count; x += 8) {
        __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
        __m128i r = widen5(_mm_and_si128(_mm_srl_epi16(w, redShift), five));
        __m128i b = widen5(_mm_and_si128(w, five));
        __m128i g;
        if (six) {
            __m128i g6 = _mm_and_si128(_mm_srli_epi16(w, 5), six63);
            g = _mm_add_epi16(_mm_slli_epi16(g6, 2), _mm_mulhi_epu16(g6, by24));   // v / 24 for v < 64
        } else {
            g = widen5(_mm_and_si128(_mm_srli_epi16(w, 5), five));
        }
        __m128i low = _mm_or_si128(b, _mm_slli_epi16(g, 8));   // green, blue
        __m128i high = _mm_or_si128(r, top);                   // 0xFF, red
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_unpacklo_epi16(low, high));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x + 4), _mm_unpackhi_epi16(low, high));
    }
#endif
    PlatWiden16Scalar(src + x, dst + x, count - x, layout);
}

bool PlatWidenMatchesPlatform(PlatPixelLayout layout)
{
    if (layout == PLAT_PIXELS_X8R8G8B8) return false;
    static int answers[3] = {0, 0, 0};   // 0 unknown, 1 yes, 2 no
    int& answer = answers[layout];
    if (answer) return answer == 1;
    // Every 16-bit value once, through the platform's conversion and through ours.
    std::vector<uint16_t> all(65536);
    for (uint32_t v = 0; v < 65536; ++v) all[v] = uint16_t(v);
    std::vector<uint32_t> theirs(65536), ours(65536);
    Uint32 from = layout == PLAT_PIXELS_R5G6B5 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB555;
    bool same = SDL_ConvertPixels(256, 256, from, all.data(), 512, SDL_PIXELFORMAT_RGB888, theirs.data(), 1024) == 0;
    PlatWiden16Scalar(all.data(), ours.data(), 65536, layout);
    for (uint32_t v = 0; same && v < 65536; ++v) {
        if (layout == PLAT_PIXELS_X1R5G5B5 && (v & 0x8000)) continue;   // the unused bit
        same = ((theirs[v] ^ ours[v]) & 0xFFFFFF) == 0;
    }
    answer = same ? 1 : 2;
    return same;
}
