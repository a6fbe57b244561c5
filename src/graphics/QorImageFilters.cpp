// The image filter registry, surface Load and Save, and the file plumbing of
// the readers and writers.
//
// Files are read whole through the global file API (so every reader works on
// any file system of the chain) by a small private reader here; the writers
// build the file in memory and write it with one call.
#include "graphics/QorImageFilters.h"
#include "files/QorFile.h"
#include "foundation/CxMemory.h"
#include "foundation/Qorstr.h"
#include "graphics/QorImageInternal.h"

#include <cstring>

namespace {
struct ImageFilter {
    char extension[8];
    CxImageLoadRoutine load;
    CxImageSaveRoutine save;
};
ImageFilter gFilters[CX_IMAGE_FILTER_SLOTS];

// The first entry whose extension ends the path, letter case ignored.
const ImageFilter* FindFilter(const char* path)
{
    size_t pathLength = path ? strlen(path) : 0;
    for (const ImageFilter& f : gFilters) {
        size_t n = strlen(f.extension);
        if (n == 0 || n > pathLength) continue;
        if (TextEquals(path + pathLength - n, f.extension, true)) return &f;
    }
    return nullptr;
}
}  // namespace

// ======================================================================
// Registry
// ======================================================================

int RegisterImageFilter(const char* extension, CxImageLoadRoutine load, CxImageSaveRoutine save)
{
    if (!extension || extension[0] != '.') {
        ReportError(ERR_INVALID_ARGUMENT, "Extension MUST include the period as in '.pcx'");
        return 0;
    }
    ImageFilter* slot = nullptr;
    for (ImageFilter& f : gFilters)
        if (f.extension[0] && TextEquals(f.extension, extension, true)) {
            slot = &f;
            break;
        }
    for (ImageFilter& f : gFilters)
        if (!slot && !f.extension[0]) slot = &f;
    if (!slot) return 0;
    CopyText(slot->extension, extension, sizeof slot->extension);
    slot->load = load;
    slot->save = save;
    return 1;
}

void UnregisterImageFilters(const char* pattern)
{
    for (ImageFilter& f : gFilters)
        if (f.extension[0] && MatchWildcards(pattern, f.extension)) f = ImageFilter{};
}

void RegisterEngineImageFilters()
{
    RegisterImageFilter(".TGA", QorLoadTGA, QorSaveTGA);
    RegisterImageFilter(".QOR", QorLoadQOR, nullptr);
    RegisterImageFilter(".PCX", QorLoadPCX, nullptr);
    RegisterImageFilter(".BMP", QorLoadBMP, nullptr);
}

// ======================================================================
// Surface Load and Save
// ======================================================================

int CxDrawSurface::Load(const char* path, uint32_t option)
{
    // A load starts the surface afresh, so an earlier failure does not block it.
    errorCode_ = 0;
    const ImageFilter* filter = FindFilter(path);
    if (!filter) return Error(ERR_UNKNOWN, "No image filter registered for '%s'", path ? path : "");
    if (!filter->load) return Error(ERR_INVALID_ARGUMENT, "No Load function registered for '%s'", filter->extension);
    int result = filter->load(this, path);
    errorCode_ = result;
    if (result != 0) return result;
    name_ = path;
    uint8_t display = GetDisplay16BitFormat();
    if (depth_ == 16 && display && display != format_) Set16BitFormat(display);
    return 0;
}

int CxDrawSurface::Save(const char* path, uint32_t option)
{
    if (InError()) return errorCode_;
    const ImageFilter* filter = FindFilter(path);
    if (!filter) return Error(ERR_UNKNOWN, "No image filter registered for '%s'", path ? path : "");
    if (!filter->save) return Error(ERR_INVALID_ARGUMENT, "No Save function registered for '%s'", filter->extension);
    int result = filter->save(this, path, option);
    errorCode_ = result;
    return result;
}

// ======================================================================
// Byte buffer and file plumbing
// ======================================================================

CxImageBytes::~CxImageBytes() { QorFree(data_); }

bool CxImageBytes::Append(const void* data, size_t size)
{
    if (size == 0) return true;
    if (size_ + size > capacity_) {
        size_t capacity = capacity_ ? capacity_ : 256;
        while (capacity < size_ + size) capacity *= 2;
        auto* grown = static_cast<uint8_t*>(QorRealloc(data_, capacity, "QorImageFilters", __LINE__));
        if (!grown) return false;
        data_ = grown, capacity_ = capacity;
    }
    std::memcpy(data_ + size_, data, size);
    size_ += size;
    return true;
}

bool CxImageBytes::AppendU16(uint16_t v)
{
    uint8_t b[2];
    qorimage::PutU16(b, v);
    return Append(b, 2);
}

bool CxImageBytes::AppendU32(uint32_t v)
{
    uint8_t b[4];
    qorimage::PutU32(b, v);
    return Append(b, 4);
}

namespace qorimage {

FileBlock::~FileBlock() { QorFree(data); }

int CheckImageSize(CxDrawSurface* surface, const char* kind, int64_t width, int64_t height, int depth)
{
    if (width <= 0 || height <= 0 || width > CX_IMAGE_MAX_SIDE || height > CX_IMAGE_MAX_SIDE)
        return surface->Error(ERR_INVALID_FILE_TYPE, "Invalid %s image size %lld x %lld", kind, (long long)width,
                              (long long)height);
    if (!IsValidDepth(depth))
        return surface->Error(ERR_INVALID_FILE_TYPE, "Unsupported %s pixel depth %d", kind, depth);
    return 0;
}

int ReadWholeFile(CxDrawSurface* surface, const char* path, uint8_t*& data, size_t& size)
{
    data = nullptr, size = 0;
    QorFileHandle* file = QorFileOpen(path, CBF_BINARY | CBF_READONLY);
    if (!file) return surface->Error(ERR_OPEN_FILE, "Could not open file: %s", path);
    int32_t length = QorFileGetHandleLength(file);
    int result = 0;
    if (length > 0) {
        data = static_cast<uint8_t*>(QOR_ALLOC(size_t(length), "QorImageFilters"));
        uint32_t got = 0;
        if (!data) result = surface->Error(ERR_OUT_OF_MEMORY, "Could not allocate %ld bytes for %s", long(length), path);
        else if (QorFileRead(file, data, uint32_t(length), &got) != 0 || got != uint32_t(length))
            result = surface->Error(ERR_READ_FILE, "Could not read file: %s", path);
        if (result != 0) {
            QorFree(data);
            data = nullptr;
        } else {
            size = size_t(length);
        }
    }
    QorFileClose(file);
    return result;
}

int WriteWholeFile(CxDrawSurface* surface, const char* path, const CxImageBytes& bytes)
{
    QorFileHandle* file = QorFileOpen(path, CBF_CREATE | CBF_BINARY);
    if (!file) return surface->Error(ERR_OPEN_FILE, "Could not create file: %s", path);
    int result = 0;
    if (bytes.Size() && QorFileWrite(file, bytes.Data(), uint32_t(bytes.Size())) != 0)
        result = surface->Error(ERR_WRITE_FILE, "Could not write bitmap data to %s", path);
    QorFileClose(file);
    return result;
}

}  // namespace qorimage

// ======================================================================
// File routines of the registry
// ======================================================================

namespace {
using Decoder = int (*)(CxDrawSurface*, const uint8_t*, size_t, const char*);

int LoadWith(Decoder decode, CxDrawSurface* surface, const char* path)
{
    qorimage::FileBlock file;
    int result = qorimage::ReadWholeFile(surface, path, file.data, file.size);
    if (result != 0) return result;
    return decode(surface, file.data, file.size, path);
}

using Encoder = int (*)(CxDrawSurface*, uint32_t, CxImageBytes&);

int SaveWith(Encoder encode, CxDrawSurface* surface, const char* path, uint32_t flags)
{
    CxImageBytes bytes;
    int result = encode(surface, flags, bytes);
    return result != 0 ? result : qorimage::WriteWholeFile(surface, path, bytes);
}
}  // namespace

int QorLoadQOR(CxDrawSurface* surface, const char* path) { return LoadWith(QorDecodeQOR, surface, path); }
int QorLoadTGA(CxDrawSurface* surface, const char* path) { return LoadWith(QorDecodeTGA, surface, path); }
int QorLoadBMP(CxDrawSurface* surface, const char* path) { return LoadWith(QorDecodeBMP, surface, path); }
int QorLoadPCX(CxDrawSurface* surface, const char* path) { return LoadWith(QorDecodePCX, surface, path); }
int QorSaveQOR(CxDrawSurface* surface, const char* path, uint32_t flags) { return SaveWith(QorEncodeQOR, surface, path, flags); }
int QorSaveTGA(CxDrawSurface* surface, const char* path, uint32_t flags) { return SaveWith(QorEncodeTGA, surface, path, flags); }
