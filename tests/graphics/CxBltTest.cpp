// Blits: clipping and scaling rules, the documented edge cases, and golden
// images for every effect and pixel-format pair.
//
// Golden images.  For each (source format, destination format) pair the
// destination holds one 6 x 6 tile per case of kCases.  Three results must
// agree pixel for pixel: the engine's blit, the reference model below (an
// independent, deliberately plain restatement of the effect table and the
// arithmetic by routine, written from the rules rather than from CxBlt.cpp)
// and the stored image tests/graphics/golden/blit_<pair>.qor.  To regenerate
// after an intended change run the test with VORN_REGEN_GOLDEN=1; an image is
// only written when the engine agrees with the model, so a golden can never
// bless a result nobody checked.
#include "GraphicsTestUtil.h"
#include "TestSupport.h"
#include "graphics/CxSurf.h"
#include "graphics/QorImageFilters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// ----------------------------------------------------------------------
// Reference model
// ----------------------------------------------------------------------

struct Chan { int bits = 0, shift = 0; };
struct Desc { Chan a, r, g, b; };

Desc DescOf(int depth, int format)
{
    if (depth == 32) return {{8, 24}, {8, 16}, {8, 8}, {8, 0}};
    if (depth == 24) return {{0, 0}, {8, 0}, {8, 8}, {8, 16}};
    switch (format) {
    case PIXFMT_555: return {{0, 0}, {5, 10}, {5, 5}, {5, 0}};
    case PIXFMT_565: return {{0, 0}, {5, 11}, {6, 5}, {5, 0}};
    case PIXFMT_4444: return {{4, 12}, {4, 8}, {4, 4}, {4, 0}};
    case PIXFMT_555_BGR: return {{0, 0}, {5, 0}, {5, 5}, {5, 10}};
    default: return {};
    }
}

int Get(uint32_t v, Chan c) { return c.bits ? int((v >> c.shift) & ((1u << c.bits) - 1)) : 0; }
uint32_t Put(int v, Chan c) { return c.bits ? uint32_t(v) << c.shift : 0; }
int Trunc(double v) { return int(std::floor(v + 1e-9)); }
int Clamp(int v, int lo, int hi) { return std::max(lo, std::min(hi, v)); }

struct Rgba8 { int r, g, b, a; };

// 8-bit channels of a raw value; alpha widened, 255 where the format has none.
Rgba8 Expand(const CxDrawSurface& s, uint32_t v)
{
    int depth = s.GetDepth();
    if (depth <= 8) {
        const uint8_t* e = s.GetPalette() + 3 * v;
        return {e[0], e[1], e[2], 255};
    }
    uint32_t colour = v;
    Desc d = DescOf(depth, s.GetPixelFormat());
    if (s.GetPixelFormat() == PIXFMT_ALPHA_INDEX12) {
        colour = s.GetIndexTable()[v & 0xFFF];
        d = DescOf(16, PIXFMT_565);
        d.a = {4, 12};
    }
    Rgba8 out{Get(colour, d.r) << (8 - d.r.bits), Get(colour, d.g) << (8 - d.g.bits), Get(colour, d.b) << (8 - d.b.bits), 255};
    if (d.a.bits) out.a = Get(v, d.a) * 255 / ((1 << d.a.bits) - 1);
    return out;
}

uint32_t Nearest(const CxDrawSurface& s, int r, int g, int b)
{
    int best = 0, bestDistance = 0x30000;
    for (int i = 0; i < (1 << s.GetDepth()); ++i) {
        const uint8_t* e = s.GetPalette() + 3 * i;
        int dist = (e[0] - r) * (e[0] - r) + (e[1] - g) * (e[1] - g) + (e[2] - b) * (e[2] - b);
        if (dist < bestDistance) bestDistance = dist, best = i;
    }
    return uint32_t(best);
}

uint32_t Narrow(const CxDrawSurface& s, Rgba8 c)
{
    if (s.GetDepth() <= 8) return Nearest(s, c.r, c.g, c.b);
    Desc d = DescOf(s.GetDepth(), s.GetPixelFormat());
    return Put(c.r >> (8 - d.r.bits), d.r) | Put(c.g >> (8 - d.g.bits), d.g) | Put(c.b >> (8 - d.b.bits), d.b) |
           (d.a.bits ? Put(c.a >> (8 - d.a.bits), d.a) : 0);
}

// The bits of a 16-bit word that a colour blend leaves as they were.
uint32_t Unblended(uint32_t d, const Desc& l)
{
    uint32_t colour = Put((1 << l.r.bits) - 1, l.r) | Put((1 << l.g.bits) - 1, l.g) | Put((1 << l.b.bits) - 1, l.b);
    return d & ~colour & 0xFFFF;
}

// Source channel of `from` bits moved to `to` bits.
int Rebits(int v, int from, int to) { return to >= from ? v << (to - from) : v >> (from - to); }

struct Case {
    const char* name;
    int code;
    int p1, p2, p3;
    bool key;
    bool scaled;
};

// The stencil-colour case with p2 = -2 stands for "p2 = the source's raw pixel at (0, 0)".
const Case kCases[] = {
    {"copy", BLT_EFFECT_NONE, 0, 0, 0, false, false},      {"copy key", BLT_EFFECT_NONE, 0, 0, 0, true, false},
    {"copy scaled", BLT_EFFECT_NONE, 0, 0, 0, true, true}, {"half", BLT_EFFECT_HALF, 0, 0, 0, false, false},
    {"half key", BLT_EFFECT_HALF, 0, 0, 0, true, false},   {"alpha", BLT_EFFECT_ALPHA, 0, 0, 0, false, false},
    {"alpha key", BLT_EFFECT_ALPHA, 0, 0, 0, true, false}, {"alpha scaled", BLT_EFFECT_ALPHA, 0, 0, 0, false, true},
    {"dest alpha", BLT_EFFECT_DEST_ALPHA, 0, 0, 0, false, false},
    {"mix alpha", BLT_EFFECT_MIX_ALPHA, 0, 0, 0, false, false},
    {"alpha over", BLT_EFFECT_ALPHA_OVER, 0, 0, 0, false, false},
    {"translucent", BLT_EFFECT_TRANSLUCENT, 96, 0, 0, true, false},
    {"dest opacity", BLT_EFFECT_DEST_OPACITY, 64, 0, 0, false, false},
    {"alpha tint", BLT_EFFECT_ALPHA_TINT, 40, -24, 16, false, false},
    {"fill mask", BLT_EFFECT_FILL_MASK, 1, 0, 0, true, false},
    {"silhouette", BLT_EFFECT_SILHOUETTE, 2, 0, 0, true, false},
    {"add color", BLT_EFFECT_ADD_COLOR, 30, -40, 100, true, false},
    {"flip vertical", BLT_EFFECT_FLIP_VERTICAL, 0, 0, 0, false, false},
    {"hidden", BLT_EFFECT_HIDDEN, 0, 0, 0, false, false},
    {"stencil", BLT_EFFECT_STENCIL, 0, 0, 0, true, false},
    {"stencil color", BLT_EFFECT_STENCIL_COLOR, 0, -1, 0, false, false},
    {"stencil color p2", BLT_EFFECT_STENCIL_COLOR, 0, -2, 0, true, false},
    {"custom", BLT_EFFECT_CUSTOM, 0, 5, 0, true, false},
    {"code 13", 13, 0, 0, 0, true, false},
};
constexpr int kTile = 6;
constexpr int kCaseCount = int(sizeof kCases / sizeof kCases[0]);

int CustomRoutine(CxDrawSurface* source, CxDrawSurface* destination, const CxRect& s, const CxRect& d, CxPixel key,
                  intptr_t p2, intptr_t p3)
{
    for (int y = d.top; y <= d.bottom; ++y)
        for (int x = d.left; x <= d.right; ++x)
            if (source->GetPixel(s.left + x - d.left, s.top + y - d.top) != key) destination->SetPixel(x, y, CxPixel(p2));
    return 0;
}

// Raw value written for a "raw destination value" parameter, kept in range.
uint32_t RawParam(const CxDrawSurface& dst, int p)
{
    return dst.GetDepth() >= 32 ? 0x80FF8000u + uint32_t(p) : uint32_t(p * 0x1357) & ((1u << dst.GetDepth()) - 1);
}

// Expected destination after one case: the routine is chosen from the depth
// pair and the conditions the rules give, then its arithmetic applied.
void Model(const CxDrawSurface& src, CxDrawSurface& dst, const CxDrawSurface& stencil, const Case& c, int tileY,
           uint32_t key, const BltEffects& fx)
{
    if (c.code == BLT_EFFECT_HIDDEN) return;
    CxRect s = c.scaled ? CxRect{1, 2, 3, 4} : CxRect{0, 0, kTile - 1, kTile - 1};
    int sw = s.Width(), sh = s.Height();
    int sd = src.GetDepth(), dd = dst.GetDepth(), sf = src.GetPixelFormat(), df = dst.GetPixelFormat();
    bool equal = !c.scaled, hasKey = c.key, dst16 = dd == 16 && df != PIXFMT_ALPHA_INDEX12;
    bool src16 = sd == 16 && sf != PIXFMT_ALPHA_INDEX12;
    int code = c.code;
    Desc dl = DescOf(dd, df), sl = DescOf(sd, sf);
    const Chan dch[3] = {dl.r, dl.g, dl.b};
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) {
            int sx = s.left + x * sw / kTile, sy = s.top + y * sh / kTile, dx = x, dy = tileY + y;
            uint32_t v = src.GetPixel(sx, sy), d = dst.GetPixel(dx, dy);
            bool transparent = hasKey && v == key;
            auto write = [&](uint32_t value) { dst.SetPixel(dx, dy, value); };
            if (code == BLT_EFFECT_CUSTOM) {
                if (!transparent) write(uint32_t(fx.param2));
                continue;
            }
            // --- specialised routines (equal sizes only)
            if (equal && sf == PIXFMT_ALPHA_INDEX12 && dst16 && code == 3 && !hasKey) {
                if (v < 0x1000) continue;
                uint32_t t = src.GetIndexTable()[v & 0xFFF];
                if (v >= 0xF000) { write(t); continue; }
                int a = int(v >> 12);
                uint32_t out = 0;
                for (Chan ch : dch) out |= Put((Get(t, ch) * a + Get(d, ch) * (15 - a)) >> 4, ch);
                write(out);
                continue;
            }
            if (equal && sd == 8 && dd == 8 && (code == 0 || code == 1 || code == 13 || code == 15 || code == 10 || code == 11)) {
                if (code == 10) write(transparent ? uint32_t(fx.param1 & 0xFF) : v);
                else if (!transparent) write(code == 11 ? uint32_t(fx.param1 & 0xFF) : v);
                continue;
            }
            bool family = equal && dst16 && (sd == 8 || src16) && (code == 0 || code == 2 || code == 10);
            if (equal && dst16 && src16 && (code == 3 || code == 14) && !hasKey) {
                if (code == 14) {
                    uint32_t f = src.GetPixel(sx, s.bottom - y);
                    Rgba8 e = Expand(src, f);
                    write(sf == df ? f : Narrow(dst, {e.r, e.g, e.b, e.a}));
                    continue;
                }
                if (sf != PIXFMT_4444) continue;   // a source without alpha bits draws nothing
                int a = Get(v, sl.a);
                if (a == 0) continue;
                uint32_t out = Unblended(d, dl);
                const Chan sch[3] = {sl.r, sl.g, sl.b};
                for (int k = 0; k < 3; ++k)
                    out |= Put((Get(d, dch[k]) * (15 - a) + Rebits(Get(v, sch[k]), 4, dch[k].bits) * a) >> 4, dch[k]);
                write(out);
                continue;
            }
            if (family) {
                Rgba8 e = Expand(src, v);
                uint32_t word = (sd == 16 && sf == df) ? v : Narrow(dst, {e.r, e.g, e.b, sd == 8 ? 255 : e.a});
                if (code == 10) { write(transparent ? uint32_t(fx.param1) & 0xFFFF : word); continue; }
                if (transparent) continue;
                uint32_t m = df == PIXFMT_565 ? 0x7BEF : (df == PIXFMT_4444 ? 0x7777 : 0x3DEF);
                write(code == 2 ? ((word >> 1) & m) + ((d >> 1) & m) : word);
                continue;
            }
            if (equal && sd == 24 && dst16 && !hasKey && (code == 0 || code == 14)) {
                Rgba8 e = Expand(src, code == 14 ? src.GetPixel(sx, s.bottom - y) : v);
                write(Narrow(dst, e));
                continue;
            }
            if (equal && sd == 32 && dst16 && ((code == 3 && !hasKey) || code == 9)) {
                if (transparent) continue;
                int a = int(v >> 24);
                if (a == 0) continue;
                Rgba8 e = Expand(src, v);
                const int s8[3] = {e.r, e.g, e.b}, tint[3] = {code == 9 ? c.p1 / 8 : 0, code == 9 ? c.p2 / 8 : 0, code == 9 ? c.p3 / 8 : 0};
                uint32_t out = Unblended(d, dl);
                for (int k = 0; k < 3; ++k) {
                    int n = ((s8[k] >> (8 - dch[k].bits)) * a + Get(d, dch[k]) * (255 - a)) >> 8;
                    out |= Put(Clamp(n + tint[k], 0, (1 << dch[k].bits) - 1), dch[k]);
                }
                write(out);
                continue;
            }
            if (equal && sd == 32 && dd == 32 && code >= 0 && code <= 6 && code != 1) {
                if (transparent) continue;
                int sa = int(v >> 24), da = int(d >> 24);
                uint32_t keep = d & 0xFF000000u, out = 0;
                auto each = [&](auto f) {
                    uint32_t o = 0;
                    for (int shift = 0; shift < 24; shift += 8) o |= uint32_t(f(int(v >> shift) & 255, int(d >> shift) & 255)) << shift;
                    return o;
                };
                switch (code) {
                case 0: out = v; break;
                case 2: out = keep | each([](int a, int b) { return (a >> 1) + (b >> 1); }); break;
                case 3:
                    if (sa == 0) continue;
                    out = sa == 255 && !hasKey ? v : each([&](int a, int b) { return (sa * a + (255 - sa) * b) >> 8; });
                    break;
                case 4: out = keep | each([&](int a, int b) { return Trunc(a * (1 - da / 255.0) + b * (da / 255.0)); }); break;
                case 5:
                    if (sa == 0) continue;
                    out = keep | each([&](int a, int b) { return Trunc(double(a * sa + b * da) / (sa + da)); });
                    break;
                case 6: {
                    if (sa == 0) continue;
                    double fa = sa / 255.0, fb = (1 - fa) * da / 255.0;
                    uint32_t oa = fa + fb >= 1 - 1e-9 ? 255u : uint32_t(Trunc((fa + fb) * 255));
                    out = oa << 24 | each([&](int a, int b) { return Trunc((b * fb + a * fa) / (fa + fb)); });
                    break;
                }
                }
                write(out);
                continue;
            }
            // --- generic routine
            if (transparent) continue;
            int g = code;
            if (!(g == 0 || g == 2 || g == 3 || g == 4 || g == 5 || g == 7 || g == 8 || g == 11 || g == 12 || g == 17 || g == 18)) g = 0;
            if (g == 11) { write(RawParam(dst, c.p1)); continue; }
            Rgba8 st{128, 128, 128, 255};
            if (g == 17 || g == 18) {
                uint32_t sv = stencil.GetPixel(dx, dy);
                if (sv == stencil.GetTransparentColor()) continue;
                st = Expand(stencil, sv);
            }
            if (g == 18) {
                if (fx.param2 != -1) v = uint32_t(fx.param2);
                if (v == dst.GetTransparentColor()) continue;
            }
            if (sd <= 8 && dd <= 8 && g == 0) { write(v & ((1u << dd) - 1)); continue; }
            Rgba8 S = Expand(src, v), D = Expand(dst, d), out = S;
            switch (g) {
            case 2: out = {Trunc((S.r + D.r) / 2.0), Trunc((S.g + D.g) / 2.0), Trunc((S.b + D.b) / 2.0), S.a}; break;
            case 3: {
                if (S.a == 0) continue;
                double t = S.a / 255.0;
                out = {Trunc(S.r * t + D.r * (1 - t)), Trunc(S.g * t + D.g * (1 - t)), Trunc(S.b * t + D.b * (1 - t)), S.a};
                break;
            }
            case 4: case 8: {
                double w = (g == 4 ? D.a : c.p1) / 255.0;
                out = {Trunc(S.r * (1 - w) + D.r * w), Trunc(S.g * (1 - w) + D.g * w), Trunc(S.b * (1 - w) + D.b * w), S.a};
                break;
            }
            case 5: {
                double ws = S.a + D.a == 0 ? 0.5 : double(S.a) / (S.a + D.a), wd = S.a + D.a == 0 ? 0.5 : double(D.a) / (S.a + D.a);
                out = {Trunc(S.r * ws + D.r * wd), Trunc(S.g * ws + D.g * wd), Trunc(S.b * ws + D.b * wd), S.a};
                break;
            }
            case 7: {
                double t = c.p1 / 255.0;
                out = {Trunc((1 - t) * D.r + t * S.r), Trunc((1 - t) * D.g + t * S.g), Trunc((1 - t) * D.b + t * S.b), c.p1};
                break;
            }
            case 12: out = {Clamp(S.r + c.p1, 0, 255), Clamp(S.g + c.p2, 0, 255), Clamp(S.b + c.p3, 0, 255), S.a}; break;
            case 18: out = {Clamp(S.r + st.r - 128, 0, 255), Clamp(S.g + st.g - 128, 0, 255), Clamp(S.b + st.b - 128, 0, 255), S.a}; break;
            default: break;
            }
            write(Narrow(dst, out));
        }
}

// ----------------------------------------------------------------------
// Fixtures of one format pair
// ----------------------------------------------------------------------

struct Format { int depth; uint8_t format; };

std::string FormatName(Format f)
{
    static const char* names[] = {"default", "555", "565", "556", "655", "rgb888", "4444", "indexed", "555bgr", "alphaindex"};
    return std::to_string(f.depth) + "_" + names[f.format];
}

void MakeSurface(CxDrawSurface& s, Format f, int w, int h, uint32_t seed)
{
    s.Create(w, h, f.depth, -1, nullptr, f.format == PIXFMT_ALPHA_INDEX12 ? uint8_t(PIXFMT_555) : f.format);
    if (f.format == PIXFMT_ALPHA_INDEX12) {
        uint16_t table[CX_INDEX12_ENTRIES];
        for (int i = 0; i < CX_INDEX12_ENTRIES; ++i) table[i] = uint16_t(i * 40503u + seed);
        s.SetPixelFormat(PIXFMT_ALPHA_INDEX12);
        s.SetIndexTable(table, PIXFMT_565);
    }
    FillTestPalette(s);
    FillPattern(s, seed);
    if (f.depth == 32) {   // alpha 0 and 255 must both occur
        s.SetPixel(2, 0, s.GetPixel(2, 0) | 0xFF000000u);
        s.SetPixel(4, 3, s.GetPixel(4, 3) & 0x00FFFFFFu);
        s.SetPixel(0, 5, 0xFF102030u);
    }
    if (f.format == PIXFMT_ALPHA_INDEX12) s.SetPixel(1, 4, 0xF123), s.SetPixel(3, 1, 0x0123);
}

struct PairResult {
    CxDrawSurface engine, model;
};

void RunPair(Format from, Format to, PairResult& out)
{
    CxDrawSurface src, stencil;
    MakeSurface(src, from, kTile, kTile, 11);
    uint32_t key = src.GetPixel(1, 1);
    src.SetPixel(4, 2, key), src.SetPixel(2, 5, key);
    MakeSurface(out.engine, to, kTile, kTile * kCaseCount, 23);
    MakeSurface(out.model, to, kTile, kTile * kCaseCount, 23);
    stencil.Create(kTile, kTile * kCaseCount, 8);
    FillTestPalette(stencil);
    FillPattern(stencil, 5);
    stencil.SetTransparentColor(stencil.GetPixel(0, 0));
    for (int i = 0; i < kCaseCount; ++i) {
        const Case& c = kCases[i];
        BltEffects fx{c.code, c.p1, c.p2, c.p3};
        if (c.code == BLT_EFFECT_FILL_MASK || c.code == BLT_EFFECT_SILHOUETTE) fx.param1 = intptr_t(RawParam(out.engine, c.p1));
        if (c.code == BLT_EFFECT_STENCIL || c.code == BLT_EFFECT_STENCIL_COLOR) fx.param1 = reinterpret_cast<intptr_t>(&stencil);
        if (c.code == BLT_EFFECT_STENCIL_COLOR && c.p2 == -2) fx.param2 = intptr_t(src.GetPixel(0, 0));
        if (c.code == BLT_EFFECT_CUSTOM) fx.param1 = reinterpret_cast<intptr_t>(&CustomRoutine), fx.param2 = intptr_t(RawParam(out.engine, 3));
        if (c.code == BLT_EFFECT_ALPHA_TINT) fx.param2 = intptr_t(int32_t(c.p2));
        CxRect d{0, i * kTile, kTile - 1, i * kTile + kTile - 1};
        CxRect s = c.scaled ? CxRect{1, 2, 3, 4} : src.GetRect();
        src.SetTransparentColor(CX_NO_COLOR);
        EXPECT_EQ(src.Blt(&out.engine, &d, &s, c.key ? key : CX_NO_COLOR, &fx), 0);
        BltEffects modelFx = fx;
        if (c.code == BLT_EFFECT_FILL_MASK || c.code == BLT_EFFECT_SILHOUETTE) modelFx.param1 = fx.param1;
        Model(src, out.model, stencil, c, i * kTile, key, modelFx);
    }
}

// First differing pixel as text, or empty when the surfaces agree.
std::string Compare(const CxDrawSurface& a, const CxDrawSurface& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return "sizes differ";
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y)) {
                char text[160];
                snprintf(text, sizeof text, "case '%s' pixel (%d, %d): %08x vs %08x", kCases[y / kTile].name, x, y % kTile,
                         a.GetPixel(x, y), b.GetPixel(x, y));
                return text;
            }
    return {};
}

const Format kPairs[][2] = {
    {{8, PIXFMT_INDEXED}, {8, PIXFMT_INDEXED}},   {{8, PIXFMT_INDEXED}, {16, PIXFMT_565}},
    {{8, PIXFMT_INDEXED}, {24, PIXFMT_RGB888}},   {{8, PIXFMT_INDEXED}, {32, PIXFMT_RGB888}},
    {{16, PIXFMT_565}, {16, PIXFMT_565}},         {{16, PIXFMT_4444}, {16, PIXFMT_565}},
    {{16, PIXFMT_555}, {16, PIXFMT_565}},         {{16, PIXFMT_4444}, {16, PIXFMT_4444}},
    {{16, PIXFMT_555}, {32, PIXFMT_RGB888}},      {{24, PIXFMT_RGB888}, {16, PIXFMT_565}},
    {{24, PIXFMT_RGB888}, {24, PIXFMT_RGB888}},   {{24, PIXFMT_RGB888}, {32, PIXFMT_RGB888}},
    {{32, PIXFMT_RGB888}, {16, PIXFMT_565}},      {{32, PIXFMT_RGB888}, {16, PIXFMT_555}},
    {{32, PIXFMT_RGB888}, {32, PIXFMT_RGB888}},   {{32, PIXFMT_RGB888}, {24, PIXFMT_RGB888}},
    {{32, PIXFMT_RGB888}, {8, PIXFMT_INDEXED}},   {{16, PIXFMT_ALPHA_INDEX12}, {16, PIXFMT_565}},
    {{4, PIXFMT_INDEXED}, {32, PIXFMT_RGB888}},   {{1, PIXFMT_INDEXED}, {8, PIXFMT_INDEXED}},
    {{16, PIXFMT_555_BGR}, {24, PIXFMT_RGB888}},
};

class BlitGolden : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(BlitGolden, EngineModelAndGoldenAgree)
{
    ErrorCapture capture;
    Format from = kPairs[GetParam()][0], to = kPairs[GetParam()][1];
    PairResult result;
    RunPair(from, to, result);
    std::string mismatch = Compare(result.engine, result.model);
    EXPECT_EQ(mismatch, "") << FormatName(from) << " -> " << FormatName(to);
    std::string path = std::string(VORN_SOURCE_DIR) + "/tests/graphics/golden/blit_" + FormatName(from) + "_to_" + FormatName(to) + ".qor";
    const char* regen = std::getenv("VORN_REGEN_GOLDEN");
    if (regen && *regen == '1' && mismatch.empty()) {
        CxImageBytes bytes;
        ASSERT_EQ(QorEncodeQOR(&result.engine, 1, bytes), 0);
        WriteFileBytes(path, std::string(reinterpret_cast<char*>(bytes.Data()), bytes.Size()));
    }
    std::string stored = ReadFileBytes(path);
    ASSERT_FALSE(stored.empty()) << "missing golden image " << path << " (run with VORN_REGEN_GOLDEN=1)";
    CxDrawSurface golden;
    ASSERT_EQ(QorDecodeQOR(&golden, reinterpret_cast<const uint8_t*>(stored.data()), stored.size(), path.c_str()), 0);
    EXPECT_EQ(golden.GetPixelFormat(), result.engine.GetPixelFormat());
    EXPECT_EQ(Compare(result.engine, golden), "") << "engine differs from " << path;
}

INSTANTIATE_TEST_SUITE_P(Pairs, BlitGolden, ::testing::Range(0, int(sizeof kPairs / sizeof kPairs[0])),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return FormatName(kPairs[info.param][0]) + "_to_" + FormatName(kPairs[info.param][1]);
                         });

// ----------------------------------------------------------------------
// Clipping, scaling and the documented edge cases
// ----------------------------------------------------------------------

TEST(Blit, ClippedAtNegativeOffsetTakesTheLowerRightOfTheSource)
{
    CxDrawSurface src, dst;
    src.Create(10, 10, 32);
    dst.Create(10, 10, 32);
    FillPattern(src, 1);
    EXPECT_EQ(src.BltAt(&dst, -5, -5), 0);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(dst.GetPixel(x, y), x < 5 && y < 5 ? src.GetPixel(x + 5, y + 5) : 0u) << x << "," << y;
}

TEST(Blit, NothingIntersectingDrawsNothingAndSucceeds)
{
    CxDrawSurface src, dst;
    src.Create(4, 4, 8);
    dst.Create(4, 4, 8);
    src.FillRect(nullptr, 9);
    EXPECT_EQ(src.BltAt(&dst, 4, 0), 0);
    EXPECT_EQ(src.BltAt(&dst, -4, -4), 0);
    CxRect outside{10, 10, 12, 12};
    EXPECT_EQ(src.BltAt(&dst, 0, 0, &outside), 0);
    EXPECT_EQ(dst.CountPixels(0), 16);
}

TEST(Blit, DoubleSizeSamplesEachSourcePixelTwice)
{
    CxDrawSurface src, dst;
    src.Create(3, 2, 24);
    FillPattern(src, 7);
    dst.Create(6, 4, 24);
    EXPECT_EQ(src.Blt(&dst, nullptr), 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(dst.GetPixel(x, y), src.GetPixel(x / 2, y / 2));
}

TEST(Blit, ScaledClippingMovesTheSourceProportionally)
{
    CxDrawSurface src, dst;
    src.Create(4, 4, 8);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) src.SetPixel(x, y, CxPixel(10 * y + x + 1));
    dst.Create(6, 6, 8);
    CxRect d{-4, -4, 3, 3};   // 8 x 8 at double size, half of it outside
    EXPECT_EQ(src.Blt(&dst, &d), 0);
    // Left edge: 4 * 4/8 + 0.5 -> 2; the right edge stays; so source columns 2..3 fill 0..3.
    EXPECT_EQ(dst.GetPixel(0, 0), 23u);
    EXPECT_EQ(dst.GetPixel(1, 1), 23u);
    EXPECT_EQ(dst.GetPixel(2, 0), 24u);
    EXPECT_EQ(dst.GetPixel(3, 3), 34u);
    EXPECT_EQ(dst.GetPixel(4, 4), 0u);
}

TEST(Blit, TransparencyComparesTheWholeRawValue)
{
    CxDrawSurface src, dst;
    src.Create(2, 1, 32);
    dst.Create(2, 1, 32);
    src.SetPixel(0, 0, 0xFFFF00FF);
    src.SetPixel(1, 0, 0x00FF00FF);
    EXPECT_EQ(src.BltAt(&dst, 0, 0, nullptr, 0x00FF00FF), 0);
    EXPECT_EQ(dst.GetPixel(0, 0), 0xFFFF00FFu);   // alpha takes part in the comparison
    EXPECT_EQ(dst.GetPixel(1, 0), 0u);
    // -1 means the source's own colour; with that also -1 every pixel is copied.
    src.SetTransparentColor(0xFFFF00FF);
    dst.FillRect(nullptr, 0);
    src.BltAt(&dst, 0, 0);
    EXPECT_EQ(dst.GetPixel(0, 0), 0u);
    src.SetTransparentColor(CX_NO_COLOR);
    src.BltAt(&dst, 0, 0);
    EXPECT_EQ(dst.GetPixel(0, 0), 0xFFFF00FFu);
    EXPECT_EQ(dst.GetPixel(1, 0), 0x00FF00FFu);
}

TEST(Blit, AlphaEdgeCases)
{
    CxDrawSurface src, dst32, dst16;
    src.Create(2, 1, 32);
    src.SetPixel(0, 0, 0x00FFFFFF);   // alpha 0
    src.SetPixel(1, 0, 0xFF123456);   // alpha 255
    dst32.Create(2, 1, 32);
    dst32.FillRect(nullptr, 0x80808080);
    BltEffects alpha{BLT_EFFECT_ALPHA};
    src.BltAt(&dst32, 0, 0, nullptr, CX_NO_COLOR, &alpha);
    EXPECT_EQ(dst32.GetPixel(0, 0), 0x80808080u);
    EXPECT_EQ(dst32.GetPixel(1, 0), 0xFF123456u);
    dst16.Create(1, 1, 16, -1, nullptr, PIXFMT_565);
    CxDrawSurface white;
    white.Create(1, 1, 32);
    white.SetPixel(0, 0, 0xFFFFFFFF);
    white.BltAt(&dst16, 0, 0, nullptr, CX_NO_COLOR, &alpha);
    EXPECT_EQ(dst16.GetPixel(0, 0) >> 11, 30u);   // (255 * 31) >> 8
}

TEST(Blit, HiddenAndErrorsDrawNothing)
{
    ErrorCapture capture;
    CxDrawSurface src, dst, broken;
    src.Create(2, 2, 8);
    src.FillRect(nullptr, 4);
    dst.Create(2, 2, 8);
    BltEffects hidden{BLT_EFFECT_HIDDEN};
    EXPECT_EQ(src.BltAt(&dst, 0, 0, nullptr, CX_NO_COLOR, &hidden), 0);
    EXPECT_EQ(dst.CountPixels(0), 4);
    broken.Create(-1, 2, 8);
    EXPECT_EQ(src.BltAt(&broken, 0, 0), 0);
    EXPECT_EQ(broken.BltAt(&dst, 0, 0), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(src.GetErrorCode(), 0);
    EXPECT_EQ(dst.CountPixels(0), 4);
}

namespace {
class OtherSurface : public CxSurfaceBase {
public:
    int32_t GetWidth() const override { return 1; }
    int32_t GetHeight() const override { return 1; }
};
}  // namespace

TEST(Blit, RenderTargetChecksTheSourceKind)
{
    CxDrawSurface src, dst;
    src.Create(2, 2, 16);
    src.FillRect(nullptr, 0x1234);
    dst.Create(4, 4, 16);
    OtherSurface other;
    EXPECT_EQ(dst.DrawSurfaceAt(&other, 0, 0, nullptr, CX_NO_COLOR, nullptr), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(src.BltToTarget(&dst, 1, 1), 0);
    EXPECT_EQ(dst.GetPixel(2, 2), 0x1234u);
    CxRect into{0, 0, 3, 0};
    EXPECT_EQ(src.BltToTarget(&dst, &into), 0);
    EXPECT_EQ(dst.CountPixels(0x1234), 8);
}

// Opaque white is a 32-bit colour, not "no colour": a light-mapped blit onto
// a destination without a transparent colour draws it.
TEST(Blit, OpaqueWhiteIsDrawnThroughTheStencilColourEffect)
{
    CxDrawSurface src, dst, stencil;
    src.Create(4, 2, 32);
    dst.Create(4, 2, 32);
    stencil.Create(4, 2, 32);
    src.FillRect(nullptr, 0xFFFFFFFF);
    dst.FillRect(nullptr, 0xFF000000);
    stencil.FillRect(nullptr, 0xFF808080);   // mid-grey: the light map leaves colours as they are
    BltEffects fx{BLT_EFFECT_STENCIL_COLOR, reinterpret_cast<intptr_t>(&stencil), -1, 0};
    src.BltAt(&dst, 0, 0, nullptr, CX_NO_COLOR, &fx);
    EXPECT_EQ(dst.GetPixel(1, 1), 0xFFFFFFFFu);
}
