#include "core/CxCoreFiles.h"
#include "core/CxError.h"
#include "foundation/CxMemory.h"
#include "platform/os/PlatformFile.h"

#include <cstdio>

namespace {
bool HostExists(const char* path) { return PlatPathExists(path) && !PlatPathIsDirectory(path); }
bool HostRemove(const char* path) { return PlatPathDelete(path); }

int HostReadAll(const char* path, char** bytes, uint32_t* size)
{
    *bytes = nullptr;
    *size = 0;
    PlatFile* file = PlatFileOpen(path, PLAT_OPEN_READ);
    if (!file) return ERR_OPEN_FILE;
    int64_t length = PlatFileHandleLength(file);
    if (length < 0 || length > 0x7FFFFFF0) length = 0;
    auto* text = static_cast<char*>(QorAlloc(size_t(length) + 2, "CxCoreFiles", __LINE__, true));
    if (!text) {
        PlatFileClose(file);
        return ERR_OUT_OF_MEMORY;
    }
    long read = length ? PlatFileRead(file, text, size_t(length)) : 0;
    PlatFileClose(file);
    if (read < 0) {
        QorFree(text);
        return ERR_READ_FILE;
    }
    *bytes = text;
    *size = uint32_t(read);
    return 0;
}

int HostReplace(const char* path, const void* data, uint32_t size)
{
    char temp[300];
    snprintf(temp, sizeof temp, "%s.tmp", path);
    PlatFile* file = PlatFileOpen(temp, PLAT_OPEN_CREATE);
    if (!file) return ERR_CREATE_FILE;
    bool ok = PlatFileWrite(file, data, size) == long(size) && PlatFileFlush(file);
    PlatFileClose(file);
    if (ok) ok = PlatPathRename(temp, path);
    if (!ok) PlatPathDelete(temp);
    return ok ? 0 : ERR_WRITE_FILE;
}

const CxCoreFileAccess kHostFiles = {HostExists, HostRemove, HostReadAll, HostReplace};
const CxCoreFileAccess* gAccess = &kHostFiles;
}  // namespace

void SetCoreFileAccess(const CxCoreFileAccess* access) { gAccess = access ? access : &kHostFiles; }
const CxCoreFileAccess& GetCoreFileAccess() { return *gAccess; }
