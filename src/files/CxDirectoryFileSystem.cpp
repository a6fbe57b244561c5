#include "files/CxDirectoryFileSystem.h"
#include "files/QorPath.h"
#include "foundation/Qorstr.h"
#include "platform/os/PlatformFile.h"
#include "platform/os/PlatformFind.h"

#include <cstring>
#include <new>

namespace {
constexpr int kMaxDepth = 32;   // a folder linked into itself must not recurse for ever

PlatFile* AsFile(void* handle) { return static_cast<PlatFile*>(handle); }

// The designed mode string, built as the flags dictate, and then read back as
// the host open mode it stands for.
int HostOpenMode(uint32_t flags)
{
    char mode[4] = "r+b";
    if (flags & CBF_READONLY) CopyText(mode, "rb", sizeof mode);
    if (flags & CBF_WRITE) ReplaceChar(mode, 'r', 'w');
    if (flags & CBF_CREATE) CopyText(mode, "w+b", sizeof mode);
    else if (flags & CBF_APPEND) ReplaceChar(mode, 'r', 'a');
    // CBF_TEXT would only swap "b" for "t": the host makes no difference.
    switch (mode[0]) {
    case 'w': return PLAT_OPEN_CREATE;
    case 'a': return PLAT_OPEN_WRITE | PLAT_OPEN_APPEND;
    default: return strchr(mode, '+') ? PLAT_OPEN_WRITE : PLAT_OPEN_READ;
    }
}
}  // namespace

uint32_t QorEngineAttributes(uint32_t host)
{
    if (host == PLAT_ATTR_MISSING) return 0;
    uint32_t bits = 0;
    if (host & PLAT_ATTR_READONLY) bits |= FILEATTR_READONLY;
    if (host & PLAT_ATTR_DIRECTORY) bits |= FILEATTR_DIRECTORY;
    if (host & PLAT_ATTR_SYSTEM) bits |= FILEATTR_SYSTEM;
    if (host & PLAT_ATTR_HIDDEN) bits |= FILEATTR_HIDDEN;
    if (host & PLAT_ATTR_ARCHIVE) bits |= FILEATTR_ARCHIVE;
    if (host & PLAT_ATTR_COMPRESSED) bits |= FILEATTR_COMPRESSED;
    return bits;
}

// ------------------------------------------------------------- lifetime
CxDirectoryFileSystem::CxDirectoryFileSystem() { SetName("<DEFAULT>"); }

CxDirectoryFileSystem::CxDirectoryFileSystem(Unlinked tag) : CxFileSystem(tag) { SetName("<DEFAULT>"); }

// Raising our own busy count keeps the chain from resolving the root to us.
CxDirectoryFileSystem::CxDirectoryFileSystem(const char* root, const char* name) : RootPath(root ? root : "")
{
    if (!RootPath.IsEmpty()) {
        char full[QOR_PATH_MAX + 1];
        RaiseBusy();
        QorFileGetFullPath(full, RootPath, sizeof full);
        LowerBusy();
        ResolvedRoot = full;
    }
    SetName(name);
}

CxDirectoryFileSystem* CxDirectoryFileSystem::HostStandIn()
{
    // Built in place and never destroyed: it must outlive every static object
    // that still touches files while the process ends.
    alignas(CxDirectoryFileSystem) static unsigned char storage[sizeof(CxDirectoryFileSystem)];
    static CxDirectoryFileSystem* standIn = new (storage) CxDirectoryFileSystem(Unlinked{});
    return standIn;
}

// ------------------------------------------------------------- host paths
bool CxDirectoryFileSystem::HostPath(const char* path, char* out, size_t size) const
{
    char joined[QOR_PATH_MAX * 2 + 2];
    const char* inside = path ? path : "";
    if (ResolvedRoot.IsEmpty()) {
        if (inside[0] == '/') {
            // From the current folder when the first part lives there.
            char first[QOR_PATH_MAX + 1], spelled[QOR_PATH_MAX + 1];
            CopyText(first, inside + 1, sizeof first);
            if (char* slash = strchr(first, '/')) *slash = 0;
            if (first[0] && PlatResolveCase(first, spelled, sizeof spelled) &&
                PlatGetAttributes(spelled) != PLAT_ATTR_MISSING)
                ++inside;
        }
        CopyText(joined, inside, sizeof joined);
    } else {
        CopyText(joined, ResolvedRoot, sizeof joined);
        size_t length = strlen(joined);
        if (length && joined[length - 1] != '/' && length + 1 < sizeof joined) {
            joined[length++] = '/';
            joined[length] = 0;
        }
        while (*inside == '/') ++inside;
        CopyText(joined + length, inside, sizeof joined - length);
    }
    ReplaceAll(joined, sizeof joined, "//", "/");
    if (strlen(joined) > QOR_PATH_MAX) return false;
    return PlatResolveCase(joined, out, size) && strlen(out) <= QOR_PATH_MAX;
}

#define HOST_OR(path, host, failure)                                 \
    char host[QOR_PATH_MAX + 1];                                     \
    if (!HostPath(path, host, sizeof host)) return (failure)

// ------------------------------------------------------------- handles
void* CxDirectoryFileSystem::Open(const char* path, uint32_t flags)
{
    HOST_OR(path, host, nullptr);
    return PlatFileOpen(host, HostOpenMode(flags));
}

void* CxDirectoryFileSystem::Create(const char* path, uint32_t flags) { return Open(path, flags | CBF_CREATE); }

int CxDirectoryFileSystem::Close(void* handle)
{
    if (!handle) return Error(ERR_INVALID_ARGUMENT);
    PlatFileClose(AsFile(handle));
    return 0;
}

int CxDirectoryFileSystem::Read(void* handle, void* buffer, uint32_t count, uint32_t* read)
{
    if (read) *read = 0;
    if (!handle || !buffer) return Error(ERR_INVALID_ARGUMENT);
    long got = PlatFileRead(AsFile(handle), buffer, count);
    if (got < 0) return ERR_READ_FILE;   // the host failed, which is more than a short read
    if (read) *read = uint32_t(got);
    return 0;
}

int CxDirectoryFileSystem::Write(void* handle, const void* buffer, uint32_t count)
{
    if (!handle || !buffer) return Error(ERR_INVALID_ARGUMENT);
    if (count == 0) return 0;
    if (PlatFileWrite(AsFile(handle), buffer, count) != long(count)) return Error(ERR_WRITE_FILE);
    return 0;
}

int CxDirectoryFileSystem::Seek(void* handle, int32_t offset, int origin)
{
    if (!handle || origin < 0 || origin > 2) return Error(ERR_INVALID_ARGUMENT);
    if (!PlatFileSeek(AsFile(handle), offset, origin)) return Error(ERR_SEEK_FILE);
    return 0;
}

int32_t CxDirectoryFileSystem::Tell(void* handle)
{
    int64_t at = handle ? PlatFileTell(AsFile(handle)) : -1;
    if (at < 0) {
        Error(ERR_SEEK_FILE);
        return 0;
    }
    return int32_t(at);
}

int32_t CxDirectoryFileSystem::GetHandleLength(void* handle)
{
    int64_t length = handle ? PlatFileHandleLength(AsFile(handle)) : -1;
    return length < 0 ? 0 : int32_t(length);
}

int CxDirectoryFileSystem::SetHandleLength(void* handle, int32_t length)
{
    if (!handle) return Error(ERR_INVALID_ARGUMENT);
    return PlatFileSetHandleLength(AsFile(handle), length) ? 0 : ERR_WRITE_FILE;
}

int CxDirectoryFileSystem::Flush(void* handle)
{
    if (!handle) return ERR_INVALID_ARGUMENT;
    return PlatFileFlush(AsFile(handle)) ? 0 : ERR_WRITE_FILE;
}

// ------------------------------------------------------------- paths
int32_t CxDirectoryFileSystem::GetLength(const char* path)
{
    void* handle = Open(path, CBF_BINARY | CBF_READONLY);
    if (!handle) return 0;
    int32_t length = GetHandleLength(handle);
    PlatFileClose(AsFile(handle));
    return length;
}

uint32_t CxDirectoryFileSystem::GetAttributes(const char* path)
{
    HOST_OR(path, host, PLAT_ATTR_MISSING);
    return PlatGetAttributes(host);
}

int CxDirectoryFileSystem::SetAttributes(const char* path, uint32_t attributes)
{
    HOST_OR(path, host, ERR_INVALID_PATH);
    PlatSetAttributes(host, attributes);
    return 0;
}

int CxDirectoryFileSystem::Exists(const char* path)
{
    void* handle = Open(path, CBF_BINARY | CBF_READONLY);
    if (!handle) return 0;
    PlatFileClose(AsFile(handle));
    return 1;
}

int CxDirectoryFileSystem::IsDirectory(const char* path)
{
    HOST_OR(path, host, 0);
    return PlatPathIsDirectory(host) ? 1 : 0;
}

int CxDirectoryFileSystem::MakeDirectory(const char* path)
{
    HOST_OR(path, host, ERR_INVALID_PATH);
    return PlatMakeDirectory(host) ? 0 : ERR_INVALID_PATH;
}

int CxDirectoryFileSystem::RemoveDirectory(const char* path)
{
    HOST_OR(path, host, ERR_INVALID_PATH);
    return PlatRemoveDirectory(host) ? 0 : ERR_INVALID_PATH;
}

int CxDirectoryFileSystem::Delete(const char* path)
{
    HOST_OR(path, host, ERR_DELETE_FILE);
    return PlatPathDelete(host) ? 0 : ERR_DELETE_FILE;
}

int CxDirectoryFileSystem::Rename(const char* oldPath, const char* newPath)
{
    HOST_OR(oldPath, from, ERR_UNKNOWN);
    HOST_OR(newPath, to, ERR_UNKNOWN);
    return PlatPathRename(from, to) ? 0 : ERR_UNKNOWN;
}

int CxDirectoryFileSystem::GetFileTime(const char*, QorDateTime*) { return errorCode_; }
int CxDirectoryFileSystem::SpareOperation() { return errorCode_; }

char* CxDirectoryFileSystem::GetFullPath(char* out, const char* path, size_t size)
{
    if (!out || size == 0) return out;
    char host[QOR_PATH_MAX + 1], full[QOR_PATH_MAX + 1];
    if (!HostPath(path, host, sizeof host) || !host[0]) return out;
    if (PlatFullPath(host, full, sizeof full)) CopyText(out, full, size);
    return out;
}

int CxDirectoryFileSystem::BuildFileList(CxLinkedList<CxFileInfo*>* list, const char* pattern, uint32_t mask,
                                         int recurse)
{
    OSFileFind finder(*this);
    return finder.Find(list, pattern, mask, recurse);
}

// ------------------------------------------------------------- enumeration
int OSFileFind::Find(CxLinkedList<CxFileInfo*>* list, const char* pattern, uint32_t mask, int recurse)
{
    if (!list || !pattern) return errorCode_ = ERR_INVALID_ARGUMENT;
    CxString text(pattern);
    int slash = text.ReverseFind('/');
    CxString folder = slash >= 0 ? text.Left(slash + 1) : CxString("");
    CxString names = slash >= 0 ? text.Mid(slash + 1) : text;
    if (names.IsEmpty()) names = "*";
    return Walk(list, folder, names, mask, recurse, 0);
}

int OSFileFind::Walk(CxLinkedList<CxFileInfo*>* list, const char* folder, const char* pattern, uint32_t mask,
                     int recurse, int depth)
{
    char host[QOR_PATH_MAX + 1];
    if (!owner_.HostPath(folder, host, sizeof host)) return errorCode_ = ERR_INVALID_PATH;
    if (!host[0]) CopyText(host, ".", sizeof host);
    PlatDir* dir = PlatDirOpen(host);
    if (!dir) return errorCode_;   // a missing folder lists nothing
    uint32_t want = mask & 0x3F;
    PlatDirEntry entry;
    while (PlatDirNext(dir, &entry)) {
        if (strcmp(entry.name, ".") == 0) continue;
        uint32_t bits = QorEngineAttributes(entry.attributes);
        bool isDir = (bits & FILEATTR_DIRECTORY) != 0;
        bool listed = (MatchWildcards(pattern, entry.name) && (bits & want) == want) ||
                      (isDir && (mask & FILEATTR_ALLDIRS));
        CxString path(folder);
        path.Append(entry.name);
        if (listed) {
            auto* info = new CxFileInfo;
            info->Path = path;
            info->Name = entry.name;
            info->Attributes = bits;
            info->Size = uint32_t(entry.size);
            std::memcpy(&info->ModifiedTime, &entry.modified, sizeof info->ModifiedTime);
            list->AddTail(info);
        }
        if (recurse && isDir && strcmp(entry.name, "..") != 0 && depth < kMaxDepth) {
            path.Append('/');
            Walk(list, path, pattern, mask, recurse, depth + 1);
            if (errorCode_) break;
        }
    }
    PlatDirClose(dir);
    return errorCode_;
}
