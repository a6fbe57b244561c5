// The MD5 message digest (RFC 1321), incremental and in one call.
#pragma once
#include <cstddef>
#include <cstdint>

struct QorMD5 {
    uint32_t state[4];
    uint64_t length;   // bytes taken so far
    uint8_t pending[64];
};

void QorMD5Init(QorMD5* md5);
void QorMD5Update(QorMD5* md5, const void* data, size_t size);
void QorMD5Final(QorMD5* md5, uint8_t digest[16]);
void QorMD5Digest(const void* data, size_t size, uint8_t digest[16]);
