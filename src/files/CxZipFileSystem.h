// A read-only file system over one zip archive: stored and deflated members,
// no ZIP64, no encryption, no archives split over discs.
//
// The central directory is read once and checked record by record; a record
// that does not fit ends it.  Members are read in sequence, stored ones by
// copying and deflated ones through zlib's raw inflate, and every byte
// delivered goes into a running CRC-32.  Whatever the archive claims is
// checked before it is believed: a member must lie between the archive's
// start and its central directory without running into the next member, its
// sizes must be possible for its method, and when its last byte is delivered
// the stream must end there and the CRC-32 must agree.  A member that breaks
// any of these fails with a clear error instead of handing out its bytes.
#pragma once
#include "files/CxFile.h"
#include "files/CxFileSystem.h"

#include <cstdint>

class CxZipFileSystem : public CxFileSystem {
public:
    CxZipFileSystem(const char* path, const char* name);
    ~CxZipFileSystem() override;

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

    int32_t  GetEntryCount() const { return entryCount_; }
    uint32_t GetArchiveStart() const { return ArchiveStart; }

    // One central-directory record, as read and checked at construction.
    struct Entry {
        const char* name;        // zero-terminated copy, "\" turned to "/"
        uint32_t nameLength;
        uint32_t externalAttributes;
        uint32_t localOffset;
        uint32_t crc;
        uint32_t compressedSize;
        uint32_t uncompressedSize;
        uint16_t versionMadeBy;
        uint16_t versionNeeded;
        uint16_t flags;
        uint16_t method;
        uint16_t time;
        uint16_t date;
    };
    const Entry* Lookup(const char* path) const;

protected:
    uint32_t ArchiveStart = 0;
    uint32_t EndRecordOffset = 0;
    uint32_t CentralDirSize = 0;
    uint32_t CentralDirOffset = 0;
    uint16_t CommentLength = 0;
    uint16_t EntriesOnDisk = 0;
    uint8_t* CentralDir = nullptr;
    CxFile Archive;

private:
    bool ReadDirectory(const char* path);
    bool FindEndRecord(uint32_t length);
    void ParseEntries();
    bool ReadAt(uint64_t offset, void* buffer, uint32_t count);
    uint64_t DataLimit(const Entry& entry) const;

    Entry* entries_ = nullptr;
    char* names_ = nullptr;
    uint32_t* sortedOffsets_ = nullptr;   // local-header offsets, ascending, to find each member's neighbour
    int32_t entryCount_ = 0;
    uint32_t archiveLength_ = 0;
    CxString archivePath_;

    friend struct CxZipMember;
};

// MS-DOS date and time of a zip entry as a date-time record.
void QorDosDateTime(uint16_t date, uint16_t time, QorDateTime* out);
