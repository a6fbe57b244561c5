// Root of most engine classes: deleted through its virtual destructor, and
// allocated through the engine allocator like everything else.
#pragma once
#include <cstddef>

class CxObject {
public:
    virtual ~CxObject() = default;

    static void* operator new(size_t size);
    static void  operator delete(void* block) noexcept;
    static void* operator new[](size_t size);
    static void  operator delete[](void* block) noexcept;
    // Placement stays available: the class's own `new` would hide it.
    static void* operator new(size_t, void* where) noexcept { return where; }
    static void  operator delete(void*, void*) noexcept {}
};
