// Targa files: colour-mapped, true-colour and grey images, plain or
// run-length packed, in any of the four orientations; written top-down with
// the footer of the published format.
#include "graphics/QorImageFilters.h"
#include "graphics/QorImageInternal.h"

#include <cstring>

using namespace qorimage;

namespace {
constexpr int kHeader = 18;

// One colour-map entry of 15, 16, 24 or 32 bits to red, green, blue.
void MapEntry(const uint8_t* p, int bits, uint8_t* rgb)
{
    if (bits <= 16) {
        uint16_t v = U16(p);
        rgb[0] = uint8_t(((v >> 10) & 31) << 3), rgb[1] = uint8_t(((v >> 5) & 31) << 3), rgb[2] = uint8_t((v & 31) << 3);
    } else {
        rgb[0] = p[2], rgb[1] = p[1], rgb[2] = p[0];
    }
}

// Packets may span rows; a packet that would overrun the image, or data that
// ends before the image is full, is refused.
int Unpack(CxDrawSurface* surface, const uint8_t* in, size_t size, uint8_t* out, size_t total, int pixelBytes,
           const char* name)
{
    size_t at = 0, produced = 0;
    while (produced < total) {
        if (at >= size) return surface->Error(ERR_INVALID_FILE_TYPE, "Targa run-length data is truncated: %s", name);
        uint8_t h = in[at++];
        size_t count = size_t(h & 0x7F) + 1, bytes = count * size_t(pixelBytes);
        if (bytes > total - produced)
            return surface->Error(ERR_INVALID_FILE_TYPE, "Targa run-length packet overruns the image: %s", name);
        if (h & 0x80) {
            if (size - at < size_t(pixelBytes))
                return surface->Error(ERR_INVALID_FILE_TYPE, "Targa run-length data is truncated: %s", name);
            for (size_t k = 0; k < count; ++k) std::memcpy(out + produced + k * pixelBytes, in + at, size_t(pixelBytes));
            at += size_t(pixelBytes);
        } else {
            if (size - at < bytes) return surface->Error(ERR_INVALID_FILE_TYPE, "Targa run-length data is truncated: %s", name);
            std::memcpy(out + produced, in + at, bytes);
            at += bytes;
        }
        produced += bytes;
    }
    return 0;
}

void GreyPalette(CxDrawSurface* surface)
{
    uint8_t grey[CX_PALETTE_BYTES];
    for (int i = 0; i < 256; ++i) grey[3 * i] = grey[3 * i + 1] = grey[3 * i + 2] = uint8_t(i);
    surface->SetPalette(grey);
}
}  // namespace

// ======================================================================
// Reader
// ======================================================================

int QorDecodeTGA(CxDrawSurface* surface, const uint8_t* data, size_t size, const char* name)
{
    if (!name) name = "";
    if (size < kHeader) return surface->Error(ERR_UNKNOWN, "Could not read TARGA header from buffer.");
    int idLength = data[0], mapType = data[1], type = data[2], mapFirst = U16(data + 3), mapLength = U16(data + 5);
    int mapEntry = data[7], width = U16(data + 12), height = U16(data + 14), bpp = data[16], descriptor = data[17];
    if (type == 0) return surface->Error(ERR_INVALID_FILE_TYPE, "Targa file does not contain image data!");
    if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11)
        return surface->Error(ERR_INVALID_FILE_TYPE, "Unsupported Targa file type!");
    int depth = bpp == 15 ? 16 : bpp;
    bool mapped = type == 1 || type == 9, grey = type == 3 || type == 11;
    bool depthOk = (mapped || grey) ? depth == 8 : (depth == 16 || depth == 24 || depth == 32);
    if (!depthOk) return surface->Error(ERR_INVALID_FILE_TYPE, "Unsupported Targa pixel depth %d: %s", bpp, name);
    if (int r = CheckImageSize(surface, "Targa", width, height, depth)) return r;
    if (mapType > 1 || (mapped && mapType != 1))
        return surface->Error(ERR_INVALID_FILE_TYPE, "Invalid Targa colour map type %d: %s", mapType, name);
    size_t mapBytes = 0;
    if (mapType == 1) {
        if (mapEntry != 15 && mapEntry != 16 && mapEntry != 24 && mapEntry != 32)
            return surface->Error(ERR_INVALID_FILE_TYPE, "Unsupported Targa colour map entry size %d: %s", mapEntry, name);
        if (mapped && mapFirst + mapLength > 256)
            return surface->Error(ERR_INVALID_FILE_TYPE, "Targa colour map out of range (%d + %d entries): %s", mapFirst,
                                  mapLength, name);
        mapBytes = size_t(mapLength) * size_t((mapEntry + 7) / 8);
    }
    size_t pixelsAt = kHeader + size_t(idLength) + mapBytes;
    if (pixelsAt > size) return surface->Error(ERR_INVALID_FILE_TYPE, "Targa file is truncated: %s", name);
    // A packet brings at most 128 pixels, so a file too short to fill the
    // image is refused before its pixel memory is taken.
    uint64_t pixels = uint64_t(width) * uint64_t(height), pixelBytes = uint64_t(depth / 8);
    uint64_t needed = type <= 3 ? pixels * pixelBytes : (pixels + 127) / 128 * (1 + pixelBytes);
    if (size - pixelsAt < needed)
        return surface->Error(ERR_INVALID_FILE_TYPE, type <= 3 ? "Targa pixel data is truncated: %s"
                                                              : "Targa run-length data is truncated: %s", name);
    if (surface->Create(width, height, depth, -1, nullptr, depth == 16 ? PIXFMT_555 : PIXFMT_DEFAULT) != 0)
        return surface->GetErrorCode();
    if (mapped) {
        uint8_t palette[CX_PALETTE_BYTES] = {};
        const uint8_t* entry = data + kHeader + idLength;
        for (int i = 0; i < mapLength; ++i, entry += (mapEntry + 7) / 8) MapEntry(entry, mapEntry, palette + 3 * (mapFirst + i));
        surface->SetPalette(palette);
    }
    if (grey) GreyPalette(surface);
    if (!surface->Lock()) {
        surface->Unlock();
        return surface->Error(ERR_OUT_OF_MEMORY, "pBits is NULL!");
    }
    size_t total = size_t(surface->GetPitch()) * size_t(height);
    int result = 0;
    if (type <= 3) {
        if (size - pixelsAt < total) result = surface->Error(ERR_INVALID_FILE_TYPE, "Targa pixel data is truncated: %s", name);
        else std::memcpy(surface->GetBits(), data + pixelsAt, total);
    } else {
        result = Unpack(surface, data + pixelsAt, size - pixelsAt, surface->GetBits(), total, depth / 8, name);
    }
    surface->Unlock();
    if (result != 0) return result;
    if (descriptor < 16) surface->FlipVertical(nullptr);
    else if (descriptor < 32) surface->FlipVertical(nullptr), surface->FlipHorizontal(nullptr);
    else if (descriptor >= 48 && descriptor < 64) surface->FlipHorizontal(nullptr);
    return surface->GetErrorCode();
}

// ======================================================================
// Writer
// ======================================================================

namespace {
// Runs of three or more equal pixels become run packets; everything else
// gathers into verbatim packets of at most 128 pixels.
bool Pack(const uint8_t* pixels, size_t count, int pixelBytes, CxImageBytes& out)
{
    size_t pendingStart = 0, pending = 0;
    auto flush = [&]() {
        if (!pending) return true;
        bool ok = out.AppendU8(uint8_t(pending - 1)) && out.Append(pixels + pendingStart * pixelBytes, pending * pixelBytes);
        pending = 0;
        return ok;
    };
    for (size_t i = 0; i < count;) {
        size_t run = 1;
        while (run < 128 && i + run < count && std::memcmp(pixels + i * pixelBytes, pixels + (i + run) * pixelBytes, size_t(pixelBytes)) == 0)
            ++run;
        if (run >= 3) {
            if (!flush() || !out.AppendU8(uint8_t((run - 1) | 0x80)) || !out.Append(pixels + i * pixelBytes, size_t(pixelBytes)))
                return false;
            i += run;
            continue;
        }
        if (!pending) pendingStart = i;
        ++pending, ++i;
        if (pending == 128 && !flush()) return false;
    }
    return flush();
}
}  // namespace

int QorEncodeTGA(CxDrawSurface* surface, uint32_t flags, CxImageBytes& out)
{
    out.Clear();
    int32_t width = surface->GetWidth(), height = surface->GetHeight();
    int depth = surface->GetDepth();
    if (width == 0 || height == 0) return surface->Error(ERR_INVALID_ARGUMENT, "Surface is empty");
    if (depth < 8) return surface->Error(ERR_INVALID_ARGUMENT, "Cannot save a %d-bit surface as Targa", depth);
    // A copy takes packed rows and the 5-5-5 words the format holds, so the
    // caller's surface is never changed (and loses no green bit) by a save.
    CxDrawSurface packed;
    CxDrawSurface* image = surface;
    bool needs555 = depth == 16 && surface->GetPixelFormat() != PIXFMT_555;
    if (surface->GetPitch() != width * (depth / 8) || needs555) {
        if (packed.CopyFromSurface(surface) != 0) return surface->Error(packed.GetErrorCode(), "Could not copy the surface for saving");
        packed.PackRows();
        if (needs555) packed.ConvertTo(16, PIXFMT_555);
        image = &packed;
    }
    if (!image->Lock()) {
        image->Unlock();
        return surface->Error(ERR_OUT_OF_MEMORY, "pBits is NULL!");
    }
    uint8_t header[kHeader] = {};
    header[2] = 2;
    PutU16(header + 12, uint16_t(width));
    PutU16(header + 14, uint16_t(height));
    header[16] = uint8_t(depth);
    header[17] = depth == 32 ? 40 : 32;   // top-left origin; 8 alpha bits declared for 32-bit pixels
    if (depth == 8) {
        header[1] = 1, header[2] = 1;
        PutU16(header + 5, 256);
        header[7] = 24;
    }
    size_t total = size_t(image->GetPitch()) * size_t(height);
    CxImageBytes rle;
    bool packedOk = flags == 1 && Pack(image->GetBits(), size_t(width) * size_t(height), depth / 8, rle) && rle.Size() < total;
    if (packedOk) header[2] += 8;
    bool ok = out.Append(header, sizeof header);
    if (ok && depth == 8) {
        uint8_t bgr[CX_PALETTE_BYTES];
        const uint8_t* palette = image->GetPalette();
        for (int i = 0; i < 256; ++i) bgr[3 * i] = palette[3 * i + 2], bgr[3 * i + 1] = palette[3 * i + 1], bgr[3 * i + 2] = palette[3 * i];
        ok = out.Append(bgr, sizeof bgr);
    }
    if (ok) ok = packedOk ? out.Append(rle.Data(), rle.Size()) : out.Append(image->GetBits(), total);
    static const char kSignature[] = "TRUEVISION-XFILE.";
    uint8_t footer[26] = {};
    std::memcpy(footer + 8, kSignature, sizeof kSignature);
    if (ok) ok = out.Append(footer, sizeof footer);
    image->Unlock();
    return ok ? 0 : surface->Error(ERR_OUT_OF_MEMORY, "Could not allocate memory to save %ld x %ld Targa", long(width), long(height));
}
