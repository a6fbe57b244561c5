#include "graphics/CxBltRows.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#define CX_ROWS_X86 1
#include <immintrin.h>
#endif

namespace {

inline uint32_t Load32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
inline void Store16(uint8_t* p, uint32_t v)
{
    uint16_t w = uint16_t(v);
    std::memcpy(p, &w, 2);
}

// One channel of the 16-bit layout: where its top bits sit in a 32-bit pixel
// and where they go in the word.
struct PackChannel {
    int from = 0, to = 0;
    uint32_t mask = 0;   // 0 for a channel the layout lacks
};
struct PackPlan {
    PackChannel c[4];
};

PackPlan PlanOf(const CxChannelLayout& l)
{
    const int bits[4] = {l.aBits, l.rBits, l.gBits, l.bBits}, shifts[4] = {l.aShift, l.rShift, l.gShift, l.bShift};
    const int bytePos[4] = {24, 16, 8, 0};
    PackPlan plan;
    for (int k = 0; k < 4; ++k)
        if (bits[k] > 0 && bits[k] <= 8)
            plan.c[k] = PackChannel{bytePos[k] + 8 - bits[k], shifts[k], (1u << bits[k]) - 1};
    return plan;
}

inline uint32_t PackOne(uint32_t p, const PackPlan& plan)
{
    uint32_t out = 0;
    for (const PackChannel& c : plan.c) out |= ((p >> c.from) & c.mask) << c.to;
    return out;
}

}  // namespace

// ======================================================================
// Scalar references
// ======================================================================

void CxAlphaRow32Scalar(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key)
{
    for (int32_t x = 0; x < count; ++x, src += 4, dst += 4) {
        uint32_t s = Load32(src);
        if (key.keyed && s == key.value) continue;
        uint32_t a = s >> 24;
        if (a == 0) continue;
        if (a == 255 && !key.keyed) {
            Store32(dst, s);
            continue;
        }
        // Red and blue share one multiply: each product stays below 1 << 16.
        uint32_t d = Load32(dst), inv = 255 - a;
        uint32_t rb = (((s & 0xFF00FF) * a + (d & 0xFF00FF) * inv) >> 8) & 0xFF00FF;
        uint32_t g = (((s & 0xFF00) * a + (d & 0xFF00) * inv) >> 8) & 0xFF00;
        Store32(dst, rb | g);
    }
}

void CxPackRow16Scalar(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key, const CxChannelLayout& to)
{
    if (count <= 0) return;
    PackPlan plan = PlanOf(to);
    for (int32_t x = 0; x < count; ++x, src += 4, dst += 2) {
        uint32_t p = Load32(src);
        if (key.keyed && p == key.value) continue;
        Store16(dst, PackOne(p, plan));
    }
}

#ifdef CX_ROWS_X86

// ======================================================================
// Vector forms: 16-bit lanes hold a channel times a weight (at most
// 255 * 255, so no lane overflows), then a select puts back the pixels
// the blend must not touch.
// ======================================================================

namespace {

struct AlphaSelect128 {
    __m128i key, keyed, opaqueCopies;   // opaqueCopies: all ones when alpha 255 copies the source
};

inline __m128i Blend4(__m128i s, __m128i d, const AlphaSelect128& k)
{
    const __m128i zero = _mm_setzero_si128(), ff = _mm_set1_epi16(255);
    __m128i a32 = _mm_srli_epi32(s, 24);
    __m128i a2 = _mm_or_si128(a32, _mm_slli_epi32(a32, 16));   // alpha in both halves of each pixel
    __m128i aLo = _mm_unpacklo_epi32(a2, a2), aHi = _mm_unpackhi_epi32(a2, a2);
    __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), aLo),
                               _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(ff, aLo)));
    __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), aHi),
                               _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(ff, aHi)));
    __m128i blended = _mm_packus_epi16(_mm_srli_epi16(lo, 8), _mm_srli_epi16(hi, 8));
    blended = _mm_and_si128(blended, _mm_set1_epi32(0x00FFFFFF));   // blended pixels lose their alpha
    __m128i copy = _mm_and_si128(_mm_cmpeq_epi32(a32, _mm_set1_epi32(255)), k.opaqueCopies);
    __m128i keep = _mm_or_si128(_mm_cmpeq_epi32(a32, zero), _mm_and_si128(_mm_cmpeq_epi32(s, k.key), k.keyed));
    __m128i out = _mm_or_si128(_mm_and_si128(copy, s), _mm_andnot_si128(copy, blended));
    return _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, out));
}

}  // namespace

void CxAlphaRow32Sse2(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key)
{
    AlphaSelect128 k{_mm_set1_epi32(int(key.value)), _mm_set1_epi32(key.keyed ? -1 : 0),
                     _mm_set1_epi32(key.keyed ? 0 : -1)};
    int32_t x = 0;
    for (; x + 4 <= count; x += 4) {
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * x));
        __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + 4 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * x), Blend4(s, d, k));
    }
    CxAlphaRow32Scalar(src + 4 * x, dst + 4 * x, count - x, key);
}

__attribute__((target("avx2"))) void CxAlphaRow32Avx2(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key)
{
    const __m256i zero = _mm256_setzero_si256(), ff = _mm256_set1_epi16(255), rgb = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i all255 = _mm256_set1_epi32(255), keyValue = _mm256_set1_epi32(int(key.value));
    const __m256i keyed = _mm256_set1_epi32(key.keyed ? -1 : 0), opaqueCopies = _mm256_set1_epi32(key.keyed ? 0 : -1);
    int32_t x = 0;
    for (; x + 8 <= count; x += 8) {
        __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * x));
        __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + 4 * x));
        __m256i a32 = _mm256_srli_epi32(s, 24);
        __m256i a2 = _mm256_or_si256(a32, _mm256_slli_epi32(a32, 16));
        __m256i aLo = _mm256_unpacklo_epi32(a2, a2), aHi = _mm256_unpackhi_epi32(a2, a2);
        __m256i lo = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(s, zero), aLo),
                                      _mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), _mm256_sub_epi16(ff, aLo)));
        __m256i hi = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(s, zero), aHi),
                                      _mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), _mm256_sub_epi16(ff, aHi)));
        __m256i blended = _mm256_and_si256(_mm256_packus_epi16(_mm256_srli_epi16(lo, 8), _mm256_srli_epi16(hi, 8)), rgb);
        __m256i copy = _mm256_and_si256(_mm256_cmpeq_epi32(a32, all255), opaqueCopies);
        __m256i keep = _mm256_or_si256(_mm256_cmpeq_epi32(a32, zero),
                                       _mm256_and_si256(_mm256_cmpeq_epi32(s, keyValue), keyed));
        __m256i out = _mm256_blendv_epi8(blended, s, copy);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * x), _mm256_blendv_epi8(out, d, keep));
    }
    CxAlphaRow32Sse2(src + 4 * x, dst + 4 * x, count - x, key);
}

namespace {

// The 16-bit layout as shift counts and masks, ready in registers: each
// channel's top bits move right by `right`, left by `left`, then are masked
// in place.  Channels the layout lacks get a zero mask.
struct PackRegs {
    __m128i right[4], left[4], mask[4];
};

PackRegs RegsOf(const PackPlan& plan)
{
    PackRegs r;
    for (int k = 0; k < 4; ++k) {
        const PackChannel& c = plan.c[k];
        int move = c.from - c.to;
        r.right[k] = _mm_cvtsi32_si128(move > 0 ? move : 0);
        r.left[k] = _mm_cvtsi32_si128(move < 0 ? -move : 0);
        r.mask[k] = _mm_set1_epi32(int(c.mask << c.to));
    }
    return r;
}

// Sign-extends the low word of each lane so that the signed pack keeps all 16 bits.
inline __m128i LowWords(__m128i v) { return _mm_srai_epi32(_mm_slli_epi32(v, 16), 16); }

inline __m128i PackAny4(__m128i p, const PackRegs& r)
{
    __m128i out = _mm_setzero_si128();
    for (int k = 0; k < 4; ++k)
        out = _mm_or_si128(out, _mm_and_si128(_mm_sll_epi32(_mm_srl_epi32(p, r.right[k]), r.left[k]), r.mask[k]));
    return LowWords(out);
}

// The two layouts screens use, with the moves as immediates.
template <int RED, int GREEN, int BLUE, uint32_t RMASK, uint32_t GMASK, uint32_t BMASK>
inline __m128i PackFixed4(__m128i p)
{
    __m128i r = _mm_and_si128(_mm_srli_epi32(p, RED), _mm_set1_epi32(int(RMASK)));
    __m128i g = _mm_and_si128(_mm_srli_epi32(p, GREEN), _mm_set1_epi32(int(GMASK)));
    __m128i b = _mm_and_si128(_mm_srli_epi32(p, BLUE), _mm_set1_epi32(int(BMASK)));
    return LowWords(_mm_or_si128(_mm_or_si128(r, g), b));
}

template <typename Pack4>
void PackRows(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key, Pack4 pack, int32_t* done)
{
    const __m128i keyValue = _mm_set1_epi32(int(key.value));
    int32_t x = 0;
    for (; x + 8 <= count; x += 8) {
        __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * x));
        __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * x + 16));
        __m128i words = _mm_packs_epi32(pack(p0), pack(p1));
        if (key.keyed) {
            __m128i skip = _mm_packs_epi32(_mm_cmpeq_epi32(p0, keyValue), _mm_cmpeq_epi32(p1, keyValue));
            __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + 2 * x));
            words = _mm_or_si128(_mm_and_si128(skip, d), _mm_andnot_si128(skip, words));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 2 * x), words);
    }
    *done = x;
}

// Sixteen pixels per step for the two screen layouts.
template <int RED, int GREEN, int BLUE, uint32_t RMASK, uint32_t GMASK, uint32_t BMASK>
__attribute__((target("avx2"))) int32_t PackFixedAvx2(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key)
{
    const __m256i rm = _mm256_set1_epi32(int(RMASK)), gm = _mm256_set1_epi32(int(GMASK)), bm = _mm256_set1_epi32(int(BMASK));
    const __m256i keyValue = _mm256_set1_epi32(int(key.value));
#define CX_PACK8(p)                                                                                     \
    _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(p, RED), rm),                      \
                                    _mm256_and_si256(_mm256_srli_epi32(p, GREEN), gm)),                   \
                    _mm256_and_si256(_mm256_srli_epi32(p, BLUE), bm))
    int32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        __m256i p0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * x));
        __m256i p1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * x + 32));
        // The pack works within 128-bit halves; the permute puts the words back in order.
        // Every packed value is below 1 << 16, so the unsigned pack keeps it.
        __m256i words = _mm256_permute4x64_epi64(_mm256_packus_epi32(CX_PACK8(p0), CX_PACK8(p1)), 0xD8);
        if (key.keyed) {
            __m256i skip = _mm256_permute4x64_epi64(
                _mm256_packs_epi32(_mm256_cmpeq_epi32(p0, keyValue), _mm256_cmpeq_epi32(p1, keyValue)), 0xD8);
            __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + 2 * x));
            words = _mm256_blendv_epi8(words, d, skip);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 2 * x), words);
    }
    return x;
#undef CX_PACK8
}

bool Is(const CxChannelLayout& l, int r, int rs, int g, int gs, int b, int bs)
{
    return l.aBits == 0 && l.rBits == r && l.rShift == rs && l.gBits == g && l.gShift == gs && l.bBits == b &&
           l.bShift == bs;
}

}  // namespace

void CxPackRow16Vector(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key, const CxChannelLayout& to)
{
    int32_t done = 0;
    if (CxCpuHasAvx2() && Is(to, 5, 11, 6, 5, 5, 0))
        done = PackFixedAvx2<8, 5, 3, 0xF800, 0x07E0, 0x001F>(src, dst, count, key);
    else if (CxCpuHasAvx2() && Is(to, 5, 10, 5, 5, 5, 0))
        done = PackFixedAvx2<9, 6, 3, 0x7C00, 0x03E0, 0x001F>(src, dst, count, key);
    else if (Is(to, 5, 11, 6, 5, 5, 0))
        PackRows(src, dst, count, key, PackFixed4<8, 5, 3, 0xF800, 0x07E0, 0x001F>, &done);
    else if (Is(to, 5, 10, 5, 5, 5, 0))
        PackRows(src, dst, count, key, PackFixed4<9, 6, 3, 0x7C00, 0x03E0, 0x001F>, &done);
    else {
        PackRegs regs = RegsOf(PlanOf(to));
        PackRows(src, dst, count, key, [&regs](__m128i p) { return PackAny4(p, regs); }, &done);
    }
    CxPackRow16Scalar(src + 4 * done, dst + 2 * done, count - done, key, to);
}

bool CxCpuHasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

CxAlphaRow32 CxBestAlphaRow32() { return CxCpuHasAvx2() ? CxAlphaRow32Avx2 : CxAlphaRow32Sse2; }

#else   // other processors: the references do the work

void CxAlphaRow32Sse2(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key)
{
    CxAlphaRow32Scalar(src, dst, count, key);
}
void CxAlphaRow32Avx2(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key)
{
    CxAlphaRow32Scalar(src, dst, count, key);
}
void CxPackRow16Vector(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key, const CxChannelLayout& to)
{
    CxPackRow16Scalar(src, dst, count, key, to);
}
bool CxCpuHasAvx2() { return false; }
CxAlphaRow32 CxBestAlphaRow32() { return CxAlphaRow32Scalar; }

#endif

CxPackRow16 CxBestPackRow16()
{
#ifdef CX_ROWS_X86
    return CxPackRow16Vector;
#else
    return CxPackRow16Scalar;
#endif
}
