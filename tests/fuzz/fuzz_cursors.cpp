// Named-cursor entries ("hot x, hot y, image"): any text is read or refused,
// a path that is read is never empty, never cut short and carries no
// trailing blanks or line breaks.
#include "display/CxCursor.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1000) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    char path[32];
    std::memset(path, 'x', sizeof path);
    CxPoint hot;
    if (!ParseCursorEntry(text.c_str(), &hot, path, sizeof path)) return 0;
    size_t length = strnlen(path, sizeof path);
    bool ok = length > 0 && length < sizeof path && path[length - 1] != ' ' && path[length - 1] != '\t' &&
              path[length - 1] != '\r' && !std::strchr(path, '\n') && text.find(path) != std::string::npos;
    if (!ok) {
        fprintf(stderr, "cursor entry check failed for \"%s\"\n", text.c_str());
        abort();
    }
    return 0;
}
