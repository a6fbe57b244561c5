// Drawing on a surface: lines, rectangles, circles, flood fill, flips,
// rotation, scrolling and the colour filters.  Every routine locks the
// surface, stays inside it, and does nothing on a surface in error.
#include "graphics/CxSurf.h"
#include "foundation/CxMemory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
// Unlocks on every way out of a drawing routine.
class SurfaceLock {
public:
    explicit SurfaceLock(CxDrawSurface& s) : surface_(s), ok_(!s.InError() && s.Lock()) {}
    ~SurfaceLock() { surface_.Unlock(); }
    explicit operator bool() const { return ok_; }

private:
    CxDrawSurface& surface_;
    bool ok_;
};

struct ScopedBlock {
    void* block;
    ~ScopedBlock() { QorFree(block); }
};

// Gaussian of standard deviation 1, times 1000, rounded.
constexpr int kBlurWeights[7][7] = {
    {0, 0, 1, 2, 1, 0, 0},     {0, 3, 13, 22, 13, 3, 0},  {1, 13, 59, 97, 59, 13, 1}, {2, 22, 97, 159, 97, 22, 2},
    {1, 13, 59, 97, 59, 13, 1}, {0, 3, 13, 22, 13, 3, 0}, {0, 0, 1, 2, 1, 0, 0},
};

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
}  // namespace

// ======================================================================
// Lines and rectangles
// ======================================================================

void CxDrawSurface::FillRect(const CxRect* rect, CxPixel color)
{
    SurfaceLock lock(*this);
    CxRect r;
    if (!lock || !ClipToSurface(rect, r)) return;
    for (int32_t y = r.top; y <= r.bottom; ++y) {
        uint8_t* p = GetPixelAddress(r.left, y);
        int32_t n = r.Width();
        switch (depth_) {
        case 8: std::memset(p, int(color & 0xFF), size_t(n)); break;
        case 16: {
            uint16_t v = uint16_t(color);
            for (int32_t i = 0; i < n; ++i) std::memcpy(p + 2 * i, &v, 2);
            break;
        }
        case 24:
            for (int32_t i = 0; i < n; ++i, p += 3) p[0] = uint8_t(color >> 16), p[1] = uint8_t(color >> 8), p[2] = uint8_t(color);
            break;
        case 32:
            for (int32_t i = 0; i < n; ++i) std::memcpy(p + 4 * i, &color, 4);
            break;
        default:
            for (int32_t x = r.left; x <= r.right; ++x) SetPixel(x, y, color);
        }
    }
}

void CxDrawSurface::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, CxPixel color)
{
    SurfaceLock lock(*this);
    if (!lock) return;
    if (y1 == y2 && y1 >= 0 && y1 < height_) {
        // The run stops before the larger end, so x1 = x2 draws nothing.
        int32_t a = Clamp(x1, 0, width_ - 1), b = Clamp(x2, 0, width_ - 1);
        if (a > b) std::swap(a, b);
        if (b > a) {
            CxRect run{a, y1, b - 1, y1};
            FillRect(&run, color);
        }
        return;
    }
    int64_t dx = std::llabs(int64_t(x2) - x1), dy = std::llabs(int64_t(y2) - y1);
    int64_t n = std::max(dx, dy), ex = 0, ey = 0;
    int sx = x2 > x1 ? 1 : (x2 < x1 ? -1 : 0), sy = y2 > y1 ? 1 : (y2 < y1 ? -1 : 0);
    int64_t x = x1, y = y1;
    for (int64_t i = 0; i < n + 2; ++i) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) SetPixel(int32_t(x), int32_t(y), color);
        ex += dx, ey += dy;
        if (ex > n) ex -= n, x += sx;
        if (ey > n) ey -= n, y += sy;
    }
}

void CxDrawSurface::DrawLineEx(int32_t x1, int32_t y1, int32_t x2, int32_t y2, CxPixel color, double opacity,
                               int32_t width)
{
    SurfaceLock lock(*this);
    if (!lock || width < 0) return;
    if (!(opacity >= 0)) opacity = 0;
    if (opacity > 1) opacity = 1;
    int ca, cr, cg, cb;
    SplitPixel(color, ca, cr, cg, cb);
    int64_t dx = std::llabs(int64_t(x2) - x1), dy = std::llabs(int64_t(y2) - y1);
    int64_t n = std::max(dx, dy), ex = 0, ey = 0;
    int sx = x2 > x1 ? 1 : (x2 < x1 ? -1 : 0), sy = y2 > y1 ? 1 : (y2 < y1 ? -1 : 0);
    int64_t x = x1, y = y1;
    int32_t half = width / 2;
    for (int64_t i = 0; i < n + 2; ++i) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            for (int64_t px = std::max<int64_t>(x - half, 0); px <= x + half && px < width_; ++px) {
                int a, r, g, b;
                SplitPixel(GetPixel(int32_t(px), int32_t(y)), a, r, g, b);
                PutColor(int32_t(px), int32_t(y), int(r * (1 - opacity) + cr * opacity),
                         int(g * (1 - opacity) + cg * opacity), int(b * (1 - opacity) + cb * opacity));
            }
        ex += dx, ey += dy;
        if (ex > n) ex -= n, x += sx;
        if (ey > n) ey -= n, y += sy;
    }
}

void CxDrawSurface::DrawRect(const CxRect& r, CxPixel color)
{
    DrawLine(r.left, r.top, r.right, r.top, color);
    DrawLine(r.right, r.top, r.right, r.bottom, color);
    DrawLine(r.right, r.bottom, r.left, r.bottom, color);
    DrawLine(r.left, r.bottom, r.left, r.top, color);
}

// ======================================================================
// Circles and flood fill
// ======================================================================

// Midpoint circle over one octant; the loop ends where the octant does
// (i > j), since stepping further plots points off the circle.
void CxDrawSurface::DrawCircle(int32_t cx, int32_t cy, int32_t radius, CxPixel color)
{
    SurfaceLock lock(*this);
    if (!lock || radius < 0) return;
    int64_t i = 0, j = radius, d = 3 - 2 * int64_t(radius);
    while (i <= j) {
        const int64_t px[8] = {cx + i, cx - i, cx + i, cx - i, cx + j, cx - j, cx + j, cx - j};
        const int64_t py[8] = {cy + j, cy + j, cy - j, cy - j, cy + i, cy + i, cy - i, cy - i};
        for (int k = 0; k < 8; ++k)
            if (px[k] >= 0 && py[k] >= 0 && px[k] < width_ && py[k] < height_) SetPixel(int32_t(px[k]), int32_t(py[k]), color);
        if (d < 0) d += 4 * i + 6;
        else d += 4 * (i - j) + 10, --j;
        ++i;
    }
}

void CxDrawSurface::FillCircle(int32_t cx, int32_t cy, int32_t radius, CxPixel color)
{
    SurfaceLock lock(*this);
    if (!lock || radius < 0) return;
    int32_t i = 0, j = radius;
    int64_t d = 3 - 2 * int64_t(radius);
    while (i <= j) {
        DrawLine(cx - i, cy + j, cx + i, cy + j, color);
        DrawLine(cx - i, cy - j, cx + i, cy - j, color);
        DrawLine(cx - j, cy + i, cx + j, cy + i, color);
        DrawLine(cx - j, cy - i, cx + j, cy - i, color);
        if (d < 0) d += 4 * int64_t(i) + 6;
        else d += 4 * (int64_t(i) - j) + 10, --j;
        ++i;
    }
}

void CxDrawSurface::FloodFill(int32_t x, int32_t y, CxPixel color)
{
    SurfaceLock lock(*this);
    if (!lock || x < 0 || y < 0 || x >= width_ || y >= height_) return;
    CxPixel old = GetPixel(x, y);
    if (old == color) return;
    // Pixels are recoloured as they are queued, so each enters the queue once.
    size_t capacity = size_t(width_) * size_t(height_);
    auto* queue = static_cast<CxPoint*>(QOR_ALLOC(capacity * sizeof(CxPoint), "CxSurf"));
    if (!queue) {
        Error(ERR_OUT_OF_MEMORY, "FloodFill: could not allocate %ld bytes", long(capacity * sizeof(CxPoint)));
        return;
    }
    ScopedBlock guard{queue};
    size_t head = 0, tail = 0;
    SetPixel(x, y, color);
    queue[tail++] = {x, y};
    static constexpr int kDx[4] = {0, 1, 0, -1}, kDy[4] = {-1, 0, 1, 0};
    while (head < tail) {
        CxPoint p = queue[head++];
        for (int k = 0; k < 4; ++k) {
            int32_t nx = p.x + kDx[k], ny = p.y + kDy[k];
            if (nx < 0 || ny < 0 || nx >= width_ || ny >= height_ || GetPixel(nx, ny) != old) continue;
            SetPixel(nx, ny, color);
            queue[tail++] = {nx, ny};
        }
    }
}

// ======================================================================
// Flips, rotation and scrolling
// ======================================================================

void CxDrawSurface::FlipHorizontal(const CxRect* rect)
{
    SurfaceLock lock(*this);
    CxRect r;
    if (!lock || !ClipToSurface(rect, r)) return;
    for (int32_t y = r.top; y <= r.bottom; ++y)
        for (int32_t a = r.left, b = r.right; a < b; ++a, --b) {
            CxPixel va = GetPixel(a, y), vb = GetPixel(b, y);
            SetPixel(a, y, vb);
            SetPixel(b, y, va);
        }
}

void CxDrawSurface::FlipVertical(const CxRect* rect)
{
    SurfaceLock lock(*this);
    CxRect r;
    if (!lock || !ClipToSurface(rect, r)) return;
    if (depth_ < 8) {
        for (int32_t a = r.top, b = r.bottom; a < b; ++a, --b)
            for (int32_t x = r.left; x <= r.right; ++x) {
                CxPixel va = GetPixel(x, a), vb = GetPixel(x, b);
                SetPixel(x, a, vb);
                SetPixel(x, b, va);
            }
        return;
    }
    size_t bytes = size_t(r.Width()) * size_t(depth_ / 8);
    auto* row = static_cast<uint8_t*>(QOR_ALLOC(bytes, "CxSurf"));
    if (!row) {
        Error(ERR_OUT_OF_MEMORY, "Error: FlipVertical - Could not allocate %ld bytes for row", long(bytes));
        return;
    }
    for (int32_t a = r.top, b = r.bottom; a < b; ++a, --b) {
        uint8_t *pa = GetPixelAddress(r.left, a), *pb = GetPixelAddress(r.left, b);
        std::memcpy(row, pa, bytes);
        std::memcpy(pa, pb, bytes);
        std::memcpy(pb, row, bytes);
    }
    QorFree(row);
}

// Positive angles turn clockwise on screen (y grows downwards).
void CxDrawSurface::Rotate(int degrees)
{
    degrees %= 360;
    if (degrees < 0) degrees += 360;
    if (degrees != 90 && degrees != 180 && degrees != 270) return;
    SurfaceLock lock(*this);
    if (!lock) return;
    if (degrees == 180) {
        CxRect whole = GetRect();
        FlipVertical(&whole);
        FlipHorizontal(&whole);
        return;
    }
    int32_t newWidth = height_, newHeight = width_;
    int64_t newPitch = DefaultPitch(newWidth, depth_);
    size_t size = size_t(newPitch) * size_t(newHeight);
    auto* block = static_cast<uint8_t*>(QOR_ALLOC(size ? size : 1, "CxSurf"));
    if (!block) return;
    CxDrawSurface target;
    if (target.Create(newWidth, newHeight, depth_, int32_t(newPitch), block, format_) != 0) {
        QorFree(block);
        return;
    }
    for (int32_t y = 0; y < newHeight; ++y)
        for (int32_t x = 0; x < newWidth; ++x)
            target.SetPixel(x, y, degrees == 90 ? GetPixel(y, height_ - 1 - x) : GetPixel(width_ - 1 - y, x));
    // The rotated pixels always live in a block of our own from here on.
    ReleasePixels();
    flags_ &= ~SURF_EXTERNAL;
    ownedBlock_ = block, ownedSize_ = size, bits_ = block;
    width_ = newWidth, height_ = newHeight, pitch_ = int32_t(newPitch);
}

void CxDrawSurface::ScrollHorizontal(int32_t n)
{
    SurfaceLock lock(*this);
    if (!lock || width_ <= 0) return;
    int32_t shift = int32_t(((int64_t(n) % width_) + width_) % width_);
    if (shift == 0) return;
    auto* row = static_cast<CxPixel*>(QOR_ALLOC(size_t(width_) * sizeof(CxPixel), "CxSurf"));
    if (!row) return;
    for (int32_t y = 0; y < height_; ++y) {
        for (int32_t x = 0; x < width_; ++x) row[(x + shift) % width_] = GetPixel(x, y);
        for (int32_t x = 0; x < width_; ++x) SetPixel(x, y, row[x]);
    }
    QorFree(row);
}

void CxDrawSurface::ScrollVertical(int32_t n, int flag)
{
    SurfaceLock lock(*this);
    if (!lock || flag || height_ <= 0) return;
    int32_t shift = int32_t(((int64_t(n) % height_) + height_) % height_);
    if (shift == 0) return;
    size_t size = size_t(pitch_) * size_t(height_);
    auto* copy = static_cast<uint8_t*>(QOR_ALLOC(size, "CxSurf"));
    if (!copy) return;
    std::memcpy(copy, bits_, size);
    for (int32_t y = 0; y < height_; ++y)
        std::memcpy(bits_ + size_t((y + shift) % height_) * size_t(pitch_), copy + size_t(y) * size_t(pitch_), size_t(pitch_));
    QorFree(copy);
}

// ======================================================================
// Colour filters
// ======================================================================

void CxDrawSurface::Blur(int passes, const CxRect* rect)
{
    SurfaceLock lock(*this);
    CxRect r;
    if (!lock || !ClipToSurface(rect, r)) return;
    r.left += 3, r.top += 3, r.right -= 3, r.bottom -= 3;
    if (r.IsEmpty()) return;
    for (int pass = 0; pass < passes; ++pass)
        for (int32_t y = r.top; y <= r.bottom; ++y)
            for (int32_t x = r.left; x <= r.right; ++x) {
                if (depth_ == 24) {
                    // Bytes directly, with a centre weight that makes the sum 1000.
                    for (int c = 0; c < 3; ++c) {
                        int sum = 0;
                        for (int j = -3; j <= 3; ++j)
                            for (int i = -3; i <= 3; ++i)
                                sum += (i || j ? kBlurWeights[j + 3][i + 3] : 156) * GetPixelAddress(x + i, y + j)[c];
                        GetPixelAddress(x, y)[c] = uint8_t(sum / 1000);
                    }
                    continue;
                }
                int sr = 0, sg = 0, sb = 0;
                for (int j = -3; j <= 3; ++j)
                    for (int i = -3; i <= 3; ++i) {
                        int w = kBlurWeights[j + 3][i + 3], a, cr, cg, cb;
                        if (!w) continue;
                        SplitPixel(GetPixel(x + i, y + j), a, cr, cg, cb);
                        sr += w * cr, sg += w * cg, sb += w * cb;
                    }
                PutColor(x, y, std::min(sr / 1000, 255), std::min(sg / 1000, 255), std::min(sb / 1000, 255));
            }
}

void CxDrawSurface::Darken(int amount, const CxRect* rect)
{
    SurfaceLock lock(*this);
    CxRect r;
    if (!lock || !ClipToSurface(rect, r)) return;
    amount = Clamp(amount, 0, 255);
    for (int32_t y = r.top; y <= r.bottom; ++y)
        for (int32_t x = r.left; x <= r.right; ++x) {
            int a, cr, cg, cb;
            DecodePixel(GetPixel(x, y), a, cr, cg, cb);
            SetPixel(x, y, EncodeColor(cr * amount / 255, cg * amount / 255, cb * amount / 255, a));
        }
}

void CxDrawSurface::Brighten(int amount, const CxRect* rect)
{
    SurfaceLock lock(*this);
    CxRect r;
    if (!lock || !ClipToSurface(rect, r)) return;
    amount = std::max(amount, 0);
    for (int32_t y = r.top; y <= r.bottom; ++y)
        for (int32_t x = r.left; x <= r.right; ++x) {
            int a, cr, cg, cb;
            DecodePixel(GetPixel(x, y), a, cr, cg, cb);
            SetPixel(x, y, EncodeColor(std::min(cr + cr * amount / 255, 255), std::min(cg + cg * amount / 255, 255),
                                       std::min(cb + cb * amount / 255, 255), a));
        }
}

void CxDrawSurface::SetAlpha(int alpha, const CxRect* rect)
{
    SurfaceLock lock(*this);
    CxRect r;
    if (!lock || !ClipToSurface(rect, r) || depth_ < 16 || !layout_.aBits) return;
    uint32_t bits = layout_.aBits, mask = ((1u << bits) - 1) << layout_.aShift;
    uint32_t field = (uint32_t(Clamp(alpha, 0, 255)) >> (8 - bits)) << layout_.aShift;
    for (int32_t y = r.top; y <= r.bottom; ++y)
        for (int32_t x = r.left; x <= r.right; ++x) SetPixel(x, y, (GetPixel(x, y) & ~mask) | field);
}

void CxDrawSurface::ScaleAlpha(double factor, const CxRect* rect)
{
    SurfaceLock lock(*this);
    CxRect r;
    if (!lock || !ClipToSurface(rect, r) || depth_ < 16 || !layout_.aBits) return;
    if (!(factor >= 0)) factor = 0;
    uint32_t maxField = (1u << layout_.aBits) - 1, mask = maxField << layout_.aShift;
    for (int32_t y = r.top; y <= r.bottom; ++y)
        for (int32_t x = r.left; x <= r.right; ++x) {
            CxPixel v = GetPixel(x, y);
            double scaled = double((v & mask) >> layout_.aShift) * factor;
            uint32_t a = scaled >= maxField ? maxField : uint32_t(scaled);
            SetPixel(x, y, (v & ~mask) | a << layout_.aShift);
        }
}

void CxDrawSurface::BlendToColor(CxPixel color, int amount, const CxRect* rect)
{
    SurfaceLock lock(*this);
    CxRect r;
    if (!lock || depth_ != 16 || format_ == PIXFMT_ALPHA_INDEX12 || !ClipToSurface(rect, r)) return;
    amount &= 0xFF;
    bool fixedPoint = IsMMXAvailable() && r.Width() % 4 == 0;
    const uint8_t shifts[3] = {layout_.rShift, layout_.gShift, layout_.bShift};
    const uint8_t widths[3] = {layout_.rBits, layout_.gBits, layout_.bBits};
    for (int32_t y = r.top; y <= r.bottom; ++y)
        for (int32_t x = r.left; x <= r.right; ++x) {
            CxPixel v = GetPixel(x, y), out = v;
            for (int k = 0; k < 3; ++k) {
                int top = (1 << widths[k]) - 1;
                int d = int(v >> shifts[k]) & top, c = int(color >> shifts[k]) & top;
                int n = fixedPoint ? d + ((amount * (c - d + 64)) >> 8) - (amount >> 2)
                                   : (c * amount + d * (255 - amount)) / 255;
                out = (out & ~(CxPixel(top) << shifts[k])) | CxPixel(Clamp(n, 0, top)) << shifts[k];
            }
            SetPixel(x, y, out);
        }
}
