// How the core layer's own files reach the disc: options files and the
// debug log.  The file layer above installs the file-system chain here, so
// that options files may live under "<AppData>" or inside an archive; until
// it does (tests of the core alone), paths are plain host paths.
#pragma once
#include <cstdint>

struct CxCoreFileAccess {
    bool (*exists)(const char* path);
    bool (*remove)(const char* path);
    // The whole file in a block from QorAlloc with two spare bytes after it:
    // 0, ERR_OPEN_FILE, ERR_OUT_OF_MEMORY or ERR_READ_FILE.
    int  (*readAll)(const char* path, char** bytes, uint32_t* size);
    // Crash-safe: "<path>.tmp" is written and flushed, then renamed over the
    // old file, which stays whole when anything fails.  0, ERR_CREATE_FILE
    // (the temporary file could not be made) or ERR_WRITE_FILE.
    int  (*replace)(const char* path, const void* data, uint32_t size);
};

void SetCoreFileAccess(const CxCoreFileAccess* access);   // null: host files
const CxCoreFileAccess& GetCoreFileAccess();
