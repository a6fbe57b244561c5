#include "platform/os/PlatformText.h"

#include <cstdint>
#include <cstring>

namespace {
// Code points of CP-1252's 0x80..0x9F block; 0 where the page has a hole.
const uint16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

size_t Utf8Length(unsigned char lead)
{
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;  // stray continuation byte: pass it through alone
}

// Decodes one character; returns its length and stores the code point, or
// 0xFFFD for malformed input.
size_t DecodeUtf8(const unsigned char* s, uint32_t* cp)
{
    size_t n = Utf8Length(s[0]);
    if (n == 1) { *cp = s[0] < 0x80 ? s[0] : 0xFFFD; return 1; }
    uint32_t value = s[0] & (0x7F >> n);
    for (size_t i = 1; i < n; ++i) {
        if ((s[i] & 0xC0) != 0x80) { *cp = 0xFFFD; return i; }
        value = (value << 6) | (s[i] & 0x3F);
    }
    *cp = value;
    return n;
}

size_t EncodeUtf8(uint32_t cp, char* out)
{
    if (cp < 0x80) { out[0] = char(cp); return 1; }
    if (cp < 0x800) { out[0] = char(0xC0 | (cp >> 6)); out[1] = char(0x80 | (cp & 0x3F)); return 2; }
    out[0] = char(0xE0 | (cp >> 12));
    out[1] = char(0x80 | ((cp >> 6) & 0x3F));
    out[2] = char(0x80 | (cp & 0x3F));
    return 3;
}
}  // namespace

void PlatUtf8ToSystem(char* dst, const char* src, size_t size)
{
    if (!dst || size == 0) return;
    dst[0] = 0;
    if (!src) return;
    size_t used = 0;
    auto* s = reinterpret_cast<const unsigned char*>(src);
    while (*s) {
        size_t n = Utf8Length(*s);
        if (used + n >= size) break;
        for (size_t i = 0; i < n && s[i]; ++i) dst[used++] = char(s[i]);
        s += n;
        if (s[-1] == 0) break;
    }
    dst[used] = 0;
}

void PlatSystemToUtf8(char* dst, const char* src, size_t size) { PlatUtf8ToSystem(dst, src, size); }

void PlatUtf8ToCp1252(char* dst, const char* src, size_t size)
{
    if (!dst || size == 0) return;
    size_t used = 0;
    auto* s = reinterpret_cast<const unsigned char*>(src ? src : "");
    while (*s && used + 1 < size) {
        uint32_t cp;
        s += DecodeUtf8(s, &cp);
        char out = '?';
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) out = char(cp);
        else
            for (int i = 0; i < 32; ++i)
                if (kCp1252High[i] == cp) out = char(0x80 + i);
        dst[used++] = out;
    }
    dst[used] = 0;
}

void PlatCp1252ToUtf8(char* dst, const char* src, size_t size)
{
    if (!dst || size == 0) return;
    size_t used = 0;
    auto* s = reinterpret_cast<const unsigned char*>(src ? src : "");
    for (; *s; ++s) {
        uint32_t cp = *s;
        if (cp >= 0x80 && cp < 0xA0) cp = kCp1252High[cp - 0x80] ? kCp1252High[cp - 0x80] : 0xFFFD;
        char buffer[4];
        size_t n = EncodeUtf8(cp, buffer);
        if (used + n >= size) break;
        memcpy(dst + used, buffer, n);
        used += n;
    }
    dst[used] = 0;
}
