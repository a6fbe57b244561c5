// Windows bitmaps: 1, 4, 8, 16, 24 and 32 bits per pixel, unpacked, stored
// bottom-up (positive height) or top-down (negative height).
//
// The palette and the pixels are found through the header size and the
// pixel offset the file records, so files with the larger information
// headers (which other tools write for 32-bit images) read correctly, not
// only those with the 40-byte header.
#include "graphics/QorImageFilters.h"
#include "graphics/QorImageInternal.h"

#include <cstring>

using namespace qorimage;

namespace {
constexpr uint32_t kRgb = 0, kBitFields = 3;

// The channel masks a bit-field file declares, mapped to a pixel format;
// 0 when the layout is not one a surface can hold.
uint8_t FormatForMasks(int depth, uint32_t red, uint32_t green, uint32_t blue)
{
    if (depth == 16 && red == 0x7C00 && green == 0x03E0 && blue == 0x001F) return PIXFMT_555;
    if (depth == 16 && red == 0xF800 && green == 0x07E0 && blue == 0x001F) return PIXFMT_565;
    if (depth == 32 && red == 0xFF0000 && green == 0xFF00 && blue == 0xFF) return PIXFMT_RGB888;
    return 0;
}
}  // namespace

int QorDecodeBMP(CxDrawSurface* surface, const uint8_t* data, size_t size, const char* name)
{
    if (!name) name = "";
    if (size == 0) return surface->Error(ERR_UNKNOWN, "Invalid buffer.");
    if (size < 2 || data[0] != 'B' || data[1] != 'M')
        return surface->Error(ERR_INVALID_FILE_TYPE, "Invalid BMP file. (%04x)", size < 2 ? data[0] : U16(data));
    if (size < 54) return surface->Error(ERR_INVALID_FILE_TYPE, "BMP header is truncated: %s", name);
    uint32_t pixelOffset = U32(data + 10), infoSize = U32(data + 14), compression = U32(data + 30);
    int64_t width = int32_t(U32(data + 18)), storedHeight = int32_t(U32(data + 22));
    int depth = U16(data + 28);
    uint32_t used = U32(data + 46);
    int64_t height = storedHeight < 0 ? -storedHeight : storedHeight;
    if (infoSize < 40 || infoSize > size - 14)
        return surface->Error(ERR_INVALID_FILE_TYPE, "Unsupported BMP header size %u: %s", infoSize, name);
    if (int r = CheckImageSize(surface, "BMP", width, height, depth)) return r;
    if (depth == 2) return surface->Error(ERR_INVALID_FILE_TYPE, "Unsupported BMP pixel depth %d: %s", depth, name);
    uint8_t format = depth == 16 ? PIXFMT_555 : PIXFMT_DEFAULT;
    size_t paletteAt = 14 + size_t(infoSize);
    bool hasAlphaMask = false;
    if (compression == kBitFields && (depth == 16 || depth == 32)) {
        if (size < 66) return surface->Error(ERR_INVALID_FILE_TYPE, "BMP header is truncated: %s", name);
        format = FormatForMasks(depth, U32(data + 54), U32(data + 58), U32(data + 62));
        if (!format) return surface->Error(ERR_INVALID_FILE_TYPE, "Unsupported BMP channel masks: %s", name);
        hasAlphaMask = infoSize >= 56 && U32(data + 66) == 0xFF000000u;
        if (infoSize == 40) paletteAt += 12;
    } else if (compression != kRgb) {
        return surface->Error(ERR_INVALID_FILE_TYPE, "Unsupported BMP compression %u: %s", compression, name);
    }
    uint32_t entries = depth <= 8 ? (used ? used : 1u << depth) : 0;
    if (entries > (1u << (depth <= 8 ? depth : 8)))
        return surface->Error(ERR_INVALID_FILE_TYPE, "BMP palette out of range (%u entries): %s", used, name);
    if (paletteAt + 4 * size_t(entries) > size) return surface->Error(ERR_INVALID_FILE_TYPE, "BMP palette is truncated: %s", name);
    int64_t pitch = ((width * depth + 31) / 32) * 4;   // rows padded to four bytes
    size_t total = size_t(pitch) * size_t(height);
    if (pixelOffset == 0) pixelOffset = uint32_t(paletteAt + 4 * size_t(entries));
    if (pixelOffset > size || size - pixelOffset < total)
        return surface->Error(ERR_INVALID_FILE_TYPE, "BMP pixel data is truncated: %s", name);
    if (surface->Create(int32_t(width), int32_t(height), depth, int32_t(pitch), nullptr, format) != 0)
        return surface->GetErrorCode();
    if (depth <= 8) {
        uint8_t palette[CX_PALETTE_BYTES] = {};
        for (uint32_t i = 0; i < entries; ++i) {
            const uint8_t* e = data + paletteAt + 4 * i;
            palette[3 * i] = e[2], palette[3 * i + 1] = e[1], palette[3 * i + 2] = e[0];
        }
        surface->SetPalette(palette);
    }
    if (!surface->Lock()) {
        surface->Unlock();
        return surface->Error(ERR_OUT_OF_MEMORY, "pBits is NULL");
    }
    uint8_t* bits = surface->GetBits();
    std::memcpy(bits, data + pixelOffset, total);
    // The fourth byte of an unmasked 32-bit pixel is reserved and usually 0;
    // read as alpha it would make every such picture invisible when blended.
    if (depth == 32 && !hasAlphaMask) {
        bool allZero = true;
        for (size_t i = 3; i < total && allZero; i += 4) allZero = bits[i] == 0;
        if (allZero)
            for (size_t i = 3; i < total; i += 4) bits[i] = 0xFF;
    }
    surface->Unlock();
    if (storedHeight > 0) surface->FlipVertical(nullptr);
    surface->PackRows();
    return surface->GetErrorCode();
}
