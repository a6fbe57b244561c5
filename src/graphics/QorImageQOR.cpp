// The engine's own image format: a 44-byte header, a palette for depths up
// to 8, and the surface's rows as held in memory, stored plain, as one zlib
// stream, or in the engine's LZ scheme, with a checksum of the plain rows.
#include "foundation/CxMemory.h"
#include "graphics/QorImageFilters.h"
#include "graphics/QorImageInternal.h"

#include <zlib.h>

#include <cstring>

using namespace qorimage;

namespace {
constexpr int kLzWindow = 32766;
constexpr size_t kLzMaxMatch = 65539;
constexpr size_t kLzMaxLiteral = 32767;
constexpr int kLzChainLimit = 4096;   // candidates examined per position; bounds pathological inputs

struct ScopedBlock {
    void* block;
    ~ScopedBlock() { QorFree(block); }
};
}  // namespace

// ======================================================================
// Checksum
// ======================================================================

uint32_t QorChecksum(const uint8_t* data, size_t size)
{
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i) value = (value >> 8) ^ table[(value ^ data[i]) & 0xFF];
    return value;
}

// ======================================================================
// LZ scheme
// ======================================================================

namespace {
// Open literal run: position of its token in the output and its length.
struct LiteralRun {
    size_t tokenAt = 0, count = 0;
    bool open = false;
};

bool AddLiteral(CxImageBytes& out, LiteralRun& run, uint8_t byte)
{
    if (!run.open || run.count == kLzMaxLiteral) {
        run.tokenAt = out.Size(), run.count = 0, run.open = true;
        if (!out.AppendU16(0)) return false;
    }
    ++run.count;
    PutU16(out.Data() + run.tokenAt, uint16_t(0x8000 | run.count));
    return out.AppendU8(byte);
}

inline uint32_t Hash4(const uint8_t* p) { return (U32(p) * 2654435761u) >> 17; }   // 15 bits
}  // namespace

bool QorCompressLZ(const uint8_t* data, size_t size, CxImageBytes& out)
{
    out.Clear();
    if (size <= 20) return false;
    size_t limit = size - 10;
    // Hash chains list earlier positions with the same four bytes, nearest first.
    auto* head = static_cast<int32_t*>(QOR_ALLOC(32768 * sizeof(int32_t), "QorImageQOR"));
    auto* previous = static_cast<int32_t*>(QOR_ALLOC(size * sizeof(int32_t), "QorImageQOR"));
    ScopedBlock headGuard{head}, previousGuard{previous};
    if (!head || !previous) return false;
    std::memset(head, 0xFF, 32768 * sizeof(int32_t));
    auto insert = [&](size_t pos) {
        if (pos + 4 > size) return;
        uint32_t h = Hash4(data + pos);
        previous[pos] = head[h];
        head[h] = int32_t(pos);
    };
    LiteralRun run;
    for (size_t i = 0; i < 4; ++i) {
        if (!AddLiteral(out, run, data[i])) return false;
        insert(i);
    }
    run.open = false;   // the opening run always holds exactly the first four bytes
    size_t pos = 4;
    while (pos + 4 < size) {
        size_t bestLength = 0, bestDistance = 0, stop = size - 4;
        int examined = 0;
        for (int32_t c = head[Hash4(data + pos)]; c >= 0 && examined < kLzChainLimit; c = previous[c], ++examined) {
            size_t distance = pos - size_t(c);
            if (distance > kLzWindow) break;
            size_t length = 0;
            while (pos + length < stop && length < kLzMaxMatch && data[c + length] == data[pos + length]) ++length;
            if (length >= 4 && length > bestLength) bestLength = length, bestDistance = distance;
            if (length >= kLzMaxMatch) break;
        }
        if (bestLength >= 4) {
            run.open = false;
            if (!out.AppendU16(uint16_t(bestDistance)) || !out.AppendU16(uint16_t(bestLength - 4))) return false;
            for (size_t k = 0; k < bestLength; ++k) insert(pos + k);
            pos += bestLength;
        } else {
            if (!AddLiteral(out, run, data[pos])) return false;
            insert(pos);
            ++pos;
        }
        if (out.Size() > limit) return false;
    }
    for (; pos < size; ++pos)
        if (!AddLiteral(out, run, data[pos])) return false;
    return out.Size() <= limit;
}

bool QorDecompressLZ(const uint8_t* data, size_t size, uint8_t* out, size_t outSize)
{
    size_t in = 0, produced = 0;
    while (in < size) {
        if (size - in < 2) return false;
        uint16_t token = U16(data + in);
        in += 2;
        if (token > 0x8000) {
            size_t count = token & 0x7FFF;
            if (count > size - in || count > outSize - produced) return false;
            std::memcpy(out + produced, data + in, count);
            in += count, produced += count;
            continue;
        }
        if (size - in < 2) return false;
        size_t distance = token, length = size_t(U16(data + in)) + 4;
        in += 2;
        if (distance == 0 || distance > produced || length > outSize - produced) return false;
        for (size_t k = 0; k < length; ++k, ++produced) out[produced] = out[produced - distance];   // may overlap
    }
    return produced == outSize;
}

// ======================================================================
// Reader
// ======================================================================

int QorDecodeQOR(CxDrawSurface* surface, const uint8_t* data, size_t size, const char* name)
{
    if (!name) name = "";
    // An empty file is refused: reporting success without an image would
    // leave callers drawing nothing with no trace of why.
    if (size < QOR_HEADER_SIZE || U32(data) != QOR_MAGIC) return surface->Error(ERR_INVALID_FILE_TYPE, "Invalid QOR file");
    uint32_t headerSize = U32(data + 4);
    if (headerSize != QOR_HEADER_SIZE && headerSize != QOR_HEADER_SIZE_PALETTE)
        return surface->Error(ERR_INVALID_FILE_TYPE, "Invalid Header size for QOR bitmap");
    uint32_t plainSize = U32(data + 8), storedSize = U32(data + 12), checksum = U32(data + 16);
    int64_t width = int32_t(U32(data + 20)), height = int32_t(U32(data + 24)), pitch = int32_t(U32(data + 28));
    int compression = data[32], depth = data[33];
    uint8_t format = data[34];
    if (int r = CheckImageSize(surface, "QOR", width, height, depth)) return r;
    if (pitch < (width * depth + 7) / 8 || pitch > 4 * int64_t(CX_IMAGE_MAX_SIDE) + 4)
        return surface->Error(ERR_INVALID_FILE_TYPE, "Invalid pitch %lld for QOR bitmap", (long long)pitch);
    if (pitch * height != int64_t(plainSize))
        return surface->Error(ERR_INVALID_FILE_TYPE, "Invalid uncompressed size for QOR bitmap");
    // Format 9 needs a colour table that the file cannot carry.
    if (!IsPixelFormatValidForDepth(format, depth) || format == PIXFMT_ALPHA_INDEX12)
        return surface->Error(ERR_INVALID_FILE_TYPE, "Invalid pixel format %d for a %d-bit QOR bitmap", format, depth);
    // Sizes are checked against the file before any pixel memory is taken.
    size_t paletteBytes = headerSize == QOR_HEADER_SIZE_PALETTE ? 768 : (depth <= 8 ? 3u << depth : 0);
    if (size < QOR_HEADER_SIZE + paletteBytes || size - paletteBytes != uint64_t(storedSize) + QOR_HEADER_SIZE)
        return surface->Error(ERR_INVALID_FILE_TYPE, "Invalid compressed size for QOR bitmap: %s", name);
    // zlib expands at most about 1032 times, so a shorter stream cannot fill the image.
    if (compression == 1 && uint64_t(storedSize) * 1032 + 64 < plainSize)
        return surface->Error(ERR_UNKNOWN, "Could not decompress QOR image data from %s", name);
    if (surface->Create(int32_t(width), int32_t(height), depth, int32_t(pitch)) != 0) return surface->GetErrorCode();
    surface->SetPixelFormat(format);
    if (depth <= 8) surface->SetPalette(data + QOR_HEADER_SIZE, int(paletteBytes));
    const uint8_t* stored = data + QOR_HEADER_SIZE + paletteBytes;
    if (!surface->Lock()) {
        surface->Unlock();
        return surface->Error(ERR_OUT_OF_MEMORY, "pBits is NULL");
    }
    uint8_t* bits = surface->GetBits();
    int result = 0;
    if (compression == 0) {
        if (storedSize != plainSize) result = surface->Error(ERR_INVALID_FILE_TYPE, "Invalid compressed size for QOR bitmap: %s", name);
        else std::memcpy(bits, stored, plainSize);
    } else if (compression == 1) {
        uLongf produced = plainSize;
        if (uncompress(bits, &produced, stored, storedSize) != Z_OK || produced != plainSize)
            result = surface->Error(ERR_UNKNOWN, "Could not decompress QOR image data from %s", name);
    } else if (compression == 2) {
        if (!QorDecompressLZ(stored, storedSize, bits, plainSize))
            result = surface->Error(ERR_UNKNOWN, "Could not decompress QOR image data from %s", name);
    } else {
        result = surface->Error(ERR_INVALID_FILE_TYPE, "Unsupported QOR compression %d in %s", compression, name);
    }
    if (result == 0 && QorChecksum(bits, plainSize) != checksum)
        result = surface->Error(ERR_CRC, "QOR Bitmap failed crc check");
    surface->Unlock();
    return result;
}

// ======================================================================
// Writer
// ======================================================================

int QorEncodeQOR(CxDrawSurface* surface, uint32_t flags, CxImageBytes& out)
{
    out.Clear();
    if (surface->GetWidth() == 0 || surface->GetHeight() == 0)
        return surface->Error(ERR_INVALID_ARGUMENT, "Cannot save empty surface");
    if (surface->GetPixelFormat() == PIXFMT_ALPHA_INDEX12)
        return surface->Error(ERR_INVALID_ARGUMENT, "Cannot save a surface of pixel format 9 as QOR");
    if (!surface->Lock()) {
        surface->Unlock();
        return surface->Error(ERR_OUT_OF_MEMORY, "pBits is NULL");
    }
    const uint8_t* bits = surface->GetBits();
    size_t size = size_t(surface->GetPitch()) * size_t(surface->GetHeight());
    int compression = int(flags & 0xFF);
    const uint8_t* stored = bits;
    size_t storedSize = size;
    CxImageBytes lz;
    uint8_t* packed = nullptr;
    if (compression == 1) {
        packed = static_cast<uint8_t*>(QOR_ALLOC(size, "QorImageQOR"));
        uLongf packedSize = size;
        if (!packed) surface->Error(ERR_OUT_OF_MEMORY, "Could not allocate %ld bytes in QorSaveQOR()", long(size));
        else if (compress2(packed, &packedSize, bits, size, 9) == Z_OK && packedSize < size)
            stored = packed, storedSize = packedSize;
    } else if (compression == 2 && QorCompressLZ(bits, size, lz) && lz.Size() < size) {
        stored = lz.Data(), storedSize = lz.Size();
    }
    if (stored == bits) compression = 0;
    uint8_t header[QOR_HEADER_SIZE] = {};
    PutU32(header, QOR_MAGIC);
    PutU32(header + 4, QOR_HEADER_SIZE);
    PutU32(header + 8, uint32_t(size));
    PutU32(header + 12, uint32_t(storedSize));
    PutU32(header + 16, QorChecksum(bits, size));
    PutU32(header + 20, uint32_t(surface->GetWidth()));
    PutU32(header + 24, uint32_t(surface->GetHeight()));
    PutU32(header + 28, uint32_t(surface->GetPitch()));
    header[32] = uint8_t(compression);
    header[33] = uint8_t(surface->GetDepth());
    header[34] = surface->GetPixelFormat();
    bool ok = out.Append(header, sizeof header);
    if (ok && surface->GetDepth() <= 8) ok = out.Append(surface->GetPalette(), 3u << surface->GetDepth());
    if (ok) ok = out.Append(stored, storedSize);
    QorFree(packed);
    surface->Unlock();
    return ok ? 0 : surface->Error(ERR_OUT_OF_MEMORY, "Could not allocate %ld bytes in QorSaveQOR()", long(size));
}
