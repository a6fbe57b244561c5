// Named cursors from the framework's options: "name = hot x, hot y, image".
// Entry k (from 0) gets id 10 + k whether or not its picture loads, so the
// ids of the later entries never shift with a broken one.
#include "display/CxCursorState.h"
#include "core/CxOptions.h"
#include "display/CxSprite.h"

#include <cstdio>
#include <cstring>

namespace {
// Hot spot and image path of one value; false when it does not read.
bool ParseEntry(const char* value, CxPoint* hot, char* path, size_t size)
{
    char format[32];
    std::snprintf(format, sizeof format, "%%d , %%d , %%%zu[^\n]", size - 1);
    if (std::sscanf(value, format, &hot->x, &hot->y, path) != 3) return false;
    size_t length = std::strlen(path);
    while (length > 0 && (path[length - 1] == ' ' || path[length - 1] == '\t' || path[length - 1] == '\r'))
        path[--length] = 0;
    return length > 0;
}

bool AddNamed(const CxOptionVariable& entry, int32_t id)
{
    CxPoint hot;
    char path[256];
    if (!ParseEntry(entry.value.Text(), &hot, path, sizeof path)) {
        ReportError(ERR_INVALID_ARGUMENT, "Bad cursor entry %s = %s", entry.key.Text(), entry.value.Text());
        return false;
    }
    CxDrawSurface* image = LoadImageSurface(path, 0);
    if (!image || image->GetErrorCode() != 0 || !image->IsCreated()) {
        if (!image || image->GetErrorCode() == 0) ReportError(ERR_OPEN_FILE, "Could not load cursor image %s", path);
        delete image;   // a failed load has reported its own error
        return false;
    }
    image->SetTransparentColor(image->GetPixel(0, 0));
    return AddCursor(image, id, hot.x, hot.y) == 0;
}
}  // namespace

int LoadNamedCursors(CxOptions& options, const char* section)
{
    CxOptionSection* found = options.FindSection(section);
    if (!found) return 0;
    cursors::State& s = cursors::Get();
    int32_t id = CURSOR_FIRST_NAMED + s.names.GetCount();
    int32_t lastId = -1;
    int added = 0;
    for (auto* node = found->variables.GetHead(); node; node = node->next, ++id) {
        s.names.AddTail(node->value->key);
        if (AddNamed(*node->value, id)) ++added;
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
