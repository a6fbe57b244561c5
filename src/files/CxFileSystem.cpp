#include "files/CxFileSystem.h"
#include "files/CxDirectoryFileSystem.h"
#include "files/QorPath.h"
#include "foundation/Qorstr.h"

#include <cstring>

namespace {
CxLinkedList<CxFileSystem*>* gChain = nullptr;

bool SameName(const char* a, const char* b)
{
    char left[QOR_NAME_MAX + 1], right[QOR_NAME_MAX + 1];
    CopyText(left, a, sizeof left);
    CopyText(right, b, sizeof right);
    return QorNamesEqual(left, right);
}
}  // namespace

// ------------------------------------------------------------- the chain
CxFileSystem::CxFileSystem() { Link(); }

CxFileSystem::CxFileSystem(Unlinked) {}

// Priority 0 goes last, 0xFFFFFFFF first, anything else in front of the first
// file system of lower or equal priority: with everyone at 0x7FFFFFFF, the
// newest comes first.
void CxFileSystem::Link()
{
    if (!gChain) gChain = new CxLinkedList<CxFileSystem*>;
    linked_ = true;
    if (Priority == 0) { gChain->AddTail(this); return; }
    if (Priority == 0xFFFFFFFFu) { gChain->AddHead(this); return; }
    for (auto* node = gChain->GetHead(); node; node = node->next)
        if (node->value->Priority <= Priority) { gChain->InsertBefore(node, this); return; }
    gChain->AddTail(this);
}

// The derived destructors detach first, while their Close still runs; what
// is left here (a file system that did not) is orphaned without a close.
CxFileSystem::~CxFileSystem()
{
    QorDetachFileSystemHandles(this);
    if (!linked_ || !gChain) return;
    gChain->Remove(this);
    if (gChain->IsEmpty()) {
        delete gChain;
        gChain = nullptr;
    }
}

CxLinkedList<CxFileSystem*>* CxFileSystem::GetChain() { return gChain; }

void CxFileSystem::SetName(const char* name) { CopyText(Name, name ? name : "", sizeof Name); }

// ------------------------------------------------------------- resolution
CxFileSystem* CxFileSystem::FindByName(const char* name)
{
    if (!gChain || !name || !*name) return nullptr;
    for (auto* node = gChain->GetHead(); node; node = node->next)
        if (SameName(node->value->Name, name)) return node->value;
    return nullptr;
}

CxFileSystem* CxFileSystem::Resolve(const char* path, const char** rest)
{
    char name[64];
    const char* after = QorSplitPrefix(path, name, sizeof name);
    if (rest) *rest = after;
    return ResolveSplit(name, after);
}

CxFileSystem* CxFileSystem::ResolveSplit(const char* name, const char* after)
{
    // Before the application makes its default file system (and in programs
    // that never make one) paths reach the host as the default would take them.
    if (!gChain) return CxDirectoryFileSystem::HostStandIn();
    if (name && name[0]) {
        if (CxFileSystem* named = FindByName(name)) return named;
    }
    CxFileSystem* fallback = nullptr;
    for (auto* node = gChain->GetHead(); node; node = node->next) {
        CxFileSystem* fs = node->value;
        if (fs->BusyCount > 0) continue;
        if (!fallback) fallback = fs;
        if (fs->Exists(after) || fs->IsDirectory(after)) return fs;
    }
    return fallback;
}

// The name is cut out wherever it appears: a path that spells its own file
// system's name is still that file system's path.
char* CxFileSystem::GetFullPath(char* out, const char* path, size_t size)
{
    if (!out || size == 0) return out;
    if (out != path) CopyText(out, path ? path : "", size);
    if (Name[0]) {
        size_t length = strlen(Name);
        while (char* hit = strstr(out, Name)) memmove(hit, hit + length, strlen(hit + length) + 1);
    }
    return out;
}

int CxFileSystem::Flush(void*) { return 0; }

// ------------------------------------------------------------- listings
void QorFreeFileList(CxLinkedList<CxFileInfo*>* list)
{
    if (!list) return;
    while (!list->IsEmpty()) delete list->RemoveHead();
}

CxFindFile::~CxFindFile() { Clear(); }

void CxFindFile::Clear()
{
    QorFreeFileList(&list_);
    cursor_ = nullptr;
}

int CxFindFile::FindFiles(const char* folder, const char* pattern, uint32_t mask, int recurse)
{
    Clear();
    CxString full(folder ? folder : "");
    if (!full.IsEmpty() && full.LastChar() != '/') full.Append('/');
    full.Append(pattern ? pattern : "");
    errorCode_ = QorBuildFileList(&list_, full, mask, recurse);
    return errorCode_;
}

CxFileInfo* CxFindFile::First()
{
    cursor_ = list_.GetHead();
    return cursor_ ? cursor_->value : nullptr;
}

CxFileInfo* CxFindFile::Next()
{
    if (cursor_) cursor_ = cursor_->next;
    return cursor_ ? cursor_->value : nullptr;
}
