// Blocks of memory, optionally filled from a file, and the file checksum.
#pragma once
#include "core/CxError.h"
#include "foundation/CxObject.h"
#include "foundation/CxString.h"

#include <cstdint>

class CxBuffer : public CxObject, public CxError {
public:
    CxBuffer() = default;
    ~CxBuffer() override;
    CxBuffer(const CxBuffer&) = delete;
    CxBuffer& operator=(const CxBuffer&) = delete;

    // Virtual operations, in slot order after the destructor.
    virtual int      Allocate(uint32_t size);
    virtual void     Free();
    virtual uint8_t* GetBytes() const { return Bytes; }
    virtual uint32_t GetSize() const { return Size & kSizeMask; }

    // Shows a caller's memory through the buffer; it is never freed here.
    void Borrow(void* bytes, uint32_t size);
    bool IsBorrowed() const { return (Size & kBorrowed) != 0; }

protected:
    static constexpr uint32_t kBorrowed = 0x80000000u;
    static constexpr uint32_t kSizeMask = 0x7FFFFFFFu;
    uint8_t* Bytes = nullptr;
    uint32_t Size = 0;   // 31-bit count; the top bit marks borrowed memory
};

class CxFileBuffer : public CxBuffer {
public:
    const CxString& GetFileName() const { return FileName; }
    void SetFileName(const char* name) { FileName = name; }

protected:
    CxString FileName;
};

// Empties the buffer and fills it with the whole file.  Returns the error
// code, which is also left in the buffer.
int LoadFile(const char* path, CxFileBuffer* buffer);

// MD5 (RFC 1321) of the file's bytes as 32 lower-case hex digits; empty when
// the file cannot be loaded.
CxString QorFileCalcMD5(const char* path);
