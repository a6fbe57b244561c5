// Image files: a registry of load and save routines keyed by extension, and
// the readers and writers of the four formats (the engine's own .QOR, Targa,
// Windows bitmap and PCX).
//
// Every reader decodes from a memory buffer (the file routines load the whole
// file first), never reads outside it, and refuses with a clear error:
// truncated headers and pixel data, sides over CX_IMAGE_MAX_SIDE, sizes that
// overflow, palettes out of range and run-length data that runs past the end
// of the image or of the buffer.
#pragma once
#include "graphics/CxSurf.h"

#include <cstddef>
#include <cstdint>

constexpr int CX_IMAGE_MAX_SIDE = 16384;
constexpr int CX_IMAGE_FILTER_SLOTS = 20;
constexpr uint32_t QOR_MAGIC = 0xA9B8C7D6u;
constexpr int QOR_HEADER_SIZE = 44;
constexpr int QOR_HEADER_SIZE_PALETTE = 812;

using CxImageLoadRoutine = int (*)(CxDrawSurface* surface, const char* path);
using CxImageSaveRoutine = int (*)(CxDrawSurface* surface, const char* path, uint32_t flags);

// Returns 1 when registered; 0 when the table is full or the extension lacks
// its leading period (the latter reported as error 16).
int  RegisterImageFilter(const char* extension, CxImageLoadRoutine load, CxImageSaveRoutine save);
void UnregisterImageFilters(const char* pattern);
// The engine's own formats: .TGA (load and save), .QOR, .PCX and .BMP (load).
// The game then registers .QOR again with QorSaveQOR as its writer.
void RegisterEngineImageFilters();

// A growable byte buffer in engine memory for encoders.
class CxImageBytes {
public:
    CxImageBytes() = default;
    ~CxImageBytes();
    CxImageBytes(const CxImageBytes&) = delete;
    CxImageBytes& operator=(const CxImageBytes&) = delete;
    bool Append(const void* data, size_t size);
    bool AppendU8(uint8_t v) { return Append(&v, 1); }
    bool AppendU16(uint16_t v);
    bool AppendU32(uint32_t v);
    uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }
    void Clear() { size_ = 0; }

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0, capacity_ = 0;
};

// Readers over memory; `name` is used in messages.  An error leaves the
// surface possibly sized but without valid pixels (QOR checksum failures keep
// the pixels).
int QorDecodeQOR(CxDrawSurface* surface, const uint8_t* data, size_t size, const char* name);
int QorDecodeTGA(CxDrawSurface* surface, const uint8_t* data, size_t size, const char* name);
int QorDecodeBMP(CxDrawSurface* surface, const uint8_t* data, size_t size, const char* name);
int QorDecodePCX(CxDrawSurface* surface, const uint8_t* data, size_t size, const char* name);

// Writers into memory; the low byte of flags picks the QOR compression
// (0 none, 1 zlib, 2 the engine's LZ scheme); a Targa is packed when flags is 1.
int QorEncodeQOR(CxDrawSurface* surface, uint32_t flags, CxImageBytes& out);
int QorEncodeTGA(CxDrawSurface* surface, uint32_t flags, CxImageBytes& out);

// The registered file routines.
int QorLoadQOR(CxDrawSurface* surface, const char* path);
int QorLoadTGA(CxDrawSurface* surface, const char* path);
int QorLoadBMP(CxDrawSurface* surface, const char* path);
int QorLoadPCX(CxDrawSurface* surface, const char* path);
int QorSaveQOR(CxDrawSurface* surface, const char* path, uint32_t flags);
int QorSaveTGA(CxDrawSurface* surface, const char* path, uint32_t flags);

// The QOR checksum: the CRC-32 table run from 0 without the final inversion.
uint32_t QorChecksum(const uint8_t* data, size_t size);
// The engine's LZ scheme.  Compress returns false when the result would not
// be smaller (the caller then stores the data as it is).
bool QorCompressLZ(const uint8_t* data, size_t size, CxImageBytes& out);
bool QorDecompressLZ(const uint8_t* data, size_t size, uint8_t* out, size_t outSize);
