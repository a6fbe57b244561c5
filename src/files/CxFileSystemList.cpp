#include "files/CxFileSystemList.h"
#include "files/CxDirectoryFileSystem.h"
#include "files/CxDynamicFileSystem.h"
#include "files/CxZipFileSystem.h"
#include "files/QorPath.h"
#include "foundation/Qorstr.h"

namespace {
bool SameName(const char* a, const char* b)
{
    char left[QOR_NAME_MAX + 1], right[QOR_NAME_MAX + 1];
    CopyText(left, a, sizeof left);
    CopyText(right, b, sizeof right);
    return QorNamesEqual(left, right);
}
}  // namespace

CxFileSystem* CxFileSystemList::NewFileSystem(const char* name, const char* path, bool dynamic)
{
    if (!name || !path) return nullptr;
    CxFileSystem* fs;
    if (FindLast(path, ".zip", true)) {
        fs = new CxZipFileSystem(path, name);
    } else {
        char full[QOR_PATH_MAX + 1];
        QorFileGetFullPath(full, path, sizeof full);
        const char* stripped = QorSplitPrefix(path, nullptr, 0);
        if (dynamic && !TextEquals(full, stripped, true)) fs = new CxDynamicFileSystem(path, name);
        else fs = new CxDirectoryFileSystem(path, name);
    }
    list_.AddTail(fs);
    return fs;
}

CxFileSystem* CxFileSystemList::Find(const char* name) const
{
    if (!name) return nullptr;
    for (auto* node = list_.GetHead(); node; node = node->next)
        if (SameName(node->value->GetName(), name)) return node->value;
    return nullptr;
}

void CxFileSystemList::RemoveFileSystem(const char* name)
{
    CxFileSystem* fs = Find(name);
    if (!fs) return;
    list_.Remove(fs);
    delete fs;
}

void CxFileSystemList::RemoveAll()
{
    while (!list_.IsEmpty()) delete list_.RemoveHead();
}
