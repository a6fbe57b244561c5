#include "files/CxZipFileSystem.h"
#include "files/QorPath.h"
#include "foundation/CxMemory.h"
#include "foundation/Qorstr.h"

#include <cstring>
#include <zlib.h>

namespace {
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kEndRecordSize = 22;
constexpr uint32_t kCentralHeaderSize = 46;
constexpr uint32_t kLocalHeaderSize = 30;
constexpr uint32_t kInputSize = 0x4000;
constexpr uint32_t kMaxNameLength = 255;
// Deflate cannot expand a byte into more than 1032; anything beyond that
// (plus a little for tiny streams) is a lie told to make us allocate.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint64_t kTinyStreamSlack = 1024;

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

voidpf ZipAlloc(voidpf, uInt items, uInt size)
{
    return QorAlloc(size_t(items) * size, "CxZipFileSystem", __LINE__, false);
}
void ZipFree(voidpf, voidpf block) { QorFree(block); }

uint32_t DosAttributes(uint32_t external)
{
    uint32_t dos = external & 0xFF, bits = 0;
    if (dos & 0x01) bits |= FILEATTR_READONLY;
    if (dos & 0x02) bits |= FILEATTR_HIDDEN;
    if (dos & 0x04) bits |= FILEATTR_SYSTEM;
    if (dos & 0x10) bits |= FILEATTR_DIRECTORY;
    if (dos & 0x20) bits |= FILEATTR_ARCHIVE;
    return bits;
}

const char* SkipSlashes(const char* path)
{
    while (path && *path == '/') ++path;
    return path ? path : "";
}
}  // namespace

// What Open hands out: one member being read.
struct CxZipMember {
    uint32_t Length;
    uint32_t ExpectedCrc;
    uint32_t RunningCrc;
    uint16_t Method;
    uint32_t ReadPosition;
    uint32_t CompressedLeft;
    uint32_t UncompressedLeft;
    uint8_t* InputBuffer;
    z_stream Stream;
    bool InflateReady;
    bool Ended;      // inflate reported the end of the stream
    int Failure;     // the error that stopped this member, 0 while sound
    const CxZipFileSystem::Entry* entry;
};

void QorDosDateTime(uint16_t date, uint16_t time, QorDateTime* out)
{
    if (!out) return;
    memset(out, 0, sizeof *out);
    out->year = uint16_t((date >> 9) + 1980);
    out->month = uint16_t((date >> 5) & 15);
    out->day = uint16_t(date & 31);
    out->hour = uint16_t(time >> 11);
    out->minute = uint16_t((time >> 5) & 63);
    out->second = uint16_t((time & 31) * 2);
}

// ------------------------------------------------------------- construction
CxZipFileSystem::CxZipFileSystem(const char* path, const char* name) : archivePath_(path ? path : "")
{
    RaiseBusy();   // the archive's own path must never resolve to us
    char full[QOR_PATH_MAX + 1];
    QorFileGetFullPath(full, archivePath_, sizeof full);
    const char* open = QorFileExists(full) ? full : archivePath_.Text();
    if (path && Archive.Open(open, CBF_BINARY | CBF_READONLY) == 0) ReadDirectory(open);
    LowerBusy();
    SetName(name);
}

CxZipFileSystem::~CxZipFileSystem()
{
    QorDetachFileSystemHandles(this);
    QorFree(CentralDir);
    QorFree(entries_);
    QorFree(names_);
    QorFree(sortedOffsets_);
    Archive.Close();
}

bool CxZipFileSystem::ReadAt(uint64_t offset, void* buffer, uint32_t count)
{
    if (offset + count > archiveLength_) return false;
    if (Archive.Seek(int32_t(offset), 0) != 0) return false;
    uint32_t got = 0;
    return Archive.Read(buffer, count, &got) == 0 && got == count;
}

// The end record is searched backwards in windows of 1028 bytes that overlap
// by 4, over at most the last 65535 bytes.
bool CxZipFileSystem::FindEndRecord(uint32_t length)
{
    uint32_t most = length < 0xFFFF ? length : 0xFFFF;
    if (most <= 4) return false;
    uint8_t window[1028];
    for (uint32_t back = 4; back < most;) {
        back = back + 1024 < most ? back + 1024 : most;
        uint32_t position = length - back;
        uint32_t count = back < sizeof window ? back : uint32_t(sizeof window);
        if (!ReadAt(position, window, count)) return false;
        for (int32_t i = int32_t(count) - 4; i >= 0; --i) {
            if (Get32(window + i) != kEndSignature) continue;
            uint32_t at = position + uint32_t(i);
            if (at == 0 || uint64_t(at) + kEndRecordSize > length) continue;
            EndRecordOffset = at;
            return true;
        }
    }
    return false;
}

bool CxZipFileSystem::ReadDirectory(const char* path)
{
    int32_t length = Archive.GetLength();
    archiveLength_ = length > 0 ? uint32_t(length) : 0;
    uint8_t record[kEndRecordSize];
    if (!FindEndRecord(archiveLength_) || !ReadAt(EndRecordOffset, record, sizeof record)) {
        Error(ERR_INVALID_FILE_TYPE, "%s is not a Zip file", path);
        return false;
    }
    EntriesOnDisk = Get16(record + 8);
    CentralDirSize = Get32(record + 12);
    CentralDirOffset = Get32(record + 16);
    CommentLength = Get16(record + 20);
    if (uint64_t(CentralDirSize) + CentralDirOffset > EndRecordOffset) {
        Error(ERR_INVALID_FILE_TYPE, "%s: the central directory lies outside the Zip file", path);
        return false;
    }
    ArchiveStart = EndRecordOffset - CentralDirSize - CentralDirOffset;
    if (CentralDirSize == 0) return true;
    CentralDir = static_cast<uint8_t*>(QorAlloc(CentralDirSize, "CxZipFileSystem", __LINE__, false));
    if (!CentralDir) {
        Error(ERR_OUT_OF_MEMORY);
        return false;
    }
    if (!ReadAt(uint64_t(ArchiveStart) + CentralDirOffset, CentralDir, CentralDirSize)) {
        QorFree(CentralDir);
        CentralDir = nullptr;
        Error(ERR_INVALID_FILE_TYPE, "%s: the central directory cannot be read", path);
        return false;
    }
    ParseEntries();
    return true;
}

// Records are taken while their signature holds and they lie whole inside the
// directory; the first that does not ends it.
void CxZipFileSystem::ParseEntries()
{
    uint32_t count = 0, nameBytes = 0;
    for (uint32_t at = 0; uint64_t(at) + kCentralHeaderSize <= CentralDirSize;) {
        const uint8_t* p = CentralDir + at;
        if (Get32(p) != kCentralSignature) break;
        uint64_t next = uint64_t(at) + kCentralHeaderSize + Get16(p + 28) + Get16(p + 30) + Get16(p + 32);
        if (next > CentralDirSize) break;
        ++count;
        nameBytes += Get16(p + 28) + 1u;
        at = uint32_t(next);
    }
    if (!count) return;
    entries_ = static_cast<Entry*>(QorAlloc(sizeof(Entry) * count, "CxZipFileSystem", __LINE__, true));
    names_ = static_cast<char*>(QorAlloc(nameBytes, "CxZipFileSystem", __LINE__, false));
    sortedOffsets_ = static_cast<uint32_t*>(QorAlloc(sizeof(uint32_t) * count, "CxZipFileSystem", __LINE__, false));
    if (!entries_ || !names_ || !sortedOffsets_) {
        Error(ERR_OUT_OF_MEMORY);
        return;
    }
    char* name = names_;
    for (uint32_t at = 0, i = 0; i < count; ++i) {
        const uint8_t* p = CentralDir + at;
        Entry& e = entries_[i];
        e.versionMadeBy = Get16(p + 4);
        e.versionNeeded = Get16(p + 6);
        e.flags = Get16(p + 8);
        e.method = Get16(p + 10);
        e.time = Get16(p + 12);
        e.date = Get16(p + 14);
        e.crc = Get32(p + 16);
        e.compressedSize = Get32(p + 20);
        e.uncompressedSize = Get32(p + 24);
        e.nameLength = Get16(p + 28);
        e.externalAttributes = Get32(p + 38);
        e.localOffset = Get32(p + 42);
        memcpy(name, p + kCentralHeaderSize, e.nameLength);
        name[e.nameLength] = 0;
        ReplaceChar(name, '\\', '/');
        e.name = name;
        name += e.nameLength + 1;
        sortedOffsets_[i] = e.localOffset;
        at += kCentralHeaderSize + e.nameLength + Get16(p + 30) + Get16(p + 32);
    }
    entryCount_ = int32_t(count);
    // Insertion sort: archives list members in offset order, so this is linear.
    for (uint32_t i = 1; i < count; ++i) {
        uint32_t value = sortedOffsets_[i], j = i;
        for (; j > 0 && sortedOffsets_[j - 1] > value; --j) sortedOffsets_[j] = sortedOffsets_[j - 1];
        sortedOffsets_[j] = value;
    }
}

// The end of the space a member may use: the next member's local header, or
// the central directory.  0 when another member starts at the same offset.
uint64_t CxZipFileSystem::DataLimit(const Entry& entry) const
{
    uint32_t lo = 0, hi = uint32_t(entryCount_);
    while (lo < hi) {
        uint32_t mid = (lo + hi) / 2;
        if (sortedOffsets_[mid] <= entry.localOffset) lo = mid + 1;
        else hi = mid;
    }
    if (lo >= 2 && sortedOffsets_[lo - 2] == entry.localOffset) return 0;
    uint32_t end = lo < uint32_t(entryCount_) ? sortedOffsets_[lo] : CentralDirOffset;
    if (end > CentralDirOffset) end = CentralDirOffset;
    return uint64_t(ArchiveStart) + end;
}

// ------------------------------------------------------------- lookups
// An exact spelling wins; otherwise the first name equal without regard to case.
const CxZipFileSystem::Entry* CxZipFileSystem::Lookup(const char* path) const
{
    const char* want = SkipSlashes(path);
    if (!*want) return nullptr;
    const Entry* caseless = nullptr;
    for (int32_t i = 0; i < entryCount_; ++i) {
        const Entry& e = entries_[i];
        if (e.nameLength == 0 || e.nameLength > kMaxNameLength) continue;
        if (strcmp(e.name, want) == 0) return &e;
        if (!caseless && QorNamesEqual(e.name, want)) caseless = &e;
    }
    return caseless;
}

int CxZipFileSystem::Exists(const char* path) { return Lookup(path) ? 1 : 0; }

int32_t CxZipFileSystem::GetLength(const char* path)
{
    const Entry* e = Lookup(path);
    return e && e->uncompressedSize <= 0x7FFFFFFFu ? int32_t(e->uncompressedSize) : 0;
}

uint32_t CxZipFileSystem::GetAttributes(const char* path)
{
    const Entry* e = Lookup(path);
    return e ? DosAttributes(e->externalAttributes) : 0;
}

int CxZipFileSystem::GetFileTime(const char* path, QorDateTime* out)
{
    const Entry* e = Lookup(path);
    if (!e) {
        Error(ERR_FILE_NOT_FOUND, "File not found");
        return 0;
    }
    QorDosDateTime(e->date, e->time, out);
    return 0;
}

int CxZipFileSystem::IsDirectory(const char* path)
{
    CxString query(SkipSlashes(path));
    if (query.IsEmpty()) return 0;
    if (query.LastChar() != '/') query.Append('/');
    for (int32_t i = 0; i < entryCount_; ++i) {
        const Entry& e = entries_[i];
        if (e.nameLength == 0) continue;
        CxString name(e.name);
        if ((e.externalAttributes & 0x10) && name.LastChar() != '/') name.Append('/');
        if (name.GetLength() >= query.GetLength() && name.Left(query.GetLength()).CompareNoCase(query) == 0) return 1;
    }
    return 0;
}

int CxZipFileSystem::BuildFileList(CxLinkedList<CxFileInfo*>* list, const char* pattern, uint32_t mask, int)
{
    if (!list) return 0;
    const char* match = SkipSlashes(pattern);
    for (int32_t i = 0; i < entryCount_; ++i) {
        const Entry& e = entries_[i];
        if (e.nameLength == 0) continue;
        CxString name(e.name);
        if (name.LastChar() == '/') name.DeleteLast(1);
        uint32_t bits = (e.versionMadeBy >> 8) == 0 ? DosAttributes(e.externalAttributes) : 0;
        bool isDir = (bits & FILEATTR_DIRECTORY) != 0;
        bool listed = (MatchWildcards(match, name) &&
                       ((!isDir && (mask & 0x3F) == 0) || (bits & mask & 0x3F) == bits)) ||
                      (isDir && (mask & FILEATTR_ALLDIRS));
        if (!listed) continue;
        auto* info = new CxFileInfo;
        info->Path = name;
        int slash = name.ReverseFind('/');
        info->Name = slash >= 0 ? name.Mid(slash + 1) : name;
        info->Attributes = bits;
        info->Size = e.uncompressedSize;
        QorDosDateTime(e.date, e.time, &info->ModifiedTime);
        list->AddTail(info);
    }
    return 0;
}

// ------------------------------------------------------------- members
void* CxZipFileSystem::Open(const char* path, uint32_t flags)
{
    if (flags != (CBF_BINARY | CBF_READONLY)) {
        Error(ERR_INVALID_ARGUMENT, "Can only open Zip file with (CBF_BINARY | CBF_READONLY)");
        return nullptr;
    }
    const Entry* e = Lookup(path);
    if (!e) {
        Error(ERR_FILE_NOT_FOUND, "%s not found in this Zip file", path);
        return nullptr;
    }
    if (e->method != 0 && e->method != 8) {
        Error(ERR_UNKNOWN, "Incompatible Zip compression format. We only support methods 0 (store), and 8 (deflate)");
        return nullptr;
    }
    if (e->flags & 1) {
        Error(ERR_UNKNOWN, "%s is encrypted in %s", path, archivePath_.Text());
        return nullptr;
    }

    uint8_t local[kLocalHeaderSize];
    uint64_t header = uint64_t(ArchiveStart) + e->localOffset;
    if (!ReadAt(header, local, sizeof local) || Get32(local) != kLocalSignature) {
        Error(ERR_READ_FILE, "%s has no valid local header in %s", path, archivePath_.Text());
        return nullptr;
    }
    uint64_t data = header + kLocalHeaderSize + Get16(local + 26) + Get16(local + 28);
    uint64_t limit = DataLimit(*e);
    if (limit == 0 || data + e->compressedSize > limit) {
        Error(ERR_READ_FILE, "%s overlaps other data in %s", path, archivePath_.Text());
        return nullptr;
    }
    bool possible = e->uncompressedSize <= 0x7FFFFFFFu &&
                    (e->method == 0 ? e->compressedSize == e->uncompressedSize
                                    : e->uncompressedSize <= e->compressedSize * kMaxDeflateRatio + kTinyStreamSlack);
    if (!possible) {
        Error(ERR_READ_FILE, "%s declares %u bytes from %u stored in %s", path, e->uncompressedSize,
                     e->compressedSize, archivePath_.Text());
        return nullptr;
    }

    auto* member = static_cast<CxZipMember*>(QorAlloc(sizeof(CxZipMember), "CxZipFileSystem", __LINE__, true));
    uint8_t* input = member ? static_cast<uint8_t*>(QorAlloc(kInputSize, "CxZipFileSystem", __LINE__, false)) : nullptr;
    if (!input) {
        QorFree(member);
        Error(ERR_OUT_OF_MEMORY);
        return nullptr;
    }
    member->Length = member->UncompressedLeft = e->uncompressedSize;
    member->ExpectedCrc = e->crc;
    member->Method = e->method;
    member->ReadPosition = uint32_t(data);
    member->CompressedLeft = e->compressedSize;
    member->InputBuffer = input;
    member->entry = e;
    if (e->method == 8) {
        member->Stream.zalloc = ZipAlloc;
        member->Stream.zfree = ZipFree;
        if (inflateInit2(&member->Stream, -MAX_WBITS) != Z_OK) {
            QorFree(input);
            QorFree(member);
            Error(ERR_OUT_OF_MEMORY);
            return nullptr;
        }
        member->InflateReady = true;
    }
    return member;
}

void* CxZipFileSystem::Create(const char*, uint32_t) { return nullptr; }

int CxZipFileSystem::Close(void* handle)
{
    auto* m = static_cast<CxZipMember*>(handle);
    if (!m) return 0;
    int code = m->Failure;
    if (!code && m->UncompressedLeft == 0 && m->RunningCrc != m->ExpectedCrc) code = ERR_CRC;
    if (m->InflateReady) inflateEnd(&m->Stream);
    QorFree(m->InputBuffer);
    QorFree(m);
    return code;
}

int CxZipFileSystem::Read(void* handle, void* buffer, uint32_t count, uint32_t* read)
{
    if (read) *read = 0;
    auto* m = static_cast<CxZipMember*>(handle);
    if (!m || !buffer) return ERR_INVALID_ARGUMENT;
    if (m->Failure) return m->Failure;
    const char* name = m->entry->name;
    auto fail = [&](int code, const char* why) {
        m->Failure = code;
        Error(code, "%s in %s: %s", name, archivePath_.Text(), why);
        return code;
    };
    auto fetch = [&]() {
        uint32_t take = m->CompressedLeft < kInputSize ? m->CompressedLeft : kInputSize;
        if (!ReadAt(m->ReadPosition, m->InputBuffer, take)) return false;
        m->ReadPosition += take;
        m->CompressedLeft -= take;
        m->Stream.next_in = m->InputBuffer;
        m->Stream.avail_in = take;
        return true;
    };

    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t want = count < m->UncompressedLeft ? count : m->UncompressedLeft, delivered = 0;
    while (want > 0) {
        uint32_t produced;
        if (m->Method == 0 && m->Stream.avail_in == 0 && want >= kInputSize) {
            // Large stored reads skip the input buffer: one copy fewer.
            if (!ReadAt(m->ReadPosition, out + delivered, want)) return fail(ERR_READ_FILE, "the archive is cut short");
            produced = want;
            m->ReadPosition += want;
            m->CompressedLeft -= want;
            m->Stream.total_out += want;
            m->RunningCrc = uint32_t(crc32(m->RunningCrc, out + delivered, produced));
            delivered += produced;
            want = 0;
            m->UncompressedLeft -= produced;
            break;
        }
        if (m->Stream.avail_in == 0 && m->CompressedLeft > 0 && !fetch()) return fail(ERR_READ_FILE, "the archive is cut short");
        if (m->Method == 8) {
            m->Stream.next_out = out + delivered;
            m->Stream.avail_out = want;
            int result = inflate(&m->Stream, Z_SYNC_FLUSH);
            produced = want - m->Stream.avail_out;
            if (result == Z_STREAM_END) m->Ended = true;
            else if (result == Z_BUF_ERROR && m->Stream.avail_in == 0 && m->CompressedLeft > 0) result = Z_OK;
            if (result != Z_OK && result != Z_STREAM_END) {
                if (read) *read = delivered + produced;
                return fail(ERR_READ_FILE, m->Stream.avail_in == 0 && m->CompressedLeft == 0
                                               ? "the compressed data ends early" : "the compressed data is corrupt");
            }
        } else {
            if (m->Stream.avail_in == 0) return fail(ERR_READ_FILE, "the stored data ends early");
            produced = want < m->Stream.avail_in ? want : m->Stream.avail_in;
            memcpy(out + delivered, m->Stream.next_in, produced);
            m->Stream.next_in += produced;
            m->Stream.avail_in -= produced;
            m->Stream.total_out += produced;
        }
        m->RunningCrc = uint32_t(crc32(m->RunningCrc, out + delivered, produced));
        delivered += produced;
        want -= produced;
        m->UncompressedLeft -= produced;
        if (m->Ended && m->UncompressedLeft > 0) {
            if (read) *read = delivered;
            return fail(ERR_READ_FILE, "the member is shorter than its declared size");
        }
    }
    if (read) *read = delivered;
    if (m->UncompressedLeft == 0 && delivered > 0) {
        // The last byte is out: the stream must end here and the bytes agree.
        if (m->Method == 8 && !m->Ended) {
            uint8_t extra;
            for (;;) {
                if (m->Stream.avail_in == 0 && m->CompressedLeft > 0 && !fetch()) return fail(ERR_READ_FILE, "the archive is cut short");
                m->Stream.next_out = &extra;
                m->Stream.avail_out = 1;
                int result = inflate(&m->Stream, Z_SYNC_FLUSH);
                if (m->Stream.avail_out == 0) return fail(ERR_READ_FILE, "the member is longer than its declared size");
                if (result == Z_STREAM_END) break;
                if (result == Z_OK || (result == Z_BUF_ERROR && m->Stream.avail_in == 0 && m->CompressedLeft > 0)) continue;
                return fail(ERR_READ_FILE, "the compressed data does not end where it should");
            }
            m->Ended = true;
        }
        if (m->RunningCrc != m->ExpectedCrc) return fail(ERR_CRC, "CRC failure");
    }
    return 0;
}

int32_t CxZipFileSystem::Tell(void* handle)
{
    auto* m = static_cast<CxZipMember*>(handle);
    return m ? int32_t(m->Stream.total_out) : 0;
}

int32_t CxZipFileSystem::GetHandleLength(void* handle)
{
    auto* m = static_cast<CxZipMember*>(handle);
    return m ? int32_t(m->Length) : 0;
}

// ------------------------------------------------------------- read only
int CxZipFileSystem::MakeDirectory(const char*) { return ERR_UNKNOWN; }
int CxZipFileSystem::RemoveDirectory(const char*) { return ERR_UNKNOWN; }
int CxZipFileSystem::Write(void*, const void*, uint32_t) { return 0; }
int CxZipFileSystem::Seek(void*, int32_t, int) { return 0; }
int CxZipFileSystem::SetHandleLength(void*, int32_t) { return 0; }
int CxZipFileSystem::SetAttributes(const char*, uint32_t) { return 0; }
int CxZipFileSystem::Delete(const char*) { return 0; }
int CxZipFileSystem::Rename(const char*, const char*) { return 0; }
int CxZipFileSystem::SpareOperation() { return 0; }
