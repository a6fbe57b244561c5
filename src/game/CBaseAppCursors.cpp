// The game's system cursors.  Their pictures are drawn at build time into
// "generated/": "Common/system_cursors.ini" maps each resource name to a hot
// spot and a picture, and the tool cursors rendered from the item models
// ("props/cursors.ini", sections named after the tool) take the place of
// the flat ones where they were made.
#include "game/CBaseApp.h"

#include "app/CxGamePath.h"
#include "core/CxError.h"
#include "core/CxOptions.h"
#include "display/CxCursor.h"
#include "files/QorFile.h"

#include <cstdio>

namespace {
struct SystemCursor {
    const char* resource;
    int32_t id;
    const char* tool;   // section of the rendered tool cursors, or null
};

const SystemCursor kSystemCursors[] = {
    {"TOLU_POINTER_CURSOR", 0, nullptr},   {"TOLU_BUSY_CURSOR", 1, nullptr},
    {"TOLU_BEAM_CURSOR", 2, nullptr},      {"TOLU_HAND_CURSOR", 4, "hand"},
    {"TOLU_SHAMPOO_CURSOR", 11, "shampoo"}, {"TOLU_BRUSH_CURSOR", 12, "brush"},
    {"TOLU_SHOWER_CURSOR", 13, "shower"},  {"TOLU_SPRAY_CURSOR", 14, "spray"},
    {"TOLU_ACTIVE_CURSOR", 15, nullptr},   {"TOLU_LEFT_CURSOR", 16, nullptr},
    {"TOLU_RIGHT_CURSOR", 17, nullptr},    {"TOLU_UP_CURSOR", 18, nullptr},
};

constexpr const char* kFolder = "generated/";
constexpr const char* kTable = "generated/Common/system_cursors.ini";
constexpr const char* kTools = "generated/props/cursors.ini";

CxString InFolder(const char* relative) { return BuildGamePath(CxString::FormatNew("%s%s", kFolder, relative).Text()); }
}  // namespace

int CBaseApp::LoadSystemCursors()
{
    CxString tablePath = BuildGamePath(kTable);
    if (!QorFileExists(tablePath.Text())) return 0;   // a bare data folder keeps the built-in shapes
    CxOptions table;
    if (table.Open(tablePath.Text()) != 0) return 0;
    CxOptions tools;
    CxString toolsPath = BuildGamePath(kTools);
    bool haveTools = QorFileExists(toolsPath.Text()) && tools.Open(toolsPath.Text()) == 0;
    int loaded = 0;
    for (const SystemCursor& cursor : kSystemCursors) {
        CxPoint hot;
        char picture[256] = "";
        if (haveTools && cursor.tool && tools.FindSection(cursor.tool)) {
            CxString file = tools.ReadString(cursor.tool, "File", "");
            std::snprintf(picture, sizeof picture, "%s", file.Text());
            hot = CxPoint{tools.ReadInt(cursor.tool, "HotX", 0), tools.ReadInt(cursor.tool, "HotY", 0)};
        } else {
            CxString entry = table.ReadString("SystemCursors", cursor.resource, "");
            if (!ParseCursorEntry(entry.Text(), &hot, picture, sizeof picture)) picture[0] = 0;
        }
        if (LoadCursorResource(picture[0] ? InFolder(picture).Text() : cursor.resource, cursor.id, hot.x, hot.y) == 0)
            ++loaded;
    }
    // The pointer may have been replaced while it was the current cursor.
    int32_t current = GetCursorId();
    SetCursorId(current == CURSOR_BUSY ? CURSOR_ARROW : CURSOR_BUSY);
    SetCursorId(current);
    return loaded;
}
