// The arena a file's data lives in: a chain of host blocks, bumped through
// and released together, so freeing a file is one walk.
#include "platform/model/ModelInternal.h"

struct alignas(16) MdlArenaBlock {
    MdlArenaBlock* next;
};

static const size_t kBlockSize = 64 * 1024;

static size_t RoundUp16(size_t size) { return (size + 15) & ~size_t(15); }

static bool AddBlock(MdlArena* arena, size_t atLeast)
{
    size_t capacity = atLeast > kBlockSize ? atLeast : kBlockSize;
    if (capacity > SIZE_MAX - sizeof(MdlArenaBlock)) return false;
    void* memory = MDL_ALLOCATE(sizeof(MdlArenaBlock) + capacity);
    if (!memory) return false;
    MdlArenaBlock* block = static_cast<MdlArenaBlock*>(memory);
    block->next = arena->blocks;
    arena->blocks = block;
    arena->used = 0;
    arena->capacity = capacity;
    return true;
}

void* MdlArenaAllocate(MdlArena* arena, size_t size)
{
    if (size > SIZE_MAX / 2) return nullptr;
    size = RoundUp16(size ? size : 1);
    if (!arena->blocks || arena->capacity - arena->used < size) {
        if (!AddBlock(arena, size)) return nullptr;
    }
    char* start = reinterpret_cast<char*>(arena->blocks + 1) + arena->used;
    arena->used += size;
    memset(start, 0, size);
    return start;
}

void MdlArenaRelease(MdlArena* arena)
{
    MdlArenaBlock* block = arena->blocks;
    while (block) {
        MdlArenaBlock* next = block->next;
        MDL_RELEASE(block);
        block = next;
    }
    *arena = MdlArena{};
}

const char* MdlArenaString(MdlArena* arena, const char* text)
{
    size_t length = strlen(text);
    char* copy = static_cast<char*>(MdlArenaAllocate(arena, length + 1));
    if (copy) memcpy(copy, text, length + 1);
    return copy;
}
