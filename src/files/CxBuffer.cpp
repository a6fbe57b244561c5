#include "files/CxBuffer.h"
#include "files/CxFile.h"
#include "files/QorMD5.h"
#include "foundation/CxMemory.h"

#include <cstdio>

CxBuffer::~CxBuffer() { Free(); }

int CxBuffer::Allocate(uint32_t size)
{
    if (errorCode_ || size == GetSize()) return errorCode_;
    Free();
    if (size == 0) return 0;
    void* block = size <= kSizeMask ? QorAlloc(size, "CxBuffer", __LINE__, false) : nullptr;
    if (!block)
        return Error(ERR_OUT_OF_MEMORY, "Could not allocate %ld bytes for a CxBuffer object", long(size));
    Bytes = static_cast<uint8_t*>(block);
    Size = size;   // memory of our own: no borrowed mark
    return 0;
}

void CxBuffer::Free()
{
    if (!IsBorrowed()) QorFree(Bytes);
    Bytes = nullptr;
    Size &= kBorrowed;
}

void CxBuffer::Borrow(void* bytes, uint32_t size)
{
    Free();
    Bytes = static_cast<uint8_t*>(bytes);
    Size = kBorrowed | (size & kSizeMask);
}

// A file that delivers fewer bytes than its length is a failed load, never a
// buffer with a zeroed tail.
int LoadFile(const char* path, CxFileBuffer* buffer)
{
    if (!buffer) return ERR_INVALID_ARGUMENT;
    buffer->Free();
    buffer->Error(0);   // a fresh load starts without the last one's failure
    if (!path) return 0;
    CxFile file;
    if (int code = file.Open(path, CBF_BINARY | CBF_READONLY)) {
        buffer->Error(code, "LoadFile() failed");
        return code;
    }
    buffer->SetFileName(path);
    int32_t length = file.GetLength();
    if (length <= 0) return 0;
    if (int code = buffer->Allocate(uint32_t(length))) return code;
    uint32_t got = 0;
    int code = file.Read(buffer->GetBytes(), uint32_t(length), &got);
    if (!code && got != uint32_t(length)) code = ERR_READ_FILE;
    file.Close();
    if (code) {
        buffer->Free();
        buffer->Error(code, "LoadFile() failed");
    }
    return code;
}

CxString QorFileCalcMD5(const char* path)
{
    CxFileBuffer buffer;
    if (LoadFile(path, &buffer) != 0) return CxString();
    uint8_t digest[16];
    QorMD5Digest(buffer.GetBytes(), buffer.GetSize(), digest);
    char text[33];
    for (int i = 0; i < 16; ++i) snprintf(text + i * 2, 3, "%02x", digest[i]);
    return CxString(text);
}
