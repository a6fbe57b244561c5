// Named cursors from the framework's options: "name = hot x, hot y, image".
// Entry k (from 0) gets id 10 + k whether or not its picture loads, so the
// ids of the later entries never shift with a broken one.
#include "display/CxCursorState.h"
#include "core/CxOptions.h"
#include "display/CxSprite.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A decimal number, clamped to 32 bits.
bool ReadNumber(const char*& p, int32_t* out)
{
    char* end = nullptr;
    long long value = std::strtoll(p, &end, 10);
    if (end == p) return false;
    *out = int32_t(value < INT32_MIN ? INT32_MIN : value > INT32_MAX ? INT32_MAX : value);
    p = end;
    return true;
}

bool SkipPast(const char*& p, char c)
{
    while (IsBlank(*p)) ++p;
    if (*p != c) return false;
    ++p;
    return true;
}

bool AddNamed(const CxOptionVariable& entry, int32_t id, CxCursorPathMap mapPath)
{
    CxPoint hot;
    char path[256];
    if (!ParseCursorEntry(entry.value.Text(), &hot, path, sizeof path)) {
        ReportError(ERR_INVALID_ARGUMENT, "Bad cursor entry %s = %s", entry.key.Text(), entry.value.Text());
        return false;
    }
    CxString file = mapPath ? mapPath(path) : CxString(path);
    CxDrawSurface* image = LoadImageSurface(file.Text(), 0);
    if (!image || image->GetErrorCode() != 0 || !image->IsCreated()) {
        if (!image || image->GetErrorCode() == 0) ReportError(ERR_OPEN_FILE, "Could not load cursor image %s", file.Text());
        delete image;   // a failed load has reported its own error
        return false;
    }
    image->SetTransparentColor(image->GetPixel(0, 0));
    return AddCursor(image, id, hot.x, hot.y) == 0;
}
}  // namespace

bool ParseCursorEntry(const char* value, CxPoint* hot, char* path, size_t size)
{
    if (!value || !hot || !path || size < 2) return false;
    const char* p = value;
    if (!ReadNumber(p, &hot->x) || !SkipPast(p, ',') || !ReadNumber(p, &hot->y) || !SkipPast(p, ',')) return false;
    while (IsBlank(*p)) ++p;
    size_t length = std::strcspn(p, "\n");
    while (length > 0 && (IsBlank(p[length - 1]) || p[length - 1] == '\r')) --length;
    if (length == 0 || length >= size) return false;   // a cut path would name another file
    std::memcpy(path, p, length);
    path[length] = 0;
    return true;
}

int LoadNamedCursors(CxOptions& options, const char* section, CxCursorPathMap mapPath)
{
    CxOptionSection* found = options.FindSection(section);
    if (!found) return 0;
    cursors::State& s = cursors::Get();
    int32_t id = CURSOR_FIRST_NAMED + s.names.GetCount();
    int32_t lastId = -1;
    int added = 0;
    for (auto* node = found->variables.GetHead(); node; node = node->next, ++id) {
        s.names.AddTail(node->value->key);
        if (AddNamed(*node->value, id, mapPath)) ++added;
        lastId = id;
    }
    if (lastId >= 0) {
        SetCursorId(lastId);
        SetDefaultCursorId(lastId);
    }
    return added;
}

int32_t GetCursorIDFromName(const char* name)
{
    if (!name) return 0;
    int32_t id = CURSOR_FIRST_NAMED;
    for (auto* node = cursors::Get().names.GetHead(); node; node = node->next, ++id)
        if (node->value.CompareNoCase(name) == 0) return id;
    return 0;
}
