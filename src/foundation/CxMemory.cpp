#include "foundation/CxMemory.h"
#include "foundation/CxObject.h"
#include "platform/os/PlatformMutex.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

// A size header in front of every block lets the limit hook count bytes; it is
// a full granule so the block stays aligned for the largest scalar.
namespace {
constexpr size_t kHeader = 16;
// The allocator's counters, limit, low-memory procedure and its mutex.
struct MemoryState {
    std::atomic<size_t> inUse {0};
    std::atomic<size_t> limit {0};
    bool running = false;
    PlatMutex* mutex = nullptr;
    QorLowMemoryHandler lowMemory = nullptr;
};

MemoryState& Heap()
{
    static MemoryState state;
    return state;
}

size_t RoundUp(size_t size)
{
    return (size + QOR_ALLOC_GRANULARITY - 1) & ~(QOR_ALLOC_GRANULARITY - 1);
}

void* HeapTake(size_t size)
{
    size_t limit = Heap().limit.load();
    if (limit && Heap().inUse.load() + size > limit) return nullptr;
    if (size > SIZE_MAX - kHeader) return nullptr;
    auto* raw = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!raw) return nullptr;
    *reinterpret_cast<size_t*>(raw) = size;
    Heap().inUse += size;
    return raw + kHeader;
}

size_t BlockSize(void* block)
{
    return *reinterpret_cast<size_t*>(static_cast<unsigned char*>(block) - kHeader);
}

void RunLowMemoryProcedure(size_t size)
{
    if (!Heap().lowMemory) return;
    if (!Heap().mutex) { Heap().lowMemory(size + 1024); return; }
    if (!PlatMutexLock(Heap().mutex)) return;  // a lock we cannot take means no cache walk
    Heap().lowMemory(size + 1024);
    PlatMutexUnlock(Heap().mutex);
}
}  // namespace

void* QorAlloc(size_t size, const char* /*source*/, int /*line*/, bool zeroFill)
{
    size = RoundUp(size);
    void* block = HeapTake(size);
    if (!block) {
        RunLowMemoryProcedure(size);
        block = HeapTake(size);
        if (!block) return nullptr;
    }
    if (zeroFill) std::memset(block, 0, size);
    return block;
}

void* QorRealloc(void* block, size_t size, const char* source, int line)
{
    if (!block) return QorAlloc(size, source, line, false);
    size_t old = BlockSize(block);
    size_t limit = Heap().limit.load();
    if (limit && size > old && Heap().inUse.load() + (size - old) > limit) return nullptr;
    if (size > SIZE_MAX - kHeader) return nullptr;
    auto* raw = static_cast<unsigned char*>(std::realloc(static_cast<unsigned char*>(block) - kHeader, size + kHeader));
    if (!raw) return nullptr;
    *reinterpret_cast<size_t*>(raw) = size;
    Heap().inUse += size;
    Heap().inUse -= old;
    return raw + kHeader;
}

void QorFree(void* block)
{
    if (!block) return;
    Heap().inUse -= BlockSize(block);
    std::free(static_cast<unsigned char*>(block) - kHeader);
}

void QorMemStart()
{
    Heap().running = true;
    if (!Heap().mutex) Heap().mutex = PlatMutexCreate("QorMem");
}

void QorMemStop()
{
    PlatMutexDestroy(Heap().mutex);
    Heap().mutex = nullptr;
    Heap().running = false;
}

bool QorMemIsRunning() { return Heap().running; }
void QorSetLowMemoryHandler(QorLowMemoryHandler handler) { Heap().lowMemory = handler; }
void QorSetAllocationLimit(size_t limit) { Heap().limit = limit; }
size_t QorBytesInUse() { return Heap().inUse.load(); }

// Engine objects: a 0-byte request still yields a distinct block.  A refused
// allocation throws std::bad_alloc as `new` must; callers that build objects
// under memory pressure use the nothrow form through QorAlloc directly.
void* CxObject::operator new(size_t size)
{
    void* block = QorAlloc(size ? size : 1, "CxMemory", __LINE__, false);
    if (!block) throw std::bad_alloc();
    return block;
}
void CxObject::operator delete(void* block) noexcept { QorFree(block); }
void* CxObject::operator new[](size_t size) { return CxObject::operator new(size); }
void CxObject::operator delete[](void* block) noexcept { QorFree(block); }
