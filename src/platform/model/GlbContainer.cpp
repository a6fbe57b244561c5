// Checks on the .glb container.  Layout: 12-byte header (magic "glTF",
// version 2, total length), then chunks of (length, type, data), each
// length a multiple of 4: first JSON, then optionally BIN.
#include <cstring>

#include "platform/model/GlbContainer.h"

static const uint32_t kMagic = 0x46546C67;      // "glTF"
static const uint32_t kJsonChunk = 0x4E4F534A;  // "JSON"
static const uint32_t kBinChunk = 0x004E4942;   // "BIN\0"
static const size_t kHeaderSize = 12;
static const size_t kChunkHeaderSize = 8;

static uint32_t ReadU32(const uint8_t* at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

static bool CheckHeader(const uint8_t* bytes, size_t size, MdlResult* result)
{
    if (!bytes || size < kHeaderSize + kChunkHeaderSize) {
        MdlFail(result, MDL_BAD_FILE, "file of %zu bytes is too short for a .glb", size);
        return false;
    }
    if (ReadU32(bytes) != kMagic) {
        MdlFail(result, MDL_BAD_FILE, "not a .glb file (bad magic)");
        return false;
    }
    if (ReadU32(bytes + 4) != 2) {
        MdlFail(result, MDL_BAD_FILE, ".glb version %u is not 2", ReadU32(bytes + 4));
        return false;
    }
    uint32_t length = ReadU32(bytes + 8);
    if (length > size || length < kHeaderSize + kChunkHeaderSize) {
        MdlFail(result, MDL_BAD_FILE, ".glb length %u does not match the %zu bytes given", length, size);
        return false;
    }
    return true;
}

// Reads the chunk at `offset`; its data must lie wholly before `end`.
static bool ReadChunk(const uint8_t* bytes, size_t offset, size_t end, uint32_t* type, size_t* dataSize,
                      MdlResult* result)
{
    if (end - offset < kChunkHeaderSize) {
        MdlFail(result, MDL_BAD_FILE, "truncated .glb chunk header at byte %zu", offset);
        return false;
    }
    size_t length = ReadU32(bytes + offset);
    *type = ReadU32(bytes + offset + 4);
    if (length > end - offset - kChunkHeaderSize) {
        MdlFail(result, MDL_BAD_FILE, ".glb chunk at byte %zu claims %zu bytes past the end", offset, length);
        return false;
    }
    if (length % 4 != 0) {
        MdlFail(result, MDL_BAD_FILE, ".glb chunk at byte %zu is not padded to 4 bytes", offset);
        return false;
    }
    *dataSize = length;
    return true;
}

bool GlbSplitChunks(const uint8_t* bytes, size_t size, GlbChunks* chunks, MdlResult* result)
{
    if (!CheckHeader(bytes, size, result)) return false;
    *chunks = GlbChunks{};
    size_t end = ReadU32(bytes + 8);
    chunks->totalSize = end;
    uint32_t type = 0;
    size_t jsonSize = 0;
    if (!ReadChunk(bytes, kHeaderSize, end, &type, &jsonSize, result)) return false;
    if (type != kJsonChunk || jsonSize == 0) {
        MdlFail(result, MDL_BAD_FILE, ".glb does not start with a JSON chunk");
        return false;
    }
    chunks->json = bytes + kHeaderSize + kChunkHeaderSize;
    chunks->jsonSize = jsonSize;
    size_t next = kHeaderSize + kChunkHeaderSize + jsonSize;
    if (next == end) return true;
    size_t binSize = 0;
    if (!ReadChunk(bytes, next, end, &type, &binSize, result)) return false;
    if (type == kBinChunk) {   // other chunk types are extensions' business; skipped
        chunks->bin = bytes + next + kChunkHeaderSize;
        chunks->binSize = binSize;
    }
    return true;
}

// Counts brackets outside strings; escapes inside strings are skipped so
// that "\"" does not end a string early.
bool GlbCheckJsonDepth(const uint8_t* json, size_t size, int maxDepth, MdlResult* result)
{
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < size; ++i) {
        uint8_t c = json[i];
        if (inString) {
            if (c == '\\') ++i;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > maxDepth) {
                MdlFail(result, MDL_BAD_FILE, "JSON nests deeper than %d levels", maxDepth);
                return false;
            }
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return true;
}
