// The engine's one allocation routine.  Every container, every string buffer
// and every engine object gets its memory here, so a low-memory procedure and
// a test-settable limit cover the whole engine at once.
#pragma once
#include <cstddef>

constexpr size_t QOR_ALLOC_GRANULARITY = 8;

void* QorAlloc(size_t size, const char* source, int line, bool zeroFill);
void* QorRealloc(void* block, size_t size, const char* source, int line);
void  QorFree(void* block);

void QorMemStart();
void QorMemStop();
bool QorMemIsRunning();

// Called when the heap refuses a block: asked to free cached objects until a
// block of `bytesWanted` can be had.  The object cache installs one.
using QorLowMemoryHandler = void (*)(size_t bytesWanted);
void QorSetLowMemoryHandler(QorLowMemoryHandler handler);

// Test hook: refuse any request that would take the bytes handed out past
// `limit` (0 = no limit), so out-of-memory paths can be exercised.
void   QorSetAllocationLimit(size_t limit);
size_t QorBytesInUse();

#define QOR_ALLOC(size, source) QorAlloc((size), (source), __LINE__, true)
