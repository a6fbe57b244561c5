// Palettes, colour tables, colour reduction and depth conversion.
#include "graphics/CxSurf.h"
#include "foundation/CxMemory.h"

#include <algorithm>
#include <cstring>

namespace {
// Frees a QorAlloc block when the scope ends, so early returns cannot leak.
struct ScopedBlock {
    void* block;
    ~ScopedBlock() { QorFree(block); }
};

bool Is16BitRgbFormat(uint8_t f)
{
    return f == PIXFMT_555 || f == PIXFMT_565 || f == PIXFMT_556 || f == PIXFMT_655 || f == PIXFMT_555_BGR;
}

uint32_t Rgb24(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }
}  // namespace

// Colours of a surface reduced to at most `maxColors` entries (3 bytes each,
// red, green, blue).  When the surface has few enough distinct colours they
// are kept exactly; otherwise the most frequent cells of a 5-5-5 grid win,
// each represented by the mean of the colours that fell into it.
int ReduceSurfaceColors(const CxDrawSurface& surface, uint8_t* out, int maxColors)
{
    int32_t w = surface.GetWidth(), h = surface.GetHeight();
    size_t count = size_t(w) * size_t(h);
    if (maxColors <= 0) return 0;
    auto* colours = static_cast<uint32_t*>(QOR_ALLOC(count * sizeof(uint32_t) + 4, "CxSurf"));
    if (!colours) return 0;
    ScopedBlock guard{colours};
    size_t n = 0;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            int a, r, g, b;
            surface.DecodePixel(surface.GetPixel(x, y), a, r, g, b);
            colours[n++] = Rgb24(r, g, b);
        }
    std::sort(colours, colours + n);
    size_t distinct = size_t(std::unique(colours, colours + n) - colours);
    if (distinct <= size_t(maxColors)) {
        for (size_t i = 0; i < distinct; ++i) {
            out[3 * i] = uint8_t(colours[i] >> 16), out[3 * i + 1] = uint8_t(colours[i] >> 8), out[3 * i + 2] = uint8_t(colours[i]);
        }
        return int(distinct);
    }
    // Grid cells: count and channel sums, then the most popular cells.
    struct Cell { uint32_t count, r, g, b; uint16_t id; };
    auto* cells = static_cast<Cell*>(QOR_ALLOC(32768 * sizeof(Cell), "CxSurf"));
    if (!cells) return 0;
    ScopedBlock cellGuard{cells};
    for (int i = 0; i < 32768; ++i) cells[i].id = uint16_t(i);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            int a, r, g, b;
            surface.DecodePixel(surface.GetPixel(x, y), a, r, g, b);
            Cell& c = cells[(r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)];
            ++c.count, c.r += uint32_t(r), c.g += uint32_t(g), c.b += uint32_t(b);
        }
    std::stable_sort(cells, cells + 32768, [](const Cell& a, const Cell& b) { return a.count > b.count; });
    int used = 0;
    for (; used < maxColors && used < 32768 && cells[used].count; ++used) {
        const Cell& c = cells[used];
        out[3 * used] = uint8_t(c.r / c.count), out[3 * used + 1] = uint8_t(c.g / c.count), out[3 * used + 2] = uint8_t(c.b / c.count);
    }
    return used;
}

// ======================================================================
// Palette and lookup tables
// ======================================================================

void CxDrawSurface::SetPalette(const uint8_t* bytes, int length)
{
    if (!bytes || length <= 0) return;
    std::memcpy(palette_, bytes, size_t(std::min(length, CX_PALETTE_BYTES)));
    Free16BitLookup();
}

uint16_t CxDrawSurface::PaletteTo16(int index) const
{
    uint8_t format = depth_ == 16 ? format_ : GetDisplay16BitFormat();
    if (!Is16BitRgbFormat(format) && format != PIXFMT_4444) format = PIXFMT_555;
    const uint8_t* e = palette_ + 3 * (index & 0xFF);
    return Pack16(format, e[0], e[1], e[2]);
}

int CxDrawSurface::Build16BitLookup(uint8_t format)
{
    if (InError()) return errorCode_;
    if (depth_ > 8) return ERR_INVALID_ARGUMENT;
    int entries = 1 << depth_;
    if (!lookup16_) {
        lookup16_ = static_cast<uint16_t*>(QOR_ALLOC(256 * sizeof(uint16_t), "CxSurf"));
        if (!lookup16_) return ERR_OUT_OF_MEMORY;
    }
    for (int i = 0; i < entries; ++i) {
        const uint8_t* e = palette_ + 3 * i;
        lookup16_[i] = Pack16(format, e[0], e[1], e[2]);
    }
    lookup16Format_ = format;
    return 0;
}

void CxDrawSurface::Free16BitLookup()
{
    QorFree(lookup16_);
    lookup16_ = nullptr;
    lookup16Format_ = 0;
}

void CxDrawSurface::RemapToPalette(const uint8_t* palette)
{
    if (InError() || depth_ != 8 || !palette) return;
    CxDrawSurface target;
    target.SetPalette(palette);
    uint8_t map[256];
    for (int i = 0; i < 256; ++i) map[i] = uint8_t(target.NearestPaletteIndex(palette_[3 * i], palette_[3 * i + 1], palette_[3 * i + 2], 256));
    if (Lock())
        for (int32_t y = 0; y < height_; ++y) {
            uint8_t* row = bits_ + ptrdiff_t(y) * pitch_;
            for (int32_t x = 0; x < width_; ++x) row[x] = map[row[x]];
        }
    Unlock();
    SetPalette(palette);
}

int CxDrawSurface::ReducePalette(uint8_t* paletteOut, int option, int colors)
{
    if (InError() || !paletteOut) return 0;
    if (!Lock()) {
        Unlock();
        return 0;
    }
    int used = ReduceSurfaceColors(*this, paletteOut, std::min(colors, 256));
    Unlock();
    return used;
}

// ======================================================================
// Counting and searching
// ======================================================================

int CxDrawSurface::CountDistinctColors()
{
    if (InError() || !Lock()) {
        Unlock();
        return 0;
    }
    size_t count = size_t(width_) * size_t(height_);
    auto* values = static_cast<CxPixel*>(QOR_ALLOC(count * sizeof(CxPixel) + 4, "CxSurf"));
    int distinct = 0;
    if (values) {
        size_t n = 0;
        for (int32_t y = 0; y < height_; ++y)
            for (int32_t x = 0; x < width_; ++x) values[n++] = GetPixel(x, y);
        std::sort(values, values + n);
        distinct = int(std::unique(values, values + n) - values);
        QorFree(values);
    }
    Unlock();
    return distinct;
}

int CxDrawSurface::CountPixels(CxPixel value)
{
    int count = 0;
    if (!InError() && Lock())
        for (int32_t y = 0; y < height_; ++y)
            for (int32_t x = 0; x < width_; ++x) count += GetPixel(x, y) == value;
    Unlock();
    return count;
}

bool CxDrawSurface::FindPixel(CxPixel value, int32_t& x, int32_t& y)
{
    bool found = false;
    if (!InError() && Lock()) {
        int32_t startX = std::max(x, 0);
        for (int32_t row = std::max(y, 0); row < height_ && !found; ++row, startX = 0)
            for (int32_t column = startX; column < width_; ++column)
                if (GetPixel(column, row) == value) {
                    x = column, y = row, found = true;
                    break;
                }
    }
    Unlock();
    return found;
}

void CxDrawSurface::ReplaceColor(CxPixel from, CxPixel to)
{
    if (!InError() && Lock())
        for (int32_t y = 0; y < height_; ++y)
            for (int32_t x = 0; x < width_; ++x)
                if (GetPixel(x, y) == from) SetPixel(x, y, to);
    Unlock();
}

void CxDrawSurface::SwapColors(CxPixel a, CxPixel b)
{
    if (!InError() && Lock())
        for (int32_t y = 0; y < height_; ++y)
            for (int32_t x = 0; x < width_; ++x) {
                CxPixel v = GetPixel(x, y);
                if (v == a) SetPixel(x, y, b);
                else if (v == b) SetPixel(x, y, a);
            }
    Unlock();
}

// ======================================================================
// Format conversion
// ======================================================================

int CxDrawSurface::Set16BitFormat(uint8_t format)
{
    if (InError()) return errorCode_;
    if (depth_ != 16 || !Is16BitRgbFormat(format)) return 0;
    if (format_ == PIXFMT_ALPHA_INDEX12) {
        if (!indexTable_ || indexTableFormat_ == format) return 0;
        CxChannelLayout from = GetChannelLayout(indexTableFormat_, 16);
        for (int i = 0; i < CX_INDEX12_ENTRIES; ++i) {
            uint32_t v = indexTable_[i];
            indexTable_[i] = Pack16(format, WidenChannel((v >> from.rShift) & ((1u << from.rBits) - 1), from.rBits),
                                    WidenChannel((v >> from.gShift) & ((1u << from.gBits) - 1), from.gBits),
                                    WidenChannel((v >> from.bShift) & ((1u << from.bBits) - 1), from.bBits));
        }
        indexTableFormat_ = format;
        SetPixelFormat(PIXFMT_ALPHA_INDEX12);
        return 0;
    }
    if (!Is16BitRgbFormat(format_) || format_ == format) return 0;
    if (Lock())
        for (int32_t y = 0; y < height_; ++y)
            for (int32_t x = 0; x < width_; ++x) {
                int a, r, g, b;
                SplitPixel(GetPixel(x, y), a, r, g, b);
                SetPixel(x, y, Pack16(format, r, g, b));
            }
    Unlock();
    SetPixelFormat(format);
    return 0;
}

int CxDrawSurface::ConvertTo(int depth, uint8_t format)
{
    if (InError()) return errorCode_;
    if (!IsValidDepth(depth)) return Error(ERR_INVALID_ARGUMENT, "Invalid surface depth %d", depth);
    if (format == PIXFMT_DEFAULT) format = DefaultPixelFormat(depth);
    if (!IsPixelFormatValidForDepth(format, depth))
        return Error(ERR_INVALID_ARGUMENT, "Pixel format %d does not fit a %d-bit surface", format, depth);
    if (depth == depth_ && format == format_) return 0;
    CxDrawSurface temp;
    if (temp.CopyFromSurface(this) != 0) return errorCode_;
    uint8_t palette[CX_PALETTE_BYTES] = {};
    if (depth <= 8) {
        if (temp.depth_ <= depth) std::memcpy(palette, temp.palette_, sizeof palette);
        else ReduceSurfaceColors(temp, palette, 1 << depth);
    }
    int result = Create(temp.width_, temp.height_, depth, -1, nullptr, format);
    if (result != 0) return result;
    transparent_ = CX_NO_COLOR;
    if (depth <= 8) SetPalette(palette);
    if (format == PIXFMT_ALPHA_INDEX12) {
        uint8_t colours[3 * CX_INDEX12_ENTRIES] = {};
        uint16_t table[CX_INDEX12_ENTRIES] = {};
        int used = ReduceSurfaceColors(temp, colours, CX_INDEX12_ENTRIES);
        uint8_t tableFormat = GetDisplay16BitFormat() == PIXFMT_565 ? uint8_t(PIXFMT_565) : uint8_t(PIXFMT_555);
        for (int i = 0; i < used; ++i) table[i] = Pack16(tableFormat, colours[3 * i], colours[3 * i + 1], colours[3 * i + 2]);
        if ((result = SetIndexTable(table, tableFormat)) != 0) return result;
    }
    if (!Lock()) {
        Unlock();
        return 0;
    }
    bool sameIndices = depth <= 8 && temp.depth_ <= depth;
    for (int32_t y = 0; y < height_; ++y)
        for (int32_t x = 0; x < width_; ++x) {
            CxPixel v = temp.GetPixel(x, y);
            if (sameIndices) {
                SetPixel(x, y, v);
                continue;
            }
            int a, r, g, b;
            temp.DecodePixel(v, a, r, g, b);
            SetPixel(x, y, EncodeColor(r, g, b, a));
        }
    Unlock();
    return 0;
}
