// PCX files: run-length packed rows of 1, 2, 4 or 8 bits in one plane, 16
// colours in four bit planes, and 24 or 32 bits as three or four byte planes.
//
// Single-plane images keep the file's row layout.  Multi-plane rows hold each
// plane one after the other, which no surface layout matches, so they are
// interleaved into ordinary pixels (blue, green, red, alpha bytes; packed
// 4-bit indices) as they are read.
#include "foundation/CxMemory.h"
#include "graphics/QorImageFilters.h"
#include "graphics/QorImageInternal.h"

#include <cstring>

using namespace qorimage;

namespace {
constexpr int kHeader = 128;

struct ScopedBlock {
    void* block;
    ~ScopedBlock() { QorFree(block); }
};

int Unpack(CxDrawSurface* surface, const uint8_t* in, size_t size, uint8_t* out, size_t total, const char* name)
{
    size_t at = 0, produced = 0;
    while (produced < total) {
        if (at >= size) return surface->Error(ERR_INVALID_FILE_TYPE, "PCX run-length data is truncated: %s", name);
        uint8_t b = in[at++];
        size_t count = 1;
        if (b >= 192) {
            count = b & 0x3F;
            if (at >= size) return surface->Error(ERR_INVALID_FILE_TYPE, "PCX run-length data is truncated: %s", name);
            b = in[at++];
        }
        if (count > total - produced)
            return surface->Error(ERR_INVALID_FILE_TYPE, "PCX run-length data overruns the image: %s", name);
        std::memset(out + produced, b, count);
        produced += count;
    }
    return 0;
}
}  // namespace

int QorDecodePCX(CxDrawSurface* surface, const uint8_t* data, size_t size, const char* name)
{
    if (!name) name = "";
    if (size < kHeader) return surface->Error(ERR_UNKNOWN, "Could not read ST_PCX_HEADER");
    if (data[0] != 10) return surface->Error(ERR_INVALID_FILE_TYPE, "Invalid PCX file: %s", name);
    int bits = data[3], planes = data[65], bytesPerLine = U16(data + 66);
    int64_t width = int64_t(U16(data + 8)) - U16(data + 4) + 1, height = int64_t(U16(data + 10)) - U16(data + 6) + 1;
    int depth = bits * planes;
    bool single = planes == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8);
    bool planar16 = planes == 4 && bits == 1, bytePlanes = bits == 8 && (planes == 3 || planes == 4);
    if (!single && !planar16 && !bytePlanes)
        return surface->Error(ERR_INVALID_FILE_TYPE, "Unsupported PCX layout: %d bits x %d planes: %s", bits, planes, name);
    if (int r = CheckImageSize(surface, "PCX", width, height, depth)) return r;
    if (bytesPerLine < (width * bits + 7) / 8)
        return surface->Error(ERR_INVALID_FILE_TYPE, "Invalid PCX bytes per line %d: %s", bytesPerLine, name);
    uint8_t palette[CX_PALETTE_BYTES] = {};
    size_t dataEnd = size;   // the run-length data stops where a trailing palette begins
    if (depth == 8) {
        if (size < kHeader + 769) return surface->Error(ERR_INVALID_FILE_TYPE, "PCX palette is missing: %s", name);
        std::memcpy(palette, data + size - 768, 768);
        dataEnd = size - 769;
    } else if (depth < 8) {
        std::memcpy(palette, data + 16, 48);
        if (depth == 1 && std::memcmp(palette, palette + 3, 3) == 0)   // no colours given: black on white
            std::memset(palette + 3, 255, 3);
    }
    size_t rowBytes = size_t(planes) * size_t(bytesPerLine), total = rowBytes * size_t(height);
    // A run of two bytes brings at most 63, so shorter data cannot fill the image.
    if ((dataEnd - kHeader) * 63 / 2 + 63 < total)
        return surface->Error(ERR_INVALID_FILE_TYPE, "PCX run-length data is truncated: %s", name);
    int32_t pitch = single ? int32_t(rowBytes) : -1;
    if (surface->Create(int32_t(width), int32_t(height), depth, pitch) != 0) return surface->GetErrorCode();
    if (depth <= 8) surface->SetPalette(palette);
    if (!surface->Lock()) {
        surface->Unlock();
        return surface->Error(ERR_OUT_OF_MEMORY, "pBits is NULL!");
    }
    int result = 0;
    if (single) {
        result = Unpack(surface, data + kHeader, dataEnd - kHeader, surface->GetBits(), total, name);
    } else {
        auto* raw = static_cast<uint8_t*>(QOR_ALLOC(total, "QorImagePCX"));
        ScopedBlock guard{raw};
        if (!raw) result = surface->Error(ERR_OUT_OF_MEMORY, "Could not allocate %ld bytes for PCX rows", long(total));
        else result = Unpack(surface, data + kHeader, dataEnd - kHeader, raw, total, name);
        for (int32_t y = 0; result == 0 && y < int32_t(height); ++y) {
            const uint8_t* row = raw + size_t(y) * rowBytes;
            uint8_t* out = surface->GetPixelAddress(0, y);
            for (int32_t x = 0; x < int32_t(width); ++x) {
                if (planar16) {
                    int index = 0;
                    for (int p = 0; p < 4; ++p) index |= ((row[p * bytesPerLine + (x >> 3)] >> (7 - (x & 7))) & 1) << p;
                    surface->SetPixel(x, y, CxPixel(index));
                    continue;
                }
                // Planes are red, green, blue (and alpha); pixels store blue first.
                uint8_t* px = out + size_t(x) * size_t(planes);
                px[0] = row[2 * bytesPerLine + x], px[1] = row[bytesPerLine + x], px[2] = row[x];
                if (planes == 4) px[3] = row[3 * bytesPerLine + x];
            }
        }
    }
    surface->Unlock();
    return result;
}
