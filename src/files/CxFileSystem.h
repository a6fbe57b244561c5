// The chain of file systems.
//
// Terms.  A *file system* answers file operations for paths inside it: a
// host folder (CxDirectoryFileSystem), another place in the chain under a new
// name (CxDynamicFileSystem) or a zip archive (CxZipFileSystem).  Its *name*
// carries the angle brackets ("<InstallPath>"); at most 29 characters count.
// The *chain* is the one process-wide list of file systems, in search order.
//
// Order.  Every file system links itself in at construction in front of all
// earlier ones, so the newest is searched first; the application's
// "<DEFAULT>" over the current folder comes first and therefore stays last.
//
// Resolution of "<Name>rest": the first file system whose name equals
// "<Name>" without regard to case, busy or not.  A prefix naming none is
// dropped and the rest searched as below.
// Resolution of "rest": walk the chain, skipping busy file systems (busy
// count above 0); the first whose Exists or IsDirectory answers is the
// result; when none answers, the first non-busy one (so a new file is
// written to the newest non-busy file system); with none, nothing.
//
// Write rules.  Writes land in the resolved file system only; a zip refuses
// them.  "<AppData>" is kept busy by its owner so that only its prefix
// reaches it.
//
// Paths handed to the operations below are already stripped of their prefix
// and in the normal form of QorPath.h.  Listings return each entry's path as
// the caller can open it again: with the caller's prefix in front.
//
// Removal.  A file system destroyed while files of it are open (a script's
// RemoveFileSystem, the end of a cycle) closes them in its destructor and
// leaves their handles orphaned: reads, writes and seeks on them fail
// quietly until the holder closes them (QorFile.h).
//
// Open questions: nothing is locked, so the chain belongs to the main thread.
#pragma once
#include "core/CxError.h"
#include "files/QorFile.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxString.h"

#include <cstddef>
#include <cstdint>

// Eight unsigned 16-bit values; UTC for folders, as stored for zip members.
struct QorDateTime {
    uint16_t year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

// One entry of a listing.
class CxFileInfo : public CxObject {
public:
    QorDateTime ModifiedTime{};
    CxString Path;          // as the caller can open it again, prefix included
    CxString Name;          // the entry's own name
    uint32_t Attributes = 0;   // engine bits (FILEATTR_*)
    uint32_t Size = 0;         // low 32 bits of the length
};

class CxFileSystem : public CxObject, public CxError {
public:
    CxFileSystem();
    ~CxFileSystem() override;
    CxFileSystem(const CxFileSystem&) = delete;
    CxFileSystem& operator=(const CxFileSystem&) = delete;

    // Virtual operations, in slot order after the destructor.
    virtual int      BuildFileList(CxLinkedList<CxFileInfo*>* list, const char* pattern, uint32_t mask, int recurse) = 0;
    virtual int      MakeDirectory(const char* path) = 0;
    virtual int      RemoveDirectory(const char* path) = 0;
    virtual int      IsDirectory(const char* path) = 0;
    virtual void*    Open(const char* path, uint32_t flags) = 0;
    virtual void*    Create(const char* path, uint32_t flags) = 0;
    virtual int      Close(void* handle) = 0;
    virtual int      Read(void* handle, void* buffer, uint32_t count, uint32_t* read) = 0;
    virtual int      Write(void* handle, const void* buffer, uint32_t count) = 0;
    virtual int      Seek(void* handle, int32_t offset, int origin) = 0;
    virtual int32_t  Tell(void* handle) = 0;
    virtual int32_t  GetLength(const char* path) = 0;
    virtual int32_t  GetHandleLength(void* handle) = 0;
    virtual int      SetHandleLength(void* handle, int32_t length) = 0;
    virtual uint32_t GetAttributes(const char* path) = 0;
    virtual int      SetAttributes(const char* path, uint32_t attributes) = 0;
    virtual int      Exists(const char* path) = 0;
    virtual int      Delete(const char* path) = 0;
    virtual int      Rename(const char* oldPath, const char* newPath) = 0;
    virtual int      GetFileTime(const char* path, QorDateTime* out) = 0;
    virtual int      SpareOperation() = 0;
    virtual char*    GetFullPath(char* out, const char* path, size_t size);
    // Added after the designed slots: writes through to the disc.
    virtual int      Flush(void* handle);

    const char* GetName() const { return Name; }
    void     SetName(const char* name);   // cut to 29 characters
    uint32_t GetPriority() const { return Priority; }
    int32_t  GetBusyCount() const { return BusyCount; }
    void     RaiseBusy() { ++BusyCount; }
    void     LowerBusy() { --BusyCount; }

    // The chain, null while no file system exists.
    static CxLinkedList<CxFileSystem*>* GetChain();
    // The file system for a path (Resolution above); `rest` receives the path
    // without a prefix that named a file system.  Null when none resolves.
    static CxFileSystem* Resolve(const char* path, const char** rest);
    // The same for a prefix already split off ("" for none).
    static CxFileSystem* ResolveSplit(const char* name, const char* rest);
    static CxFileSystem* FindByName(const char* name);

protected:
    // For the host stand-in the global API uses before any file system exists:
    // it never enters the chain.
    struct Unlinked {};
    explicit CxFileSystem(Unlinked);

    char     Name[30] = "<UNKNOWN>";
    uint32_t Priority = 0x7FFFFFFF;
    int32_t  BusyCount = 0;

private:
    void Link();
    bool linked_ = false;
};

// Lists matching entries: the folder, "/" and the pattern are joined and
// handed to QorBuildFileList.
class CxFindFile : public CxObject, public CxError {
public:
    ~CxFindFile() override;
    int         FindFiles(const char* folder, const char* pattern, uint32_t mask, int recurse);
    CxFileInfo* First();
    CxFileInfo* Next();
    CxLinkedList<CxFileInfo*>& Entries() { return list_; }

private:
    void Clear();
    CxLinkedList<CxFileInfo*> list_;
    CxListNode<CxFileInfo*>* cursor_ = nullptr;
};

// Deletes every entry of a listing and empties it.
void QorFreeFileList(CxLinkedList<CxFileInfo*>* list);
