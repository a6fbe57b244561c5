#include "files/QorPath.h"

#include <cctype>
#include <cstring>

const char* QorSplitPrefix(const char* path, char* name, size_t nameSize)
{
    if (name && nameSize) name[0] = 0;
    if (!path) return "";
    if (path[0] != '<') return path;
    const char* close = strchr(path, '>');
    if (!close) return path;
    if (name && nameSize) {
        size_t length = size_t(close - path) + 1;
        if (length > nameSize - 1) length = nameSize - 1;
        memcpy(name, path, length);
        name[length] = 0;
    }
    return close + 1;
}

QorPathResult QorNormalisePath(const char* path, char* out, size_t size)
{
    if (!out || size == 0) return QOR_PATH_TOO_LONG;
    out[0] = 0;
    if (!path) return QOR_PATH_OK;
    size_t used = 0;
    bool rooted = path[0] == '/' || path[0] == '\\';
    if (rooted) {
        if (size < 2) return QOR_PATH_TOO_LONG;
        out[used++] = '/';
        out[used] = 0;
    }
    size_t rootLength = used;
    bool trailing = false;
    const char* p = path;
    while (*p) {
        while (*p == '/' || *p == '\\') ++p;
        if (!*p) break;
        const char* start = p;
        while (*p && *p != '/' && *p != '\\') ++p;
        size_t length = size_t(p - start);
        trailing = *p != 0;   // a separator follows this part
        if (length == 1 && start[0] == '.') continue;
        if (length == 2 && start[0] == '.' && start[1] == '.') {
            if (used == rootLength) return QOR_PATH_CLIMBS;
            // Back over the last part and the "/" before it.
            size_t back = used;
            while (back > rootLength && out[back - 1] != '/') --back;
            used = back > rootLength ? back - 1 : rootLength;
            out[used] = 0;
            continue;
        }
        size_t need = length + (used > rootLength ? 1 : 0);
        if (used + need + 1 > size) return QOR_PATH_TOO_LONG;
        if (used > rootLength) out[used++] = '/';
        memcpy(out + used, start, length);
        used += length;
        out[used] = 0;
    }
    if (trailing && used > rootLength) {
        if (used + 2 > size) return QOR_PATH_TOO_LONG;
        out[used++] = '/';
        out[used] = 0;
    }
    return QOR_PATH_OK;
}

bool QorNamesEqual(const char* a, const char* b)
{
    if (!a || !b) return false;
    for (; *a && *b; ++a, ++b)
        if (tolower(static_cast<unsigned char>(*a)) != tolower(static_cast<unsigned char>(*b))) return false;
    return *a == *b;
}
