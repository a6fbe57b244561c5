#include "foundation/Qorstr.h"
#include "platform/os/PlatformText.h"

#include <cctype>
#include <cstring>
#include <strings.h>

namespace {
inline char Lower(char c) { return char(tolower(static_cast<unsigned char>(c))); }

bool SameAt(const char* text, const char* part, size_t n, bool ignoreCase)
{
    return ignoreCase ? strncasecmp(text, part, n) == 0 : strncmp(text, part, n) == 0;
}
}  // namespace

bool TextEquals(const char* a, const char* b, bool ignoreCase)
{
    if (!a || !b) return false;
    return ignoreCase ? strcasecmp(a, b) == 0 : strcmp(a, b) == 0;
}

bool TextContains(const char* text, const char* part, bool ignoreCase)
{
    if (!text || !part || !*part) return false;
    return ignoreCase ? FindNoCase(text, part) != nullptr : strstr(text, part) != nullptr;
}

const char* FindNoCase(const char* text, const char* part)
{
    if (!text || !part) return nullptr;
    size_t n = strlen(part);
    if (n == 0) return text;
    for (const char* at = text; *at; ++at)
        if (Lower(*at) == Lower(*part) && strncasecmp(at, part, n) == 0) return at;
    return nullptr;
}

const char* FindLast(const char* text, const char* part, bool ignoreCase)
{
    if (!text || !part || !*part) return nullptr;
    size_t textLength = strlen(text), partLength = strlen(part);
    if (partLength > textLength) return nullptr;
    for (const char* at = text + (textLength - partLength);; --at) {
        if (SameAt(at, part, partLength, ignoreCase)) return at;
        if (at == text) return nullptr;
    }
}

const char* FindWord(const char* text, const char* word, const char* delimiters, bool ignoreCase)
{
    if (!text || !word || !*word) return nullptr;
    if (!delimiters) delimiters = "";
    size_t n = strlen(word);
    for (const char* at = text; *at; ++at) {
        bool starts = at == text || strchr(delimiters, at[-1]);
        if (!starts || !SameAt(at, word, n, ignoreCase)) continue;
        char after = at[n];
        if (after == 0 || strchr(delimiters, after)) return at;
    }
    return nullptr;
}

int CountChar(const char* text, char c)
{
    int count = 0;
    for (; text && *text; ++text) count += *text == c;
    return count;
}

void RemoveChar(char* text, char c)
{
    if (!text) return;
    char* to = text;
    for (char* from = text; *from; ++from)
        if (*from != c) *to++ = *from;
    *to = 0;
}

void ReplaceChar(char* text, char from, char to)
{
    for (; text && *text; ++text)
        if (*text == from) *text = to;
}

void ReplaceAll(char* text, size_t size, const char* find, const char* replacement)
{
    if (!text || !find || !replacement || !*find || size == 0) return;
    size_t findLength = strlen(find), replacementLength = strlen(replacement);
    char* at = text;
    while ((at = strstr(at, find)) != nullptr) {
        size_t tail = strlen(at + findLength);
        size_t offset = size_t(at - text);
        if (offset + replacementLength >= size) { *at = 0; return; }   // no room even for the replacement
        size_t room = size - 1 - offset - replacementLength;
        if (tail > room) tail = room;
        memmove(at + replacementLength, at + findLength, tail);
        at[replacementLength + tail] = 0;
        memcpy(at, replacement, replacementLength);
        at += replacementLength;                                       // never rescan inserted text
    }
}

void CopyText(char* dst, const char* src, size_t size)
{
    if (!dst || size == 0) return;
    if (!src) src = "";
    strncpy(dst, src, size);
    dst[size - 1] = 0;
}

size_t TextLength(const char* text) { return text ? strlen(text) : 0; }

const char* FileNamePart(const char* path)
{
    if (!path) return nullptr;
    const char* slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

bool HasExtension(const char* path, const char* extension)
{
    if (!path || !extension || !*path || !*extension) return false;
    if (*extension == '.') ++extension;
    if (!*extension) return false;
    size_t pathLength = strlen(path), extLength = strlen(extension);
    if (pathLength < extLength + 1) return false;
    const char* dot = path + pathLength - extLength - 1;
    return *dot == '.' && strcasecmp(dot + 1, extension) == 0;
}

// Stops at `end`, at a zero byte or after "\n"; "\r" is dropped.  A line longer
// than the buffer is cut and the rest of it skipped, so its tail never turns
// into a line of its own.
const char* ReadLine(char* dst, size_t size, const char* src, const char* end)
{
    if (dst && size) dst[0] = 0;
    if (!src || src >= end || *src == 0) return nullptr;
    size_t used = 0;
    while (src < end && *src) {
        char c = *src++;
        if (c == '\n') break;
        if (c == '\r') continue;
        if (dst && used + 1 < size) dst[used++] = c;
    }
    if (dst && size) dst[used] = 0;
    return src;
}

// ---------------------------------------------------------------- wildcards
namespace {
struct Matcher {
    long budget = 200000;   // hostile patterns ("*a*a*a*...b") give up instead of hanging

    static bool AtEnd(const char* p) { return *p == 0 || *p == ';'; }

    // Matches one character against a "[...]" set; p points after "[".
    // Returns the position after "]", or null for an unterminated set.
    static const char* MatchSet(const char* p, char c, bool* matched)
    {
        bool negate = *p == '!';
        if (negate) ++p;
        bool hit = false;
        while (*p && *p != ']') {
            if (*p == '`' && p[1]) ++p;
            char low = *p++;
            char high = low;
            if (*p == '-' && p[1] && p[1] != ']') {
                high = p[1];
                if (high == '`' && p[2]) { high = p[2]; ++p; }
                p += 2;
            }
            char lc = Lower(c);
            if ((lc >= Lower(low) && lc <= Lower(high)) || (c >= low && c <= high)) hit = true;
        }
        if (*p != ']') return nullptr;
        *matched = hit != negate;
        return p + 1;
    }

    bool Match(const char* p, const char* n)
    {
        if (--budget < 0) return false;
        for (;;) {
            if (AtEnd(p)) return *n == 0;
            switch (*p) {
            case '*': {
                for (const char* s = n + strlen(n);; --s) {
                    if (Match(p + 1, s)) return true;
                    if (s == n || budget < 0) return false;
                }
            }
            case WILDCARD_NO_DOT: {
                const char* dot = strchr(n, '.');
                for (const char* s = dot ? dot : n + strlen(n);; --s) {
                    if (Match(p + 1, s)) return true;
                    if (s == n || budget < 0) return false;
                }
            }
            case '?':
                if (!*n) return false;
                ++p, ++n;
                break;
            case '[': {
                if (!*n) return false;
                bool matched = false;
                const char* after = MatchSet(p + 1, *n, &matched);
                if (!after || !matched) return false;
                p = after, ++n;
                break;
            }
            case '!':
                return !Match(p + 1, n);
            case '`':
                if (AtEnd(p + 1) || Lower(p[1]) != Lower(*n)) return false;
                p += 2, ++n;
                break;
            default:
                if (Lower(*p) != Lower(*n)) return false;
                ++p, ++n;
            }
        }
    }
};
}  // namespace

bool MatchWildcards(const char* patterns, const char* name)
{
    if (!patterns || !name) return false;
    for (const char* alternative = patterns;;) {
        Matcher matcher;
        if (matcher.Match(alternative, name)) return true;
        const char* next = strchr(alternative, ';');
        if (!next) return false;
        alternative = next + 1;
    }
}

void ToSystemText(char* dst, const char* src, size_t size) { PlatUtf8ToSystem(dst, src, size); }
void FromSystemText(char* dst, const char* src, size_t size) { PlatSystemToUtf8(dst, src, size); }
