// Helpers shared by the image readers and writers; not part of the engine's
// interface.
#pragma once
#include "graphics/QorImageFilters.h"

#include <cstring>

namespace qorimage {

inline uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
inline void PutU16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }
inline void PutU32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16), p[3] = uint8_t(v >> 24);
}

// Refuses (error 10, reported on the surface) sides of 0, sides over the
// limit, and rows or images whose byte counts overflow.
int CheckImageSize(CxDrawSurface* surface, const char* kind, int64_t width, int64_t height, int depth);

// The whole file in engine memory (free with QorFree); errors reported on the
// surface.  An empty file gives a null block and size 0 without error.
int ReadWholeFile(CxDrawSurface* surface, const char* path, uint8_t*& data, size_t& size);
// Creates the file (CBF_CREATE | CBF_BINARY) and writes the bytes.
int WriteWholeFile(CxDrawSurface* surface, const char* path, const CxImageBytes& bytes);

// Frees the loaded file when a reader returns.
struct FileBlock {
    uint8_t* data = nullptr;
    size_t size = 0;
    ~FileBlock();
};

}  // namespace qorimage
