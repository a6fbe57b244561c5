// Folder-only implementation of the global file API: paths are relative to
// the current folder and a leading "<NAME>" prefix is dropped.  The chain of
// named file systems and zip archives replaces this unit.
#include "files/QorFile.h"
#include "core/CxError.h"
#include "platform/os/PlatformFile.h"

#include <cstring>
#include <string>

struct QorFileHandle {
    PlatFile* file;
    uint32_t flags;
};

namespace {
std::string HostPath(const char* path)
{
    if (!path) return {};
    if (path[0] == '<') {
        const char* close = strchr(path, '>');
        if (close) path = close + 1;
    }
    std::string out = path;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

int PlatModeFor(uint32_t flags)
{
    if (flags & CBF_CREATE) return PLAT_OPEN_CREATE;
    if (flags & CBF_WRITE) return PLAT_OPEN_CREATE;
    if (flags & CBF_APPEND) return PLAT_OPEN_WRITE | PLAT_OPEN_APPEND;
    if (flags & CBF_READONLY) return PLAT_OPEN_READ;
    return PLAT_OPEN_WRITE;
}
}  // namespace

QorFileHandle* QorFileOpen(const char* path, uint32_t flags)
{
    std::string host = HostPath(path);
    if (host.empty()) return nullptr;
    PlatFile* file = PlatFileOpen(host.c_str(), PlatModeFor(flags));
    if (!file) return nullptr;
    return new QorFileHandle{file, flags};
}

int QorFileClose(QorFileHandle* handle)
{
    if (!handle) return 0;
    PlatFileClose(handle->file);
    delete handle;
    return 0;
}

int QorFileRead(QorFileHandle* handle, void* buffer, uint32_t count, uint32_t* read)
{
    if (read) *read = 0;
    if (!handle || !buffer) return ERR_INVALID_ARGUMENT;
    long n = PlatFileRead(handle->file, buffer, count);
    if (n < 0) return ERR_READ_FILE;
    if (read) *read = uint32_t(n);
    return 0;
}

int QorFileWrite(QorFileHandle* handle, const void* buffer, uint32_t count)
{
    if (!handle || !buffer) return ERR_INVALID_ARGUMENT;
    return PlatFileWrite(handle->file, buffer, count) == long(count) ? 0 : ERR_WRITE_FILE;
}

int QorFileSeek(QorFileHandle* handle, int32_t offset, int origin)
{
    if (!handle) return 0;
    return PlatFileSeek(handle->file, offset, origin) ? 0 : ERR_SEEK_FILE;
}

int32_t QorFileTell(QorFileHandle* handle) { return handle ? int32_t(PlatFileTell(handle->file)) : 0; }
int32_t QorFileGetHandleLength(QorFileHandle* handle) { return handle ? int32_t(PlatFileHandleLength(handle->file)) : 0; }

int QorFileFlush(QorFileHandle* handle)
{
    if (!handle) return ERR_INVALID_ARGUMENT;
    return PlatFileFlush(handle->file) ? 0 : ERR_WRITE_FILE;
}

int QorFileExists(const char* path)
{
    std::string host = HostPath(path);
    return !host.empty() && PlatPathExists(host.c_str()) && !PlatPathIsDirectory(host.c_str());
}

int QorFileIsDirectory(const char* path) { return PlatPathIsDirectory(HostPath(path).c_str()); }

int32_t QorFileLength(const char* path)
{
    int64_t n = PlatPathLength(HostPath(path).c_str());
    return n < 0 ? -1 : int32_t(n);
}

int QorFileDelete(const char* path)
{
    std::string host = HostPath(path);
    if (!PlatPathExists(host.c_str())) return ERR_FILE_NOT_FOUND;
    return PlatPathDelete(host.c_str()) ? 0 : ERR_DELETE_FILE;
}

int QorFileRename(const char* oldPath, const char* newPath)
{
    std::string from = HostPath(oldPath), to = HostPath(newPath);
    if (!PlatPathExists(from.c_str())) return ERR_FILE_NOT_FOUND;
    return PlatPathRename(from.c_str(), to.c_str()) ? 0 : ERR_WRITE_FILE;
}
