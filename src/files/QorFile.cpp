// The global file API over the chain of file systems (CxFileSystem.h).  Each
// path function splits off the prefix, brings the rest to its normal form
// (QorPath.h), resolves the file system and calls its operation; each handle
// function calls the file system that opened the handle.
#include "files/QorFile.h"
#include "core/CxAppServices.h"
#include "files/CxFileSystem.h"
#include "files/QorPath.h"
#include "foundation/CxMemory.h"
#include "foundation/Qorstr.h"
#include "platform/os/PlatformFile.h"
#include "platform/os/PlatformSystem.h"

#include <cstring>

namespace {
constexpr int32_t kDefaultCopyChunk = 0x20000;
constexpr int32_t kMinCopyChunk = 0x1000;
constexpr int32_t kMaxCopyChunk = 0x1000000;   // a typo in the options must not ask for gigabytes

struct Located {
    CxFileSystem* fs = nullptr;
    char prefix[QOR_NAME_MAX + 8] = {};   // the caller's prefix, when it named a file system
    char path[QOR_PATH_MAX + 1] = {};     // normal form, prefix removed
};

// False for a refused path (reported) or when no file system resolves.  A
// query that only computes a name (`forName`) passes a climbing path on as
// written: it addresses nothing.
bool Locate(const char* path, Located* at, bool forName = false)
{
    char name[64];
    const char* rest = QorSplitPrefix(path, name, sizeof name);
    QorPathResult result = QorNormalisePath(rest, at->path, sizeof at->path);
    if (result == QOR_PATH_CLIMBS && forName) {
        CopyText(at->path, rest, sizeof at->path);
        ReplaceChar(at->path, '\\', '/');
    } else if (result == QOR_PATH_CLIMBS) {
        ReportError(ERR_INVALID_PATH, "%s climbs above the root of its file system", path);
        return false;
    } else if (result == QOR_PATH_TOO_LONG) {
        ReportError(ERR_INVALID_PATH, "%s is longer than %d characters", path, QOR_PATH_MAX);
        return false;
    }
    at->fs = CxFileSystem::ResolveSplit(name, at->path);
    if (name[0] && at->fs && at->fs == CxFileSystem::FindByName(name)) CopyText(at->prefix, name, sizeof at->prefix);
    return at->fs != nullptr;
}

QorFileHandle* gOpenHandles = nullptr;
int gOpenHandleCount = 0;

void ListHandle(QorFileHandle* handle)
{
    handle->previous = nullptr;
    handle->next = gOpenHandles;
    if (gOpenHandles) gOpenHandles->previous = handle;
    gOpenHandles = handle;
    ++gOpenHandleCount;
}

void UnlistHandle(QorFileHandle* handle)
{
    if (handle->previous) handle->previous->next = handle->next;
    else gOpenHandles = handle->next;
    if (handle->next) handle->next->previous = handle->previous;
    --gOpenHandleCount;
}

int32_t CopyChunkSize()
{
    int32_t chunk = kDefaultCopyChunk;
    if (CxAppServices* app = CxAppServices::Get()) chunk = app->GetAppOptions().ReadInt("Engine", "FileCopyChunkSize", kDefaultCopyChunk);
    if (chunk < kMinCopyChunk) chunk = kMinCopyChunk;
    if (chunk > kMaxCopyChunk) chunk = kMaxCopyChunk;
    return chunk;
}
}  // namespace

// ------------------------------------------------------------- handles
QorFileHandle* QorFileOpen(const char* path, uint32_t flags)
{
    Located at;
    if (!path || !Locate(path, &at)) return nullptr;
    void* inner = at.fs->Open(at.path, flags);
    if (!inner) return nullptr;
    auto* handle = static_cast<QorFileHandle*>(QorAlloc(sizeof(QorFileHandle), "QorFile", __LINE__, true));
    if (!handle) {
        at.fs->Close(inner);
        return nullptr;
    }
    handle->handle = inner;
    handle->fileSystem = at.fs;
    ListHandle(handle);
    return handle;
}

void QorDetachFileSystemHandles(CxFileSystem* fileSystem)
{
    // A close may close further handles (a dynamic file system's inner one),
    // changing the list: each pass starts again from the front.
    for (;;) {
        QorFileHandle* handle = gOpenHandles;
        while (handle && handle->fileSystem != fileSystem) handle = handle->next;
        if (!handle) return;
        void* inner = handle->handle;
        handle->fileSystem = nullptr;
        handle->handle = nullptr;
        fileSystem->Close(inner);
    }
}

int QorOpenHandleCount() { return gOpenHandleCount; }

int QorFileClose(QorFileHandle* handle)
{
    if (!handle) return 0;
    int code = handle->fileSystem ? handle->fileSystem->Close(handle->handle) : 0;
    UnlistHandle(handle);
    QorFree(handle);
    return code;
}

// An orphaned handle (its file system went away) answers every operation
// with a failure and nothing else: the holder was not the one who removed
// the file system, and a message per read would bury the player in boxes.
int QorFileRead(QorFileHandle* handle, void* buffer, uint32_t count, uint32_t* read)
{
    if (read) *read = 0;
    if (!handle || !buffer) return ReportError(ERR_INVALID_ARGUMENT);
    if (!handle->fileSystem) return ERR_READ_FILE;
    return handle->fileSystem->Read(handle->handle, buffer, count, read);
}

int QorFileWrite(QorFileHandle* handle, const void* buffer, uint32_t count)
{
    if (!handle || !buffer) return ReportError(ERR_INVALID_ARGUMENT);
    if (!handle->fileSystem) return ERR_WRITE_FILE;
    return handle->fileSystem->Write(handle->handle, buffer, count);
}

int QorFileSeek(QorFileHandle* handle, int32_t offset, int origin)
{
    if (handle && !handle->fileSystem) return ERR_SEEK_FILE;
    return handle ? handle->fileSystem->Seek(handle->handle, offset, origin) : 0;
}

int32_t QorFileTell(QorFileHandle* handle)
{
    return handle && handle->fileSystem ? handle->fileSystem->Tell(handle->handle) : 0;
}

int32_t QorFileGetHandleLength(QorFileHandle* handle)
{
    return handle && handle->fileSystem ? handle->fileSystem->GetHandleLength(handle->handle) : 0;
}

int QorFileSetHandleLength(QorFileHandle* handle, int32_t length)
{
    if (handle && !handle->fileSystem) return ERR_WRITE_FILE;
    return handle ? handle->fileSystem->SetHandleLength(handle->handle, length) : 0;
}

int QorFileFlush(QorFileHandle* handle)
{
    if (!handle) return ERR_INVALID_ARGUMENT;
    if (!handle->fileSystem) return ERR_WRITE_FILE;
    return handle->fileSystem->Flush(handle->handle);
}

// ------------------------------------------------------------- queries
// Entries come back under the caller's prefix, so that a listing of
// "<AppData>*.sav" names files that open again from "<AppData>".
int QorBuildFileList(CxLinkedList<CxFileInfo*>* list, const char* pattern, uint32_t mask, int recurse)
{
    Located at;
    if (!list || !pattern || !Locate(pattern, &at)) return 0;
    auto* last = list->GetTail();
    int code = at.fs->BuildFileList(list, at.path, mask, recurse);
    if (at.prefix[0])
        for (auto* node = last ? last->next : list->GetHead(); node; node = node->next)
            node->value->Path = CxString(at.prefix) + node->value->Path.Text();
    return code;
}

int QorFileExists(const char* path)
{
    Located at;
    return path && Locate(path, &at) ? (at.fs->Exists(at.path) ? 1 : 0) : 0;
}

int QorFileIsDirectory(const char* path)
{
    Located at;
    return path && Locate(path, &at) ? (at.fs->IsDirectory(at.path) ? 1 : 0) : 0;
}

int QorFileIsWritable(const char* path)
{
    QorFileHandle* handle = QorFileOpen(path, CBF_BINARY | CBF_READONLY);
    if (!handle) return 0;
    QorFileClose(handle);
    return 1;
}

int32_t QorFileLength(const char* path)
{
    Located at;
    return path && Locate(path, &at) ? at.fs->GetLength(at.path) : -1;
}

uint32_t QorFileGetAttributes(const char* path)
{
    Located at;
    return path && Locate(path, &at) ? at.fs->GetAttributes(at.path) : 0;
}

int QorFileSetAttributes(const char* path, uint32_t attributes)
{
    Located at;
    return path && Locate(path, &at) ? at.fs->SetAttributes(at.path, attributes) : 0;
}

char* QorFileGetFullPath(char* out, const char* path, size_t size)
{
    if (!out || size == 0) return out;
    CopyText(out, path ? path : "", size);
    Located at;
    if (!path || !Locate(path, &at, true)) return out;
    return at.fs->GetFullPath(out, at.path, size);
}

// ------------------------------------------------------------- changes
// Each missing folder is made inside the file system the path resolves to,
// so a rooted file system never makes folders outside its root.
int QorFileCreateDirectory(const char* path)
{
    Located at;
    if (!path || !Locate(path, &at)) return 0;
    char part[QOR_PATH_MAX + 2];
    CopyText(part, at.path, sizeof part);
    size_t length = strlen(part);
    if (length && part[length - 1] != '/') CopyText(part + length, "/", sizeof part - length);
    for (char* slash = strchr(part, '/'); slash; slash = strchr(slash + 1, '/')) {
        *slash = 0;
        if (part[0] && !at.fs->IsDirectory(part)) at.fs->MakeDirectory(part);
        *slash = '/';
    }
    return 0;
}

int QorFileRemoveDirectory(const char* path)
{
    Located at;
    return path && Locate(path, &at) ? at.fs->RemoveDirectory(at.path) : 0;
}

// Links are removed, never followed: a link to a folder elsewhere must not
// take that folder's contents with it.
int QorFileRemoveDirectoryTree(const char* path)
{
    if (!path) return 0;
    CxFindFile finder;
    finder.FindFiles(path, "*", FILEATTR_ALLDIRS, 0);
    for (CxFileInfo* entry = finder.First(); entry; entry = finder.Next()) {
        if (entry->Name == "..") continue;
        bool folder = (entry->Attributes & FILEATTR_DIRECTORY) != 0;
        if (folder && (QorFileGetAttributes(entry->Path) & 0x400) == 0) QorFileRemoveDirectoryTree(entry->Path);
        else QorFileDelete(entry->Path);
    }
    return QorFileRemoveDirectory(path);
}

int QorFileDelete(const char* path)
{
    Located at;
    if (!path || !Locate(path, &at)) return ReportError(ERR_FILE_NOT_FOUND);
    return at.fs->Delete(at.path);
}

int QorFileRename(const char* oldPath, const char* newPath)
{
    Located at;
    if (!oldPath || !newPath || !Locate(oldPath, &at)) return ReportError(ERR_FILE_NOT_FOUND);
    char target[QOR_PATH_MAX + 1];
    QorPathResult result = QorNormalisePath(QorSplitPrefix(newPath, nullptr, 0), target, sizeof target);
    if (result != QOR_PATH_OK) {
        ReportError(ERR_INVALID_PATH, "%s cannot be a new name", newPath);
        return ERR_INVALID_PATH;
    }
    return at.fs->Rename(at.path, target);
}

// The source is opened before the target so that a missing source never
// costs the target its contents, and a copy onto itself changes nothing.
int QorFileCopy(const char* source, const char* target, int append, int deleteSource)
{
    if (!source || !target) return ReportError(ERR_OPEN_FILE);
    char from[QOR_PATH_MAX + 1], to[QOR_PATH_MAX + 1];
    QorFileGetFullPath(from, source, sizeof from);
    QorFileGetFullPath(to, target, sizeof to);
    if (!append && QorFileExists(source) && strcmp(from, to) == 0) return 0;

    int32_t chunk = CopyChunkSize();
    auto* buffer = static_cast<char*>(QorAlloc(size_t(chunk), "QorFileCopy", __LINE__, false));
    if (!buffer) return ReportError(ERR_OUT_OF_MEMORY);
    QorFileHandle* in = QorFileOpen(source, CBF_BINARY | CBF_READONLY);
    QorFileHandle* out = in ? QorFileOpen(target, append ? (CBF_APPEND | CBF_BINARY) : (CBF_WRITE | CBF_BINARY))
                            : nullptr;
    int code = 0;
    if (!in || !out) {
        code = ERR_OPEN_FILE;
        ReportError(code);
    } else {
        int32_t left = QorFileGetHandleLength(in);
        while (left > 0 && !code) {
            uint32_t want = uint32_t(left < chunk ? left : chunk), got = 0;
            code = QorFileRead(in, buffer, want, &got);
            if (!code && got == 0) code = ERR_READ_FILE;   // the source ended before its length
            if (!code) code = QorFileWrite(out, buffer, got);
            left -= int32_t(got);
        }
    }
    int closed = QorFileClose(in);   // a member's CRC is checked here
    if (!code) code = closed;
    QorFileClose(out);
    QorFree(buffer);
    if (deleteSource && !code) QorFileDelete(source);
    return code;
}

int QorFileMove(const char* source, const char* target) { return QorFileCopy(source, target, 0, 1); }

// ------------------------------------------------------------- host folders
char* QorFileGetTempPath(char* out, size_t size)
{
    if (!out || size == 0) return out;
    const char* variable = PlatGetEnv("TEMP");
    if (!variable || !*variable) variable = PlatGetEnv("TMP");
    if (!variable || !*variable) {
        CopyText(out, "./", size);
        return out;
    }
    char folder[QOR_PATH_MAX + 1];
    CopyText(folder, variable, sizeof folder);
    ReplaceChar(folder, '\\', '/');
    size_t length = strlen(folder);
    if (length > 1 && folder[length - 1] == '/') folder[length - 1] = 0;
    if (!PlatPathIsDirectory(folder)) CopyText(folder, ".", sizeof folder);
    CopyText(out, folder, size);
    length = strlen(out);
    if (length + 1 < size && (length == 0 || out[length - 1] != '/')) CopyText(out + length, "/", size - length);
    return out;
}

int QorFileGetCurrentDirectory(char* out, size_t size)
{
    if (!out || size == 0) return ERR_INVALID_ARGUMENT;
    return PlatCurrentDirectory(out, size) ? 0 : ERR_INVALID_PATH;
}

char* QorFileGetWindowsDirectory(char* out, size_t size)
{
    if (out && size) PlatWindowsFolder(out, size);
    return out;
}
