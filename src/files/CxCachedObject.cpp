#include "files/CxCachedObject.h"
#include "core/CxAppServices.h"
#include "core/CxTime.h"
#include "files/CxFile.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxMemory.h"
#include "foundation/Qorstr.h"

namespace {
// The swap cache: its objects, the use clock, and the threshold that
// decides which of them may be swapped out.
struct CacheState {
    CxLinkedList<CxCachedObject*>* cache = nullptr;
    uint32_t useCounter = 0xFFFFFFFFu;
    uint32_t threshold = 0xFFFFFFFFu;
    bool freeing = false;
};

CacheState& Cache()
{
    static CacheState state;
    return state;
}
constexpr int kMaxRounds = 64;   // the threshold reaches the counter in 32 halvings

void LowMemory(size_t wanted) { CxCachedObject::FreeMemory(wanted); }
}  // namespace

CxString QorSwapFolder()
{
    char folder[256] = {};
    if (CxAppServices* app = CxAppServices::Get()) app->GetAppOptions().GetString("Engine", "CacheDir", folder, "", sizeof folder);
    ReplaceChar(folder, '\\', '/');
    if (!folder[0]) QorFileGetTempPath(folder, sizeof folder);
    size_t length = TextLength(folder);
    if (length > 1 && folder[length - 1] == '/') folder[length - 1] = 0;
    return CxString(folder);
}

CxCachedObject::CxCachedObject(void** data, uint32_t* size) : Data(data), DataSize(size)
{
    if (!Cache().cache) {
        Cache().cache = new CxLinkedList<CxCachedObject*>;
        QorSetLowMemoryHandler(LowMemory);
    }
    Cache().cache->AddHead(this);
}

CxCachedObject::~CxCachedObject()
{
    if (!SwapFile.IsEmpty()) QorFileDelete(SwapFile);
    if (!Cache().cache) return;
    Cache().cache->Remove(this);
    if (Cache().cache->IsEmpty()) {
        QorSetLowMemoryHandler(nullptr);
        delete Cache().cache;
        Cache().cache = nullptr;
    }
}

int32_t CxCachedObject::GetLockCount() const
{
    // Bits 0 to 29 hold a signed count: an unbalanced unlock shows as negative.
    uint32_t count = Flags & kLockMask;
    return (count & 0x20000000u) ? int32_t(count | ~kLockMask) : int32_t(count);
}

void CxCachedObject::Lock()
{
    Flags = (Flags & ~kLockMask) | ((Flags + 1) & kLockMask);
    LastUse = --Cache().useCounter;
    if (!IsResident()) Restore();
}

void CxCachedObject::Unlock() { Flags = (Flags & ~kLockMask) | ((Flags - 1) & kLockMask); }

int CxCachedObject::Restore()
{
    if (SwapFile.IsEmpty()) return 0;
    if (!QorFileExists(SwapFile)) return ERR_FILE_NOT_FOUND;
    uint32_t size = DataSize ? *DataSize : 0;
    void* block = size ? QorAlloc(size, "CxCachedObject", __LINE__, false) : nullptr;
    if (size && !block) return ERR_OUT_OF_MEMORY;
    CxFile file;
    uint32_t got = 0;
    int code = file.Open(SwapFile, CBF_BINARY);
    if (!code && size) code = file.Read(block, size, &got);
    file.Close();
    if (!code && got != size) code = ERR_READ_FILE;
    if (code) {
        QorFree(block);
        return code;
    }
    *Data = block;
    QorFileDelete(SwapFile);
    SwapFile.Empty();
    Flags |= kResident;
    return 0;
}

int CxCachedObject::SwapOut()
{
    if (!Data || !*Data || !DataSize) return 0;
    CxString name;
    name.Format("%s%c%08lx_%08lx.tmp", QorSwapFolder().Text(), '/', static_cast<unsigned long>(QorTickCount()),
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(*Data) & 0xFFFFFFFFu));
    CxFile file;
    int code = file.Create(name, CBF_CREATE | CBF_BINARY);
    if (!code) code = file.Write(*Data, *DataSize);
    if (!code) code = file.Flush();
    file.Close();
    if (code) {
        QorFileDelete(name);
        return code;
    }
    SwapFile = name;
    return 0;
}

// Data goes only once its swap file is safely written.
void CxCachedObject::Evict()
{
    if (SwapOut() != 0) return;
    QorFree(*Data);
    *Data = nullptr;
    Flags &= ~kResident;
}

bool CxCachedObject::FreeMemory(size_t wanted)
{
    if (Cache().freeing || !Cache().cache) return false;
    Cache().freeing = true;
    bool freed = false;
    for (int round = 0; round < kMaxRounds && !freed; ++round) {
        Cache().threshold = Cache().useCounter + (Cache().threshold - Cache().useCounter) / 2;
        bool considered = false;
        for (auto* node = Cache().cache->GetHead(); node; node = node->next) {
            CxCachedObject* object = node->value;
            if (!object->IsResident() || object->GetLockCount() > 0) continue;
            considered = true;
            if (object->LastUse >= Cache().threshold) object->Evict();
        }
        if (!considered) break;
        void* trial = QorAlloc(wanted, "CxCachedObject", __LINE__, false);
        if (trial) {
            QorFree(trial);
            freed = true;
        }
    }
    Cache().freeing = false;
    return freed;
}

int CxCachedObject::GetCount() { return Cache().cache ? Cache().cache->GetCount() : 0; }
