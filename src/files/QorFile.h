// The global file API: every file access of the engine goes through these
// functions.  Paths use "/" and may begin with a file-system name in angle
// brackets ("<AppData>options.ini"); the chain of file systems that resolves
// them is described in CxFileSystem.h.
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

// Engine attribute bits of listings and zip members.
enum QorFileAttributes : uint32_t {
    FILEATTR_READONLY = 1,
    FILEATTR_DIRECTORY = 2,
    FILEATTR_SYSTEM = 4,
    FILEATTR_HIDDEN = 8,
    FILEATTR_ARCHIVE = 0x10,
    FILEATTR_COMPRESSED = 0x20,
    FILEATTR_ALLDIRS = 0x80000000u,   // in a listing mask: every folder, whatever its name
};

class CxFileSystem;
class CxFileInfo;
template <typename T> class CxLinkedList;

// What QorFileOpen returns: the owning file system's own handle and the file
// system itself.  Freed by QorFileClose.  Every open handle is listed, so that
// a file system going away closes its files and leaves their handles
// orphaned (file system null): operations on them fail quietly until the
// holder closes them.
struct QorFileHandle {
    void* handle;
    CxFileSystem* fileSystem;
    QorFileHandle* previous;
    QorFileHandle* next;
};

// Closes the files `fileSystem` has open and orphans their handles; each file
// system's destructor calls it while its own Close can still run.
void QorDetachFileSystemHandles(CxFileSystem* fileSystem);
int  QorOpenHandleCount();

QorFileHandle* QorFileOpen(const char* path, uint32_t flags);
int     QorFileClose(QorFileHandle* handle);
int     QorFileRead(QorFileHandle* handle, void* buffer, uint32_t count, uint32_t* read);
int     QorFileWrite(QorFileHandle* handle, const void* buffer, uint32_t count);
int     QorFileSeek(QorFileHandle* handle, int32_t offset, int origin);
int32_t QorFileTell(QorFileHandle* handle);
int32_t QorFileGetHandleLength(QorFileHandle* handle);
int     QorFileSetHandleLength(QorFileHandle* handle, int32_t length);
// Pushes written data to the disc; used before renaming a replacement file.
int     QorFileFlush(QorFileHandle* handle);
// Reads a whole file into a new block from the engine allocator with two zero
// bytes after the contents (the caller frees it with QorFree).  Reports
// nothing: answers 0, ERR_OPEN_FILE, ERR_OUT_OF_MEMORY or the read's code, so
// each caller words its own message.
int     QorFileReadAll(const char* path, char** bytes, uint32_t* size);

int     QorBuildFileList(CxLinkedList<CxFileInfo*>* list, const char* pattern, uint32_t mask, int recurse);
int     QorFileExists(const char* path);
int     QorFileIsDirectory(const char* path);
int     QorFileIsWritable(const char* path);
int32_t QorFileLength(const char* path);
uint32_t QorFileGetAttributes(const char* path);
int     QorFileSetAttributes(const char* path, uint32_t attributes);
int     QorFileCreateDirectory(const char* path);
int     QorFileRemoveDirectory(const char* path);
int     QorFileRemoveDirectoryTree(const char* path);
int     QorFileDelete(const char* path);
// Renames, replacing an existing target in one step (so a file written under
// a temporary name can take the place of the old one without a gap).
int     QorFileRename(const char* oldPath, const char* newPath);
int     QorFileCopy(const char* source, const char* target, int append, int deleteSource);
int     QorFileMove(const char* source, const char* target);
char*   QorFileGetFullPath(char* out, const char* path, size_t size);

// Host folders, with "/" separators; no file system involved.
char*   QorFileGetTempPath(char* out, size_t size);
int     QorFileGetCurrentDirectory(char* out, size_t size);
char*   QorFileGetWindowsDirectory(char* out, size_t size);
