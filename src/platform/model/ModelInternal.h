// Runtime-private helpers: host allocation with the caller's source tag,
// the arena that holds a file's data, and name comparison.
#pragma once
#include <cstring>
#include <new>

#include "platform/model/ModelData.h"

void* MdlHostAllocate(size_t size, const char* sourceFile, int sourceLine);
void MdlHostRelease(void* block, const char* sourceFile, int sourceLine);

#define MDL_ALLOCATE(size) MdlHostAllocate((size), __FILE__, __LINE__)
#define MDL_RELEASE(block) MdlHostRelease((block), __FILE__, __LINE__)

// Zeroed array from the host, null when the size overflows or memory runs out.
template <typename T>
T* MdlAllocateArray(size_t count, const char* sourceFile, int sourceLine)
{
    if (count > SIZE_MAX / sizeof(T)) return nullptr;
    void* block = MdlHostAllocate(count * sizeof(T) + (count == 0), sourceFile, sourceLine);
    if (block) memset(block, 0, count * sizeof(T) + (count == 0));
    return static_cast<T*>(block);
}
#define MDL_NEW_ARRAY(T, count) MdlAllocateArray<T>((count), __FILE__, __LINE__)
#define MDL_NEW(T) MdlAllocateArray<T>(1, __FILE__, __LINE__)

// Blocks taken from the host and given back all at once.
struct MdlArenaBlock;
struct MdlArena {
    MdlArenaBlock* blocks = nullptr;
    size_t used = 0;        // bytes used in the newest block
    size_t capacity = 0;    // bytes in the newest block
};

void* MdlArenaAllocate(MdlArena* arena, size_t size);   // 16-byte aligned, zeroed
void MdlArenaRelease(MdlArena* arena);
const char* MdlArenaString(MdlArena* arena, const char* text);

template <typename T>
T* MdlArenaArray(MdlArena* arena, size_t count)
{
    if (count > SIZE_MAX / sizeof(T) / 2) return nullptr;
    return static_cast<T*>(MdlArenaAllocate(arena, count * sizeof(T)));
}

bool MdlNamesEqualIgnoringCase(const char* a, const char* b);

// Finite, as every number read from a file must be.
inline bool MdlIsFinite(float value) { return value - value == 0.0f; }

struct MdlFile {
    MdlArena arena;
    MdlFileInfo info;
    MdlModel* model;            // the one model, or null
    MdlAnimation* animation;    // the one animation, or null
    bool transformed;
};
