// The global file API: every file access of the engine goes through these
// functions.  Paths use "/" and may begin with a file-system name in angle
// brackets ("<AppData>options.ini").
#pragma once
#include <cstddef>
#include <cstdint>

enum QorOpenFlags : uint32_t {
    CBF_TEXT = 1,
    CBF_BINARY = 2,
    CBF_READONLY = 4,
    CBF_WRITE = 8,
    CBF_CREATE = 0x20,
    CBF_APPEND = 0x40,
};

struct QorFileHandle;

QorFileHandle* QorFileOpen(const char* path, uint32_t flags);
int     QorFileClose(QorFileHandle* handle);
int     QorFileRead(QorFileHandle* handle, void* buffer, uint32_t count, uint32_t* read);
int     QorFileWrite(QorFileHandle* handle, const void* buffer, uint32_t count);
int     QorFileSeek(QorFileHandle* handle, int32_t offset, int origin);
int32_t QorFileTell(QorFileHandle* handle);
int32_t QorFileGetHandleLength(QorFileHandle* handle);
// Pushes written data to the disc; used before renaming a replacement file.
int     QorFileFlush(QorFileHandle* handle);

int     QorFileExists(const char* path);
int     QorFileIsDirectory(const char* path);
int32_t QorFileLength(const char* path);
int     QorFileDelete(const char* path);
// Renames, replacing an existing target in one step (so a file written under
// a temporary name can take the place of the old one without a gap).
int     QorFileRename(const char* oldPath, const char* newPath);
