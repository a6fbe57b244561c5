// Plain files and folders of the host.  Paths are host paths (already
// resolved by the engine's file systems).  Features implemented on Linux:
//   open/read/write/seek/length/truncate/flush, exists, folder test, delete,
//   rename (replacing the target atomically), make folder, remove folder,
//   whole-file read, and crash-safe whole-file replace.
#pragma once
#include <cstddef>
#include <cstdint>

struct PlatFile;

enum PlatOpenMode {
    PLAT_OPEN_READ = 1,       // existing file, read only
    PLAT_OPEN_WRITE = 2,      // existing file, read and write
    PLAT_OPEN_CREATE = 4,     // create or empty, read and write
    PLAT_OPEN_APPEND = 8,     // with WRITE: create when missing, position at the end
};

PlatFile* PlatFileOpen(const char* path, int mode);
void      PlatFileClose(PlatFile* file);
// Bytes read (0 at the end); -1 on a read error.
long      PlatFileRead(PlatFile* file, void* buffer, size_t count);
long      PlatFileWrite(PlatFile* file, const void* buffer, size_t count);
bool      PlatFileSeek(PlatFile* file, int64_t offset, int origin);   // origin 0 set, 1 current, 2 end
int64_t   PlatFileTell(PlatFile* file);
int64_t   PlatFileHandleLength(PlatFile* file);
bool      PlatFileSetHandleLength(PlatFile* file, int64_t length);
bool      PlatFileFlush(PlatFile* file);   // to the disc, not only the OS

bool    PlatPathExists(const char* path);
bool    PlatPathIsDirectory(const char* path);
int64_t PlatPathLength(const char* path);  // -1 when missing
bool    PlatPathDelete(const char* path);
bool    PlatPathRename(const char* from, const char* to);
bool    PlatMakeDirectory(const char* path);
bool    PlatRemoveDirectory(const char* path);

// Writes `size` bytes to a temporary file beside `path`, flushes it and
// renames it over `path`: a failure at any point leaves the old file as it was.
bool PlatFileReplace(const char* path, const void* data, size_t size);
