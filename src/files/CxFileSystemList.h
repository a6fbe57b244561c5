// The file systems an application made by name (scripts' NewFileSystem and
// RemoveFileSystem, and start-up's "<CDPath>", "<InstallPath>", "<AppData>").
// The list owns them; each is also in the chain for as long as it lives.
#pragma once
#include "files/CxFileSystem.h"

class CxFileSystemList {
public:
    CxFileSystemList() = default;
    ~CxFileSystemList() { RemoveAll(); }
    CxFileSystemList(const CxFileSystemList&) = delete;
    CxFileSystemList& operator=(const CxFileSystemList&) = delete;

    // A zip archive when the path holds ".zip" (any case); otherwise a
    // folder, or a dynamic file system when `dynamic` is set and the full
    // path differs from the path as given.  Null for a null name or path.
    CxFileSystem* NewFileSystem(const char* name, const char* path, bool dynamic = false);
    // Destroys the first of ours whose name matches; others are left alone.
    void RemoveFileSystem(const char* name);
    void RemoveAll();
    CxFileSystem* Find(const char* name) const;
    int32_t GetCount() const { return list_.GetCount(); }

private:
    CxLinkedList<CxFileSystem*> list_;
};
