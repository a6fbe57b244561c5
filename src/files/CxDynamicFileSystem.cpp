#include "files/CxDynamicFileSystem.h"
#include "foundation/Qorstr.h"

namespace {
QorFileHandle* AsHandle(void* handle) { return static_cast<QorFileHandle*>(handle); }

// Our busy count is up for the length of one forwarded call, so that the
// chain never hands the joined path straight back to us.
class BusyScope {
public:
    explicit BusyScope(CxFileSystem& fs) : fs_(fs) { fs_.RaiseBusy(); }
    ~BusyScope() { fs_.LowerBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    CxFileSystem& fs_;
};
}  // namespace

CxDynamicFileSystem::CxDynamicFileSystem(const char* basePath, const char* name) : BasePath(basePath ? basePath : "")
{
    SetName(name);
}

CxString CxDynamicFileSystem::Join(const char* path) const
{
    CxString joined(BasePath);
    if (!joined.IsEmpty() && joined.LastChar() != '/') joined.Append('/');
    while (path && *path == '/') ++path;
    joined.Append(path ? path : "");
    joined.Replace("//", "/");
    return joined;
}

int CxDynamicFileSystem::BuildFileList(CxLinkedList<CxFileInfo*>* list, const char* pattern, uint32_t mask,
                                       int recurse)
{
    if (!list) return ERR_INVALID_ARGUMENT;
    BusyScope busy(*this);
    auto* last = list->GetTail();
    int code = QorBuildFileList(list, Join(pattern), mask, recurse);
    // The entries come back under the base path; callers know them under ours.
    CxString base = Join("");
    for (auto* node = last ? last->next : list->GetHead(); node; node = node->next) {
        CxString& path = node->value->Path;
        if (path.GetLength() >= base.GetLength() && path.Left(base.GetLength()).CompareNoCase(base) == 0)
            path = path.Mid(base.GetLength());
    }
    return code;
}

int CxDynamicFileSystem::MakeDirectory(const char* path)
{
    BusyScope busy(*this);
    const char* rest = nullptr;
    CxString joined = Join(path);
    CxFileSystem* fs = CxFileSystem::Resolve(joined, &rest);
    return fs ? fs->MakeDirectory(rest) : ERR_INVALID_PATH;
}

int CxDynamicFileSystem::RemoveDirectory(const char* path)
{
    BusyScope busy(*this);
    const char* rest = nullptr;
    CxString joined = Join(path);
    CxFileSystem* fs = CxFileSystem::Resolve(joined, &rest);
    return fs ? fs->RemoveDirectory(rest) : ERR_INVALID_PATH;
}

int CxDynamicFileSystem::IsDirectory(const char* path)
{
    BusyScope busy(*this);
    return QorFileIsDirectory(Join(path));
}

void* CxDynamicFileSystem::Open(const char* path, uint32_t flags)
{
    BusyScope busy(*this);
    return QorFileOpen(Join(path), flags);
}

void* CxDynamicFileSystem::Create(const char* path, uint32_t flags)
{
    BusyScope busy(*this);
    return QorFileOpen(Join(path), flags | CBF_CREATE);
}

int CxDynamicFileSystem::Close(void* handle) { return QorFileClose(AsHandle(handle)); }

int CxDynamicFileSystem::Read(void* handle, void* buffer, uint32_t count, uint32_t* read)
{
    return QorFileRead(AsHandle(handle), buffer, count, read);
}

int CxDynamicFileSystem::Write(void* handle, const void* buffer, uint32_t count)
{
    return QorFileWrite(AsHandle(handle), buffer, count);
}

int CxDynamicFileSystem::Seek(void* handle, int32_t offset, int origin)
{
    return QorFileSeek(AsHandle(handle), offset, origin);
}

int32_t CxDynamicFileSystem::Tell(void* handle) { return QorFileTell(AsHandle(handle)); }
int32_t CxDynamicFileSystem::GetHandleLength(void* handle) { return QorFileGetHandleLength(AsHandle(handle)); }

int CxDynamicFileSystem::SetHandleLength(void* handle, int32_t length)
{
    return QorFileSetHandleLength(AsHandle(handle), length);
}

int CxDynamicFileSystem::Flush(void* handle) { return QorFileFlush(AsHandle(handle)); }

int32_t CxDynamicFileSystem::GetLength(const char* path)
{
    QorFileHandle* handle = static_cast<QorFileHandle*>(Open(path, CBF_BINARY | CBF_READONLY));
    if (!handle) return 0;
    int32_t length = QorFileGetHandleLength(handle);
    QorFileClose(handle);
    return length;
}

uint32_t CxDynamicFileSystem::GetAttributes(const char* path)
{
    BusyScope busy(*this);
    return QorFileGetAttributes(Join(path));
}

int CxDynamicFileSystem::SetAttributes(const char* path, uint32_t attributes)
{
    BusyScope busy(*this);
    return QorFileSetAttributes(Join(path), attributes);
}

int CxDynamicFileSystem::Exists(const char* path)
{
    BusyScope busy(*this);
    return QorFileExists(Join(path));
}

int CxDynamicFileSystem::Delete(const char* path)
{
    BusyScope busy(*this);
    return QorFileDelete(Join(path));
}

int CxDynamicFileSystem::Rename(const char* oldPath, const char* newPath)
{
    BusyScope busy(*this);
    return QorFileRename(Join(oldPath), Join(newPath));
}

int CxDynamicFileSystem::GetFileTime(const char*, QorDateTime*) { return errorCode_; }
int CxDynamicFileSystem::SpareOperation() { return errorCode_; }

char* CxDynamicFileSystem::GetFullPath(char* out, const char* path, size_t size)
{
    BusyScope busy(*this);
    return QorFileGetFullPath(out, Join(path), size);
}
