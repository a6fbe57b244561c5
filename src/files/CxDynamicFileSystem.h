// A name for another place in the chain: every path is joined onto the base
// path and handed back to the global file API, so the target is looked up
// again on every call (a directory file system fixes its root once).
#pragma once
#include "files/CxFileSystem.h"

class CxDynamicFileSystem : public CxFileSystem {
public:
    CxDynamicFileSystem(const char* basePath, const char* name);
    ~CxDynamicFileSystem() override { QorDetachFileSystemHandles(this); }

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

    const CxString& GetBasePath() const { return BasePath; }

protected:
    CxString BasePath;

private:
    CxString Join(const char* path) const;
};
