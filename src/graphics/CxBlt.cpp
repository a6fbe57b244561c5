// The blit: copies a rectangle of one surface into a rectangle of another
// with clipping, nearest-neighbour scaling, a transparent colour and one of
// the BLT_EFFECTS blends, between any two depths and pixel formats.
//
// Shape of the unit.  Blt clips both rectangles and then hands an immutable
// BlitJob to one routine per (source depth -> destination depth) pair.  The
// pair routines cover equal-size rectangles and the effects whose arithmetic
// is particular to them; they hand everything else to the generic routine,
// which works on 8-bit channels at any depth and any scale.
//
// Arithmetic that differs by routine (and is kept on purpose, because sprites
// drawn through one path must keep looking as they always did):
//  - 32 -> 32 alpha uses (a*s + (255-a)*d) >> 8 and leaves alpha 0 behind;
//  - 32 -> 16 alpha works on the destination's 5/6-bit channels with >> 8;
//  - 16-bit halving works on packed words;
//  - the generic routine truncates exact quotients of 8-bit channels.
#include "graphics/CxBltRows.h"
#include "graphics/CxSurf.h"

#include <algorithm>
#include <cstring>

namespace {

struct BlitJob {
    CxDrawSurface* src;
    CxDrawSurface* dst;
    CxRect s, d;          // clipped, inside their surfaces
    CxPixel key;          // transparent colour, CX_NO_COLOR for none
    BltEffects fx;
    bool equal;           // no scaling
    bool HasKey() const { return key != CX_NO_COLOR; }
    int32_t P(int i) const { return int32_t(i == 1 ? fx.param1 : (i == 2 ? fx.param2 : fx.param3)); }
};

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// ----------------------------------------------------------------------
// Raw access on plain memory (the surfaces are locked by Blt)
// ----------------------------------------------------------------------

inline CxPixel ReadRaw(const CxDrawSurface* s, int32_t x, int32_t y)
{
    const uint8_t* row = s->GetBits() + ptrdiff_t(y) * s->GetPitch();
    switch (s->GetDepth()) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 2: return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
    case 4: return (row[x >> 1] >> (4 - 4 * (x & 1))) & 15;
    case 8: return row[x];
    case 16: {
        uint16_t v;
        std::memcpy(&v, row + 2 * x, 2);
        return v;
    }
    case 24: return CxPixel(row[3 * x]) << 16 | CxPixel(row[3 * x + 1]) << 8 | row[3 * x + 2];
    default: {
        uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        return v;
    }
    }
}

inline uint16_t Read16(const uint8_t* p)
{
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void Write16(uint8_t* p, uint32_t v)
{
    uint16_t w = uint16_t(v);
    std::memcpy(p, &w, 2);
}
inline uint32_t Read32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Write32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

inline int Field(uint32_t v, int shift, int bits) { return int((v >> shift) & ((1u << bits) - 1)); }

// A channel of `from` bits narrowed or widened to `to` bits by shifting.
inline int Rebits(int v, int from, int to) { return to >= from ? v << (to - from) : v >> (from - to); }

// Converts a raw 16-bit word between two RGB layouts; alpha kept when both have it.
uint32_t Convert16(uint32_t v, const CxChannelLayout& from, const CxChannelLayout& to)
{
    uint32_t out = uint32_t(Rebits(Field(v, from.rShift, from.rBits), from.rBits, to.rBits)) << to.rShift |
                   uint32_t(Rebits(Field(v, from.gShift, from.gBits), from.gBits, to.gBits)) << to.gShift |
                   uint32_t(Rebits(Field(v, from.bShift, from.bBits), from.bBits, to.bBits)) << to.bShift;
    if (to.aBits) {
        int a = from.aBits ? Rebits(Field(v, from.aShift, from.aBits), from.aBits, to.aBits) : (1 << to.aBits) - 1;
        out |= uint32_t(a) << to.aShift;
    }
    return out;
}

// Mask that clears the bit each field would receive from its neighbour when
// a packed word is shifted right by one.
uint32_t HalvingMask(const CxChannelLayout& l)
{
    uint32_t top = 0x8000;
    top |= 1u << (l.rShift + l.rBits - 1) | 1u << (l.gShift + l.gBits - 1) | 1u << (l.bShift + l.bBits - 1);
    if (l.aBits) top |= 1u << (l.aShift + l.aBits - 1);
    return ~top & 0xFFFF;
}

bool IsRgb16(const CxDrawSurface* s) { return s->GetDepth() == 16 && s->GetPixelFormat() != PIXFMT_ALPHA_INDEX12; }

// ======================================================================
// Generic routine: any depths, any scale
// ======================================================================

void GenericBlit(const BlitJob& j)
{
    CxDrawSurface *src = j.src, *dst = j.dst;
    int code = j.fx.code;
    bool indexedCopy = src->GetDepth() <= 8 && dst->GetDepth() <= 8;
    CxDrawSurface* stencil = (code == BLT_EFFECT_STENCIL || code == BLT_EFFECT_STENCIL_COLOR)
                                 ? reinterpret_cast<CxDrawSurface*>(j.fx.param1) : nullptr;
    if ((code == BLT_EFFECT_STENCIL || code == BLT_EFFECT_STENCIL_COLOR) && (!stencil || !stencil->Lock())) {
        if (stencil) stencil->Unlock();
        stencil = nullptr;
        if (code == BLT_EFFECT_STENCIL) code = BLT_EFFECT_NONE;
    }
    switch (code) {
    case BLT_EFFECT_NONE: case BLT_EFFECT_HALF: case BLT_EFFECT_ALPHA: case BLT_EFFECT_DEST_ALPHA:
    case BLT_EFFECT_MIX_ALPHA: case BLT_EFFECT_TRANSLUCENT: case BLT_EFFECT_DEST_OPACITY:
    case BLT_EFFECT_SILHOUETTE: case BLT_EFFECT_ADD_COLOR: case BLT_EFFECT_STENCIL: case BLT_EFFECT_STENCIL_COLOR:
        break;
    default: code = BLT_EFFECT_NONE;   // every other code draws as a plain copy here
    }
    int32_t sw = j.s.Width(), sh = j.s.Height(), dw = j.d.Width(), dh = j.d.Height();
    int p1 = j.P(1);
    for (int32_t y = 0; y < dh; ++y) {
        int32_t sy = j.s.top + int32_t(int64_t(y) * sh / dh), dy = j.d.top + y;
        for (int32_t x = 0; x < dw; ++x) {
            int32_t sx = j.s.left + int32_t(int64_t(x) * sw / dw), dx = j.d.left + x;
            CxPixel v = ReadRaw(src, sx, sy);
            if (v == j.key && j.HasKey()) continue;
            if (code == BLT_EFFECT_SILHOUETTE) {
                dst->SetPixel(dx, dy, CxPixel(p1));
                continue;
            }
            int sr = 0, sg = 0, sb = 0, stR = 128, stG = 128, stB = 128;
            if (stencil) {
                CxPixel sv = stencil->GetPixel(dx, dy);
                if (sv == CX_NO_COLOR && !stencil->GetRect().Contains({dx, dy})) continue;
                if (stencil->GetTransparentColor() != CX_NO_COLOR && sv == stencil->GetTransparentColor()) continue;
                int sa;
                stencil->DecodePixel(sv, sa, stR, stG, stB);
            }
            if (code == BLT_EFFECT_STENCIL_COLOR) {
                if (int32_t(j.fx.param2) != -1) v = CxPixel(int32_t(j.fx.param2));
                CxPixel dstKey = dst->GetTransparentColor();
                if (dstKey != CX_NO_COLOR && v == dstKey) continue;   // opaque white is drawn when there is no key
            }
            if (indexedCopy && code == BLT_EFFECT_NONE) {
                dst->SetPixel(dx, dy, v & ((1u << dst->GetDepth()) - 1));
                continue;
            }
            int sa;
            src->DecodePixel(v, sa, sr, sg, sb);
            int outA = sa, r = sr, g = sg, b = sb;
            bool needDest = code == BLT_EFFECT_HALF || code == BLT_EFFECT_ALPHA || code == BLT_EFFECT_DEST_ALPHA ||
                            code == BLT_EFFECT_MIX_ALPHA || code == BLT_EFFECT_TRANSLUCENT ||
                            code == BLT_EFFECT_DEST_OPACITY;
            int da = 255, dr = 0, dg = 0, db = 0;
            if (needDest) dst->DecodePixel(ReadRaw(dst, dx, dy), da, dr, dg, db);
            switch (code) {
            case BLT_EFFECT_HALF: r = (sr + dr) / 2, g = (sg + dg) / 2, b = (sb + db) / 2; break;
            case BLT_EFFECT_ALPHA:
                if (sa == 0) continue;
                r = (sr * sa + dr * (255 - sa)) / 255, g = (sg * sa + dg * (255 - sa)) / 255;
                b = (sb * sa + db * (255 - sa)) / 255;
                break;
            case BLT_EFFECT_DEST_ALPHA:
            case BLT_EFFECT_DEST_OPACITY: {
                int v2 = code == BLT_EFFECT_DEST_ALPHA ? da : Clamp(p1, 0, 255);
                r = (sr * (255 - v2) + dr * v2) / 255, g = (sg * (255 - v2) + dg * v2) / 255;
                b = (sb * (255 - v2) + db * v2) / 255;
                break;
            }
            case BLT_EFFECT_MIX_ALPHA:
                if (sa + da == 0) r = (sr + dr) / 2, g = (sg + dg) / 2, b = (sb + db) / 2;
                else {
                    r = (sr * sa + dr * da) / (sa + da), g = (sg * sa + dg * da) / (sa + da);
                    b = (sb * sa + db * da) / (sa + da);
                }
                break;
            case BLT_EFFECT_TRANSLUCENT: {
                int t = Clamp(p1, 0, 255);
                r = (dr * (255 - t) + sr * t) / 255, g = (dg * (255 - t) + sg * t) / 255, b = (db * (255 - t) + sb * t) / 255;
                outA = t;
                break;
            }
            case BLT_EFFECT_ADD_COLOR:
                r = Clamp(sr + p1, 0, 255), g = Clamp(sg + j.P(2), 0, 255), b = Clamp(sb + j.P(3), 0, 255);
                break;
            case BLT_EFFECT_STENCIL_COLOR:
                r = Clamp(sr + stR - 128, 0, 255), g = Clamp(sg + stG - 128, 0, 255), b = Clamp(sb + stB - 128, 0, 255);
                break;
            default: break;
            }
            dst->SetPixel(dx, dy, dst->EncodeColor(r, g, b, outA));
        }
    }
    if (stencil) stencil->Unlock();
}

// ======================================================================
// Pair routines (equal sizes); each returns false to hand over
// ======================================================================

// Whole rows with a block move: same layout, no key, no effect.
bool BlockCopy(const BlitJob& j)
{
    size_t bytes = size_t(j.s.Width()) * size_t(j.src->GetDepth() / 8);
    for (int32_t y = 0; y < j.s.Height(); ++y)
        std::memmove(j.dst->GetPixelAddress(j.d.left, j.d.top + y), j.src->GetPixelAddress(j.s.left, j.s.top + y), bytes);
    return true;
}

bool Blit8To8(const BlitJob& j)
{
    int code = j.fx.code;
    // Codes 1, 13 and 15 have no effect of their own and draw as plain copies here.
    if (code != BLT_EFFECT_NONE && code != 1 && code != 13 && code != 15 && code != BLT_EFFECT_FILL_MASK &&
        code != BLT_EFFECT_SILHOUETTE)
        return false;
    bool plain = code != BLT_EFFECT_FILL_MASK && code != BLT_EFFECT_SILHOUETTE;
    if (plain && !j.HasKey()) return BlockCopy(j);
    uint8_t p1 = uint8_t(j.P(1)), key = uint8_t(j.key);
    for (int32_t y = 0; y < j.s.Height(); ++y) {
        const uint8_t* s = j.src->GetPixelAddress(j.s.left, j.s.top + y);
        uint8_t* d = j.dst->GetPixelAddress(j.d.left, j.d.top + y);
        for (int32_t x = 0; x < j.s.Width(); ++x) {
            bool transparent = j.HasKey() && s[x] == key && j.key < 256;
            if (code == BLT_EFFECT_FILL_MASK) d[x] = transparent ? p1 : s[x];
            else if (!transparent) d[x] = code == BLT_EFFECT_SILHOUETTE ? p1 : s[x];
        }
    }
    return true;
}

// 8 -> 16 through the source's lookup table, and 16 -> 16 on packed words.
// `word` gives the source pixel as a word of the destination's format.
template <typename WordOf>
bool Blit16Family(const BlitJob& j, WordOf word, bool sameLayout)
{
    int code = j.fx.code;
    const CxChannelLayout& dl = j.dst->GetLayout();
    if (code == BLT_EFFECT_NONE && !j.HasKey() && sameLayout) return BlockCopy(j);
    if (code != BLT_EFFECT_NONE && code != BLT_EFFECT_HALF && code != BLT_EFFECT_FILL_MASK) return false;
    uint32_t mask = HalvingMask(dl), fill = uint32_t(j.P(1)) & 0xFFFF;
    for (int32_t y = 0; y < j.s.Height(); ++y) {
        uint8_t* d = j.dst->GetPixelAddress(j.d.left, j.d.top + y);
        for (int32_t x = 0; x < j.s.Width(); ++x, d += 2) {
            CxPixel raw = ReadRaw(j.src, j.s.left + x, j.s.top + y);
            bool transparent = j.HasKey() && raw == j.key;
            if (code == BLT_EFFECT_FILL_MASK) {
                Write16(d, transparent ? fill : word(raw));
                continue;
            }
            if (transparent) continue;
            uint32_t s = word(raw);
            if (code == BLT_EFFECT_HALF) s = ((s >> 1) & mask) + ((Read16(d) >> 1) & mask);
            Write16(d, s);
        }
    }
    return true;
}

// Alpha blend between 16-bit formats (no key): a 4-bit alpha source blends in
// sixteenths, any other source by its alpha widened to 8 bits.
bool Blit16Alpha(const BlitJob& j)
{
    const CxChannelLayout &sl = j.src->GetLayout(), &dl = j.dst->GetLayout();
    bool four = j.src->GetPixelFormat() == PIXFMT_4444;
    const int ds[3] = {dl.rShift, dl.gShift, dl.bShift}, db[3] = {dl.rBits, dl.gBits, dl.bBits};
    const int ss[3] = {sl.rShift, sl.gShift, sl.bShift}, sb[3] = {sl.rBits, sl.gBits, sl.bBits};
    for (int32_t y = 0; y < j.s.Height(); ++y) {
        const uint8_t* s = j.src->GetPixelAddress(j.s.left, j.s.top + y);
        uint8_t* d = j.dst->GetPixelAddress(j.d.left, j.d.top + y);
        for (int32_t x = 0; x < j.s.Width(); ++x, s += 2, d += 2) {
            uint32_t sv = Read16(s), dv = Read16(d);
            int a = sl.aBits ? Field(sv, sl.aShift, sl.aBits) : 0;
            if (a == 0) continue;
            if (!four) a = a * 255 / ((1 << sl.aBits) - 1);
            uint32_t out = dv;
            for (int k = 0; k < 3; ++k) {
                int dc = Field(dv, ds[k], db[k]), sc = Rebits(Field(sv, ss[k], sb[k]), sb[k], db[k]);
                int n = four ? (dc * (15 - a) + sc * a) >> 4 : (dc * (255 - a) + sc * a) / 255;
                out = (out & ~(((1u << db[k]) - 1) << ds[k])) | uint32_t(n) << ds[k];
            }
            Write16(d, out);
        }
    }
    return true;
}

bool Blit16To16(const BlitJob& j)
{
    if (!IsRgb16(j.dst) || !IsRgb16(j.src)) return false;
    const CxChannelLayout &sl = j.src->GetLayout(), &dl = j.dst->GetLayout();
    bool same = j.src->GetPixelFormat() == j.dst->GetPixelFormat();
    int code = j.fx.code;
    if (code == BLT_EFFECT_ALPHA && !j.HasKey()) return Blit16Alpha(j);
    if (code == BLT_EFFECT_FLIP_VERTICAL && !j.HasKey()) {
        for (int32_t y = 0; y < j.s.Height(); ++y) {
            const uint8_t* s = j.src->GetPixelAddress(j.s.left, j.s.bottom - y);
            uint8_t* d = j.dst->GetPixelAddress(j.d.left, j.d.top + y);
            for (int32_t x = 0; x < j.s.Width(); ++x)
                Write16(d + 2 * x, same ? Read16(s + 2 * x) : Convert16(Read16(s + 2 * x), sl, dl));
        }
        return true;
    }
    if (same) return Blit16Family(j, [](CxPixel v) { return uint32_t(v); }, true);
    return Blit16Family(j, [&](CxPixel v) { return Convert16(v, sl, dl); }, false);
}

bool Blit8To16(const BlitJob& j)
{
    if (!IsRgb16(j.dst)) return false;
    CxDrawSurface* src = j.src;
    uint8_t format = j.dst->GetPixelFormat();
    if (!src->GetLookup16() || src->GetLookup16Format() != format) src->Build16BitLookup(format);
    const uint16_t* lookup = src->GetLookup16();
    if (!lookup) return false;
    return Blit16Family(j, [lookup](CxPixel v) { return uint32_t(lookup[v & 0xFF]); }, false);
}

bool Blit24To16(const BlitJob& j)
{
    if (!IsRgb16(j.dst) || j.HasKey() || (j.fx.code != BLT_EFFECT_NONE && j.fx.code != BLT_EFFECT_FLIP_VERTICAL))
        return false;
    uint8_t format = j.dst->GetPixelFormat();
    bool flip = j.fx.code == BLT_EFFECT_FLIP_VERTICAL;
    for (int32_t y = 0; y < j.s.Height(); ++y) {
        const uint8_t* s = j.src->GetPixelAddress(j.s.left, flip ? j.s.bottom - y : j.s.top + y);
        uint8_t* d = j.dst->GetPixelAddress(j.d.left, j.d.top + y);
        for (int32_t x = 0; x < j.s.Width(); ++x, s += 3) Write16(d + 2 * x, Pack16(format, s[2], s[1], s[0]));
    }
    return true;
}

// Plain copies (the backdrop of a 16-bit screen is usually a 32-bit picture),
// and the alpha blend (no key) and tinted alpha blend from 32-bit pixels onto
// 16-bit channels.
bool Blit32To16(const BlitJob& j)
{
    int code = j.fx.code;
    if (!IsRgb16(j.dst)) return false;
    if (code == BLT_EFFECT_NONE) {
        static const CxPackRow16 pack = CxBestPackRow16();
        CxRowKey key{j.HasKey(), j.key};
        for (int32_t y = 0; y < j.s.Height(); ++y)
            pack(j.src->GetPixelAddress(j.s.left, j.s.top + y), j.dst->GetPixelAddress(j.d.left, j.d.top + y),
                 j.s.Width(), key, j.dst->GetLayout());
        return true;
    }
    if (!((code == BLT_EFFECT_ALPHA && !j.HasKey()) || code == BLT_EFFECT_ALPHA_TINT)) return false;
    const CxChannelLayout& dl = j.dst->GetLayout();
    const int ds[3] = {dl.rShift, dl.gShift, dl.bShift}, db[3] = {dl.rBits, dl.gBits, dl.bBits};
    const int tint[3] = {code == BLT_EFFECT_ALPHA_TINT ? j.P(1) / 8 : 0, code == BLT_EFFECT_ALPHA_TINT ? j.P(2) / 8 : 0,
                         code == BLT_EFFECT_ALPHA_TINT ? j.P(3) / 8 : 0};
    for (int32_t y = 0; y < j.s.Height(); ++y) {
        const uint8_t* s = j.src->GetPixelAddress(j.s.left, j.s.top + y);
        uint8_t* d = j.dst->GetPixelAddress(j.d.left, j.d.top + y);
        for (int32_t x = 0; x < j.s.Width(); ++x, s += 4, d += 2) {
            uint32_t sv = Read32(s);
            if (j.HasKey() && sv == j.key) continue;
            int a = int(sv >> 24);
            if (a == 0) continue;
            uint32_t dv = Read16(d), out = dv;
            const int sc8[3] = {int(sv >> 16) & 0xFF, int(sv >> 8) & 0xFF, int(sv) & 0xFF};
            for (int k = 0; k < 3; ++k) {
                int top = (1 << db[k]) - 1;
                int n = ((sc8[k] >> (8 - db[k])) * a + Field(dv, ds[k], db[k]) * (255 - a)) >> 8;
                n = Clamp(n + tint[k], 0, top);
                out = (out & ~(uint32_t(top) << ds[k])) | uint32_t(n) << ds[k];
            }
            Write16(d, out);
        }
    }
    return true;
}

inline uint32_t PerChannel(uint32_t s, uint32_t d, int (*f)(int, int, int, int), int sa, int da)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= uint32_t(f(int(s >> shift) & 0xFF, int(d >> shift) & 0xFF, sa, da)) << shift;
    return out;
}

bool Blit32To32(const BlitJob& j)
{
    int code = j.fx.code;
    if (code == BLT_EFFECT_NONE && !j.HasKey()) return BlockCopy(j);
    if (code != BLT_EFFECT_NONE && code != BLT_EFFECT_HALF && code != BLT_EFFECT_ALPHA && code != BLT_EFFECT_DEST_ALPHA &&
        code != BLT_EFFECT_MIX_ALPHA && code != BLT_EFFECT_ALPHA_OVER)
        return false;
    bool key = j.HasKey();
    if (code == BLT_EFFECT_ALPHA) {   // the hot path of sprite drawing
        static const CxAlphaRow32 blend = CxBestAlphaRow32();
        for (int32_t y = 0; y < j.s.Height(); ++y)
            blend(j.src->GetPixelAddress(j.s.left, j.s.top + y), j.dst->GetPixelAddress(j.d.left, j.d.top + y),
                  j.s.Width(), CxRowKey{key, j.key});
        return true;
    }
    for (int32_t y = 0; y < j.s.Height(); ++y) {
        const uint8_t* sp = j.src->GetPixelAddress(j.s.left, j.s.top + y);
        uint8_t* dp = j.dst->GetPixelAddress(j.d.left, j.d.top + y);
        for (int32_t x = 0; x < j.s.Width(); ++x, sp += 4, dp += 4) {
            uint32_t s = Read32(sp);
            if (key && s == j.key) continue;
            uint32_t d = Read32(dp), dAlpha = d & 0xFF000000u;
            int sa = int(s >> 24), da = int(d >> 24);
            switch (code) {
            case BLT_EFFECT_NONE: Write32(dp, s); break;
            case BLT_EFFECT_HALF: Write32(dp, dAlpha | (((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F))); break;
            case BLT_EFFECT_DEST_ALPHA:
                Write32(dp, dAlpha | PerChannel(s, d, [](int sc, int dc, int, int b) { return (sc * (255 - b) + dc * b) / 255; }, sa, da));
                break;
            case BLT_EFFECT_MIX_ALPHA:
                if (sa == 0) break;
                Write32(dp, dAlpha | PerChannel(s, d, [](int sc, int dc, int a, int b) { return (sc * a + dc * b) / (a + b); }, sa, da));
                break;
            case BLT_EFFECT_ALPHA_OVER: {
                if (sa == 0) break;
                // a = sa/255 and b = (1-a)*da/255 scaled by 255*255 to stay exact.
                int A = 255 * sa, B = (255 - sa) * da, sum = A + B;
                uint32_t outA = sum >= 65025 ? 255u : uint32_t(sum / 255);
                uint32_t out = outA << 24;
                for (int shift = 0; shift < 24; shift += 8)
                    out |= uint32_t(((int(d >> shift) & 0xFF) * B + (int(s >> shift) & 0xFF) * A) / sum) << shift;
                Write32(dp, out);
                break;
            }
            default: break;
            }
        }
    }
    return true;
}

// Alpha-index words (4-bit alpha over a 12-bit colour table index) blend
// their table colour by that alpha.
bool Blit9To16(const BlitJob& j)
{
    if (j.fx.code != BLT_EFFECT_ALPHA || j.HasKey() || !IsRgb16(j.dst) || !j.src->GetIndexTable()) return false;
    const uint16_t* table = j.src->GetIndexTable();
    CxChannelLayout tl = GetChannelLayout(j.src->GetIndexTableFormat(), 16), dl = j.dst->GetLayout();
    bool same = j.src->GetIndexTableFormat() == j.dst->GetPixelFormat();
    const int ds[3] = {dl.rShift, dl.gShift, dl.bShift}, db[3] = {dl.rBits, dl.gBits, dl.bBits};
    for (int32_t y = 0; y < j.s.Height(); ++y) {
        const uint8_t* s = j.src->GetPixelAddress(j.s.left, j.s.top + y);
        uint8_t* d = j.dst->GetPixelAddress(j.d.left, j.d.top + y);
        for (int32_t x = 0; x < j.s.Width(); ++x, s += 2, d += 2) {
            uint32_t h = Read16(s);
            if (h < 0x1000) continue;
            uint32_t colour = same ? table[h & 0xFFF] : Convert16(table[h & 0xFFF], tl, dl);
            if (h >= 0xF000) {
                Write16(d, colour);
                continue;
            }
            int a = int(h >> 12);
            uint32_t dv = Read16(d), out = dv;
            for (int k = 0; k < 3; ++k) {
                int n = (Field(colour, ds[k], db[k]) * a + Field(dv, ds[k], db[k]) * (15 - a)) >> 4;
                out = (out & ~(((1u << db[k]) - 1) << ds[k])) | uint32_t(n) << ds[k];
            }
            Write16(d, out);
        }
    }
    return true;
}

bool SameLayoutCopy(const BlitJob& j)
{
    return j.fx.code == BLT_EFFECT_NONE && !j.HasKey() && j.src->GetDepth() == j.dst->GetDepth() &&
           j.src->GetDepth() >= 24 && BlockCopy(j);
}

void Dispatch(const BlitJob& j)
{
    int sd = j.src->GetDepth(), dd = j.dst->GetDepth();
    bool done = false;
    if (j.equal) {
        if (j.src->GetPixelFormat() == PIXFMT_ALPHA_INDEX12) done = dd == 16 && Blit9To16(j);
        else if (sd == 8 && dd == 8) done = Blit8To8(j);
        else if (sd == 8 && dd == 16) done = Blit8To16(j);
        else if (sd == 16 && dd == 16) done = Blit16To16(j);
        else if (sd == 24 && dd == 16) done = Blit24To16(j);
        else if (sd == 24 && dd == 24) done = SameLayoutCopy(j);
        else if (sd == 32 && dd == 16) done = Blit32To16(j);
        else if (sd == 32 && dd == 32) done = Blit32To32(j);
    }
    if (!done) GenericBlit(j);
}

// Step 4 of the blit: the destination clipped, the source following it.
bool ClipRects(const CxDrawSurface& src, const CxDrawSurface& dst, CxRect& s, CxRect& d)
{
    CxRect dc;
    if (!dst.ClipToSurface(&d, dc) || s.IsEmpty() || d.IsEmpty()) return false;
    int64_t sw = s.Width(), sh = s.Height(), dw = d.Width(), dh = d.Height();
    if (sw == dw && sh == dh) {
        s.left += dc.left - d.left, s.top += dc.top - d.top;
        s.right += dc.right - d.right, s.bottom += dc.bottom - d.bottom;
    } else {
        s.left += int32_t(double(sw) * (dc.left - d.left) / double(dw) + 0.5);
        s.right += int32_t(double(sw) * (dc.right - d.right) / double(dw) - 0.5);
        s.top += int32_t(double(sh) * (dc.top - d.top) / double(dh) + 0.5);
        s.bottom += int32_t(double(sh) * (dc.bottom - d.bottom) / double(dh) - 0.5);
    }
    d = dc;
    // Step 5: the source clipped, the destination edges moved by the same amounts.
    CxRect bounds = src.GetRect();
    if (s.left < bounds.left) d.left += bounds.left - s.left, s.left = bounds.left;
    if (s.top < bounds.top) d.top += bounds.top - s.top, s.top = bounds.top;
    if (s.right > bounds.right) d.right -= s.right - bounds.right, s.right = bounds.right;
    if (s.bottom > bounds.bottom) d.bottom -= s.bottom - bounds.bottom, s.bottom = bounds.bottom;
    return !s.IsEmpty() && !d.IsEmpty();
}

}  // namespace

// ======================================================================
// Entry points
// ======================================================================

int CxDrawSurface::Blt(CxDrawSurface* destination, const CxRect* destinationRect, const CxRect* sourceRect,
                       CxPixel transparent, const BltEffects* effects)
{
    BltEffects fx = effects ? *effects : BltEffects{};
    if (!destination || InError() || destination->InError() || fx.code == BLT_EFFECT_HIDDEN) return errorCode_;
    if (transparent == CX_NO_COLOR) transparent = transparent_;
    CxRect d = destinationRect ? *destinationRect : destination->GetRect();
    CxRect s = sourceRect ? *sourceRect : GetRect();
    if (!ClipRects(*this, *destination, s, d)) return errorCode_;
    bool locked = Lock();
    bool destinationLocked = destination->Lock();
    if (locked && destinationLocked) {
        BlitJob job{this, destination, s, d, transparent, fx, s.Width() == d.Width() && s.Height() == d.Height()};
        if (fx.code == BLT_EFFECT_CUSTOM) {
            auto routine = reinterpret_cast<BltCustomRoutine>(fx.param1);
            if (routine) routine(this, destination, s, d, transparent, fx.param2, fx.param3);
        } else {
            Dispatch(job);
        }
    }
    destination->Unlock();
    Unlock();
    return errorCode_;
}

int CxDrawSurface::BltAt(CxDrawSurface* destination, int32_t x, int32_t y, const CxRect* sourceRect,
                         CxPixel transparent, const BltEffects* effects)
{
    CxRect s = sourceRect ? *sourceRect : GetRect();
    CxRect d{x, y, int32_t(int64_t(x) + s.Width() - 1), int32_t(int64_t(y) + s.Height() - 1)};
    return Blt(destination, &d, sourceRect, transparent, effects);
}

int CxDrawSurface::BltToTarget(CxRenderTarget* target, int32_t x, int32_t y, const CxRect* sourceRect,
                               CxPixel transparent, const BltEffects* effects)
{
    return target ? target->DrawSurfaceAt(this, x, y, sourceRect, transparent, effects) : ERR_INVALID_ARGUMENT;
}

int CxDrawSurface::BltToTarget(CxRenderTarget* target, const CxRect* destinationRect, const CxRect* sourceRect,
                               CxPixel transparent, const BltEffects* effects)
{
    return target ? target->DrawSurfaceInto(this, destinationRect, sourceRect, transparent, effects)
                  : ERR_INVALID_ARGUMENT;
}

int CxDrawSurface::DrawSurfaceAt(CxSurfaceBase* source, int32_t x, int32_t y, const CxRect* sourceRect,
                                 CxPixel transparent, const BltEffects* effects)
{
    auto* surface = dynamic_cast<CxDrawSurface*>(source);
    if (!surface) return ERR_INVALID_ARGUMENT;
    return surface->BltAt(this, x, y, sourceRect, transparent, effects);
}

int CxDrawSurface::DrawSurfaceInto(CxSurfaceBase* source, const CxRect* destinationRect, const CxRect* sourceRect,
                                   CxPixel transparent, const BltEffects* effects)
{
    auto* surface = dynamic_cast<CxDrawSurface*>(source);
    if (!surface) return ERR_INVALID_ARGUMENT;
    return surface->Blt(this, destinationRect, sourceRect, transparent, effects);
}
