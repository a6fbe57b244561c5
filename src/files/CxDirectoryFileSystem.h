// A file system over a host folder.
//
// The root is given as an engine path and resolved once, through the chain,
// to a host folder (`ResolvedRoot`).  Every path inside is joined onto it, so
// "/House/a.ini" is "<root>/House/a.ini".  Names are looked up without regard
// to letter case: the exact spelling wins, otherwise the folder's listing
// decides (platform/os/PlatformFind.h).
//
// The default file system has no root: its paths reach the host relative to
// the current folder.  A path that begins with "/" is taken from the current
// folder when its first part is there, and otherwise as the host path it
// spells: the engine's own host folders (program, temporary, cache) are
// absolute and reach the host through this file system.
#pragma once
#include "files/CxFileSystem.h"

class CxDirectoryFileSystem : public CxFileSystem {
public:
    CxDirectoryFileSystem();   // "<DEFAULT>" over the current folder
    CxDirectoryFileSystem(const char* root, const char* name);
    ~CxDirectoryFileSystem() override { QorDetachFileSystemHandles(this); }

    int      BuildFileList(CxLinkedList<CxFileInfo*>* list, const char* pattern, uint32_t mask, int recurse) override;
    int      MakeDirectory(const char* path) override;
    int      RemoveDirectory(const char* path) override;
    int      IsDirectory(const char* path) override;
    void*    Open(const char* path, uint32_t flags) override;
    void*    Create(const char* path, uint32_t flags) override;
    int      Close(void* handle) override;
    int      Read(void* handle, void* buffer, uint32_t count, uint32_t* read) override;
    int      Write(void* handle, const void* buffer, uint32_t count) override;
    int      Seek(void* handle, int32_t offset, int origin) override;
    int32_t  Tell(void* handle) override;
    int32_t  GetLength(const char* path) override;
    int32_t  GetHandleLength(void* handle) override;
    int      SetHandleLength(void* handle, int32_t length) override;
    uint32_t GetAttributes(const char* path) override;
    int      SetAttributes(const char* path, uint32_t attributes) override;
    int      Exists(const char* path) override;
    int      Delete(const char* path) override;
    int      Rename(const char* oldPath, const char* newPath) override;
    int      GetFileTime(const char* path, QorDateTime* out) override;
    int      SpareOperation() override;
    char*    GetFullPath(char* out, const char* path, size_t size) override;
    int      Flush(void* handle) override;

    const CxString& GetRootPath() const { return RootPath; }
    const CxString& GetResolvedRoot() const { return ResolvedRoot; }

    // The host path of a path inside this file system, letter case resolved;
    // false when it would not fit 255 characters.
    bool HostPath(const char* path, char* out, size_t size) const;

    // The root-less folder file system that answers while the chain is empty.
    static CxDirectoryFileSystem* HostStandIn();

protected:
    CxString RootPath;
    CxString ResolvedRoot;

private:
    explicit CxDirectoryFileSystem(Unlinked tag);
};

// Enumerates a folder of a directory file system into a listing: one on the
// stack per listing.
class OSFileFind : public CxObject, public CxError {
public:
    explicit OSFileFind(const CxDirectoryFileSystem& owner) : owner_(owner) {}
    int Find(CxLinkedList<CxFileInfo*>* list, const char* pattern, uint32_t mask, int recurse);

private:
    int Walk(CxLinkedList<CxFileInfo*>* list, const char* folder, const char* pattern, uint32_t mask,
             int recurse, int depth);
    const CxDirectoryFileSystem& owner_;
};

// Engine attribute bits of a host attribute word.
uint32_t QorEngineAttributes(uint32_t hostAttributes);
