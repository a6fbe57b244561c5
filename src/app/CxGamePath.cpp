#include "app/CxGamePath.h"
#include "foundation/Qorstr.h"

namespace {
constexpr size_t kPathMax = 256;   // 255 characters and the terminator
}

CxString ExpandGamePath(const char* text)
{
    // Room for every marker to grow ("$CDPATH" -> "<CDPath>" adds one each).
    char path[kPathMax * 2];
    CopyText(path, text ? text : "", kPathMax);
    ReplaceAll(path, sizeof path, "$GAMEPATH", "");
    ReplaceAll(path, sizeof path, "$CDPATH", "<CDPath>");
    ReplaceAll(path, sizeof path, "$INSTALLPATH", "<InstallPath>");
    if (path[0]) ReplaceAll(path + 1, sizeof path - 1, "//", "/");
    return CxString(path);
}

CxString BuildGamePath(const char* text)
{
    char path[kPathMax];
    CopyText(path, text ? text : "", sizeof path);
    ReplaceChar(path, '\\', '/');
    return ExpandGamePath(path);
}
