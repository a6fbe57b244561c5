// Surface memory, raw pixel access and channel conversion.
#include "graphics/CxSurf.h"
#include "foundation/CxMemory.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
CxNewSurfaceHook gNewSurfaceHook = nullptr;
constexpr int64_t kMaxSurfaceBytes = 0x7FFFFFFF;   // sizes travel as signed 32-bit "%ld" values
}  // namespace

// ======================================================================
// Factory and shared rules
// ======================================================================

CxDrawSurface* NewSurface() { return gNewSurfaceHook ? gNewSurfaceHook() : new CxDrawSurface; }

CxNewSurfaceHook SetNewSurfaceHook(CxNewSurfaceHook hook)
{
    CxNewSurfaceHook previous = gNewSurfaceHook;
    gNewSurfaceHook = hook;
    return previous;
}

bool IsValidDepth(int depth)
{
    return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

int64_t DefaultPitch(int64_t width, int depth)
{
    int64_t pitch = width * depth / 8;
    if (depth < 8 && width % 8 != 0) ++pitch;
    return pitch > kMaxSurfaceBytes ? -1 : pitch;
}

// ======================================================================
// Creation and destruction
// ======================================================================

CxDrawSurface::~CxDrawSurface()
{
    ReleasePixels();
    Free16BitLookup();
    QorFree(indexTable_);
}

void CxDrawSurface::ReleasePixels()
{
    QorFree(ownedBlock_);
    ownedBlock_ = nullptr;
    ownedSize_ = 0;
    bits_ = nullptr;
}

void CxDrawSurface::Destroy()
{
    ReleasePixels();
    flags_ &= ~(SURF_CREATED | SURF_EXTERNAL);
}

int CxDrawSurface::Create(int32_t width, int32_t height, int depth, int32_t pitch, void* buffer, uint8_t format)
{
    Destroy();
    if (InError()) return errorCode_;
    if (width < 0 || height < 0)
        return Error(ERR_INVALID_ARGUMENT, "Invalid surface size %ld x %ld", long(width), long(height));
    if (!IsValidDepth(depth)) return Error(ERR_INVALID_ARGUMENT, "Invalid surface depth %d", depth);
    int64_t rowBytes = DefaultPitch(width, depth);
    if (rowBytes < 0 || rowBytes * height > kMaxSurfaceBytes)
        return Error(ERR_INVALID_ARGUMENT, "Surface of %ld x %ld at %d bits is too large", long(width), long(height),
                     depth);
    if (pitch != -1) {
        if (pitch < (int64_t(width) * depth + 7) / 8 || int64_t(pitch) * height > kMaxSurfaceBytes)
            return Error(ERR_INVALID_ARGUMENT, "Invalid pitch %ld for a surface %ld pixels wide at %d bits",
                         long(pitch), long(width), depth);
        rowBytes = pitch;
    }
    if (!IsPixelFormatValidForDepth(format, depth))
        return Error(ERR_INVALID_ARGUMENT, "Pixel format %d does not fit a %d-bit surface", format, depth);
    width_ = width;
    height_ = height;
    depth_ = depth;
    pitch_ = int32_t(rowBytes);
    SetPixelFormat(format);
    Free16BitLookup();
    size_t size = size_t(rowBytes) * size_t(height);
    if (buffer) {
        bits_ = static_cast<uint8_t*>(buffer);
        flags_ |= SURF_EXTERNAL;
    } else if (size > 0) {
        ownedBlock_ = static_cast<uint8_t*>(QOR_ALLOC(size, "CxSurf"));
        if (!ownedBlock_) return Error(ERR_OUT_OF_MEMORY, "Unable to allocate %ld bytes for m_pBits", long(size));
        ownedSize_ = size;
        bits_ = ownedBlock_;
    }
    flags_ |= SURF_CREATED;
    return 0;
}

void CxDrawSurface::SetPixelFormat(uint8_t format)
{
    if (format == PIXFMT_DEFAULT) format = DefaultPixelFormat(depth_);
    format_ = format;
    if (format == PIXFMT_ALPHA_INDEX12 && indexTableFormat_) {
        layout_ = GetChannelLayout(indexTableFormat_, 16);
        layout_.aBits = 4, layout_.aShift = 12;
    } else {
        layout_ = GetChannelLayout(format, depth_);
    }
}

void CxDrawSurface::SetExternal(bool external)
{
    if (external) flags_ |= SURF_EXTERNAL;
    else flags_ &= ~SURF_EXTERNAL;
}

uint32_t CxDrawSurface::SetFlags(uint32_t bits)
{
    uint32_t old = flags_ & SURF_CALLER_FLAGS;
    flags_ = (flags_ & ~SURF_CALLER_FLAGS) | (bits & SURF_CALLER_FLAGS);
    return old;
}

bool CxDrawSurface::Lock()
{
    ++lockCount_;
    return bits_ != nullptr;
}

void CxDrawSurface::Unlock()
{
    if (lockCount_ > 0) --lockCount_;
}

int CxDrawSurface::CopyFromSurface(CxDrawSurface* source)
{
    if (!source || source == this) return ERR_INVALID_ARGUMENT;
    Destroy();
    if (InError()) return errorCode_;
    if (!source->Lock()) {
        source->Unlock();
        return Error(ERR_UNKNOWN, "CopyFrom: source has no pixels");
    }
    int result = Create(source->width_, source->height_, source->depth_, source->pitch_, nullptr, source->format_);
    if (result == 0) {
        transparent_ = source->transparent_;
        userValue_ = source->userValue_;
        std::memcpy(palette_, source->palette_, sizeof palette_);
        name_ = source->name_;
        if (source->indexTable_) SetIndexTable(source->indexTable_, source->indexTableFormat_);
        SetPixelFormat(source->format_);
        if (bits_) std::memcpy(bits_, source->bits_, size_t(pitch_) * size_t(height_));
    }
    source->Unlock();
    return result;
}

CxDrawSurface* CxDrawSurface::CreateCopy(const CxRect* rect)
{
    CxRect area = rect ? *rect : GetRect();
    CxDrawSurface* copy = NewSurface();
    if (!copy) {
        Error(ERR_OUT_OF_MEMORY, "Unable to allocate a new CxDrawSurface");
        return nullptr;
    }
    if (area.IsEmpty() || copy->Create(area.Width(), area.Height(), depth_) != 0) {
        Error(copy->GetErrorCode() ? copy->GetErrorCode() : ERR_INVALID_ARGUMENT, "CreateSurface() failed");
        delete copy;
        return nullptr;
    }
    if (depth_ <= 8) copy->SetPalette(palette_);
    else {
        if (indexTable_) copy->SetIndexTable(indexTable_, indexTableFormat_);
        copy->SetPixelFormat(format_);
    }
    BltAt(copy, 0, 0, &area, CX_NO_COLOR, nullptr);
    return copy;
}

int CxDrawSurface::SetIndexTable(const uint16_t* colors, uint8_t tableFormat)
{
    if (!indexTable_) {
        indexTable_ = static_cast<uint16_t*>(QOR_ALLOC(CX_INDEX12_ENTRIES * sizeof(uint16_t), "CxSurf"));
        if (!indexTable_)
            return Error(ERR_OUT_OF_MEMORY, "Unable to allocate %ld bytes for m_pBits",
                         long(CX_INDEX12_ENTRIES * sizeof(uint16_t)));
    }
    std::memcpy(indexTable_, colors, CX_INDEX12_ENTRIES * sizeof(uint16_t));
    indexTableFormat_ = tableFormat;
    if (format_ == PIXFMT_ALPHA_INDEX12) SetPixelFormat(format_);
    return 0;
}

int CxDrawSurface::CopyBitsTo(CxDrawSurface* surface)
{
    if (InError()) return errorCode_;
    if (!surface || surface->pitch_ != pitch_ || surface->height_ != height_ || surface->depth_ != depth_)
        return ERR_INVALID_ARGUMENT;
    if (Lock() && surface->Lock()) std::memcpy(surface->bits_, bits_, size_t(pitch_) * size_t(height_));
    surface->Unlock();
    Unlock();
    return 0;
}

void CxDrawSurface::PackRows()
{
    if (InError() || depth_ < 8) return;
    int32_t packed = width_ * (depth_ / 8);
    if (packed == pitch_ || !Lock()) {
        Unlock();
        return;
    }
    for (int32_t y = 1; y < height_; ++y)
        std::memmove(bits_ + size_t(y) * size_t(packed), bits_ + size_t(y) * size_t(pitch_), size_t(packed));
    pitch_ = packed;
    Unlock();
}

bool CxDrawSurface::ClipToSurface(const CxRect* rect, CxRect& out) const
{
    out = GetRect();
    if (rect) {
        if (rect->left > out.left) out.left = rect->left;
        if (rect->top > out.top) out.top = rect->top;
        if (rect->right < out.right) out.right = rect->right;
        if (rect->bottom < out.bottom) out.bottom = rect->bottom;
    }
    return !out.IsEmpty();
}

// ======================================================================
// Raw pixels
// ======================================================================

uint8_t* CxDrawSurface::GetPixelAddress(int32_t x, int32_t y) const
{
    if (!bits_) return nullptr;
    return bits_ + ptrdiff_t(y) * pitch_ + ptrdiff_t(x) * depth_ / 8;
}

CxPixel CxDrawSurface::GetPixel(int32_t x, int32_t y) const
{
    if (InError() || !bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CX_NO_COLOR;
    const uint8_t* row = bits_ + ptrdiff_t(y) * pitch_;
    switch (depth_) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 2: return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
    case 4: return (row[x >> 1] >> (4 - 4 * (x & 1))) & 15;
    case 8: return row[x];
    case 16: {
        uint16_t v;
        std::memcpy(&v, row + 2 * x, 2);
        return v;
    }
    case 24: {
        const uint8_t* p = row + 3 * x;
        return CxPixel(p[0]) << 16 | CxPixel(p[1]) << 8 | p[2];
    }
    default: {
        uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        return v;
    }
    }
}

void CxDrawSurface::SetPixel(int32_t x, int32_t y, CxPixel value)
{
    if (InError() || !bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
    uint8_t* row = bits_ + ptrdiff_t(y) * pitch_;
    switch (depth_) {
    case 1: {
        uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = value ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
        break;
    }
    case 2: {
        int shift = 6 - 2 * (x & 3);
        row[x >> 2] = uint8_t((row[x >> 2] & ~(3 << shift)) | ((value & 3) << shift));
        break;
    }
    case 4: {
        int shift = 4 - 4 * (x & 1);
        row[x >> 1] = uint8_t((row[x >> 1] & ~(15 << shift)) | ((value & 15) << shift));
        break;
    }
    case 8: row[x] = uint8_t(value); break;
    case 16: {
        uint16_t v = uint16_t(value);
        std::memcpy(row + 2 * x, &v, 2);
        break;
    }
    case 24: {
        uint8_t* p = row + 3 * x;
        p[0] = uint8_t(value >> 16), p[1] = uint8_t(value >> 8), p[2] = uint8_t(value);
        break;
    }
    default: std::memcpy(row + 4 * x, &value, 4); break;
    }
}

// ======================================================================
// Channels
// ======================================================================

void CxDrawSurface::SplitPixel(CxPixel value, int& alpha, int& red, int& green, int& blue) const
{
    if (depth_ <= 8) {
        const uint8_t* entry = palette_ + 3 * (value & 0xFF);
        alpha = 255, red = entry[0], green = entry[1], blue = entry[2];
        return;
    }
    const CxChannelLayout& l = layout_;
    CxPixel colour = value;
    if (format_ == PIXFMT_ALPHA_INDEX12) colour = indexTable_ ? indexTable_[value & 0xFFF] : 0;
    red = WidenChannel((colour >> l.rShift) & ((1u << l.rBits) - 1), l.rBits);
    green = WidenChannel((colour >> l.gShift) & ((1u << l.gBits) - 1), l.gBits);
    blue = WidenChannel((colour >> l.bShift) & ((1u << l.bBits) - 1), l.bBits);
    if (depth_ == 24) alpha = 255;
    else if (depth_ == 32) alpha = int(value >> 24);
    else if (l.aBits) alpha = int((value >> l.aShift) & ((1u << l.aBits) - 1));
    else alpha = l.rBits + l.gBits + l.bBits < 16 ? int((value >> 15) & 1) : 0;   // the bits above the colour bits
}

void CxDrawSurface::DecodePixel(CxPixel value, int& alpha, int& red, int& green, int& blue) const
{
    SplitPixel(value, alpha, red, green, blue);
    if (depth_ == 16) alpha = layout_.aBits ? alpha * 255 / ((1 << layout_.aBits) - 1) : 255;
}

int CxDrawSurface::NearestPaletteIndex(int red, int green, int blue, int entries) const
{
    int best = 0, bestDistance = 0x30000;
    for (int i = 0; i < entries; ++i) {
        const uint8_t* e = palette_ + 3 * i;
        int dr = e[0] - red, dg = e[1] - green, db = e[2] - blue;
        int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
            if (distance == 0) break;
        }
    }
    return best;
}

CxPixel CxDrawSurface::EncodeColor(int red, int green, int blue, int alpha) const
{
    if (depth_ <= 8) return CxPixel(NearestPaletteIndex(red, green, blue, 1 << depth_));
    if (depth_ == 24) return CxPixel(blue) << 16 | CxPixel(green) << 8 | CxPixel(red);
    if (depth_ == 32) return CxPixel(alpha) << 24 | CxPixel(red) << 16 | CxPixel(green) << 8 | CxPixel(blue);
    if (format_ != PIXFMT_ALPHA_INDEX12) return Pack16(format_, red, green, blue, alpha);
    // Nearest entry of the colour table; a table always exists for this format
    // once ConvertTo or SetIndexTable has made one.
    int best = 0, bestDistance = 0x7FFFFFFF;
    for (int i = 0; indexTable_ && i < CX_INDEX12_ENTRIES && bestDistance; ++i) {
        int a, r, g, b;
        SplitPixel(CxPixel(i), a, r, g, b);
        int distance = (r - red) * (r - red) + (g - green) * (g - green) + (b - blue) * (b - blue);
        if (distance < bestDistance) bestDistance = distance, best = i;
    }
    return CxPixel(alpha >> 4) << 12 | CxPixel(best);
}

CxPixel CxDrawSurface::MakeColor(int red, int green, int blue) const
{
    if (depth_ <= 8) return 0;
    // 24-bit raw values keep blue in the high byte, so the colour is packed
    // the same way for SetPixel to store blue, green, red in memory order.
    if (depth_ == 24) return CxPixel(blue & 0xFF) << 16 | CxPixel(green & 0xFF) << 8 | CxPixel(red & 0xFF);
    const CxChannelLayout& l = layout_;
    return (CxPixel(red & 0xFF) >> (8 - l.rBits)) << l.rShift | (CxPixel(green & 0xFF) >> (8 - l.gBits)) << l.gShift |
           (CxPixel(blue & 0xFF) >> (8 - l.bBits)) << l.bShift;
}

void CxDrawSurface::PutColor(int32_t x, int32_t y, int red, int green, int blue)
{
    if (depth_ <= 8) SetPixel(x, y, CxPixel(NearestPaletteIndex(red, green, blue, 1 << depth_)));
    else SetPixel(x, y, EncodeColor(red, green, blue, 255));
}

// The channels of one pixel; 0 for every channel outside the surface.
void CxDrawSurface::SplitPixelAt(int32_t x, int32_t y, int& a, int& r, int& g, int& b) const
{
    a = r = g = b = 0;
    CxPixel v = GetPixel(x, y);
    if (v == CX_NO_COLOR && (x < 0 || y < 0 || x >= width_ || y >= height_)) return;
    SplitPixel(v, a, r, g, b);
}

int CxDrawSurface::GetRed(int32_t x, int32_t y) const
{
    int a, r, g, b;
    SplitPixelAt(x, y, a, r, g, b);
    return r;
}

int CxDrawSurface::GetGreen(int32_t x, int32_t y) const
{
    int a, r, g, b;
    SplitPixelAt(x, y, a, r, g, b);
    return g;
}

int CxDrawSurface::GetBlue(int32_t x, int32_t y) const
{
    int a, r, g, b;
    SplitPixelAt(x, y, a, r, g, b);
    return b;
}
