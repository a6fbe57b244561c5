// Memory blocks that can be written out to a swap file when memory runs
// short and read back when next locked (surfaces and sounds derive from it).
//
// Every cached object is on one list, newest first.  A use counter counts
// down from 0xFFFFFFFF on every lock, so a larger stamp means longer unused.
// When the allocator cannot serve a request it calls FreeMemory, which swaps
// out the unlocked resident objects unused for longest, halving the stamp
// threshold each round, until the request fits or none is left to swap.
#pragma once
#include "foundation/CxString.h"

#include <cstddef>
#include <cstdint>

class CxCachedObject {
public:
    // `data` and `size` are the owner's own fields; the data must come from
    // QorAlloc, since swapping frees and restoring allocates it.
    CxCachedObject(void** data, uint32_t* size);
    virtual ~CxCachedObject();
    CxCachedObject(const CxCachedObject&) = delete;
    CxCachedObject& operator=(const CxCachedObject&) = delete;

    void Lock();
    void Unlock();
    int  Restore();   // 0, 9 when the swap file has gone, 1 without memory
    int  SwapOut();   // writes the data to a new swap file; leaves it in memory

    bool     IsResident() const { return (Flags & kResident) != 0; }
    int32_t  GetLockCount() const;
    uint32_t GetLastUse() const { return LastUse; }
    const CxString& GetSwapFile() const { return SwapFile; }

    // The low-memory procedure: true when `wanted` bytes could be had.
    static bool FreeMemory(size_t wanted);
    static int  GetCount();

protected:
    static constexpr uint32_t kExists = 0x80000000u;
    static constexpr uint32_t kResident = 0x40000000u;
    static constexpr uint32_t kLockMask = 0x3FFFFFFFu;

    uint32_t Flags = kExists | kResident;
    CxString SwapFile;
    void** Data;
    uint32_t* DataSize;
    uint32_t LastUse = 0;

private:
    void Evict();
};

// The folder swap files go to: "Engine"/"CacheDir", else the temporary folder.
CxString QorSwapFolder();
