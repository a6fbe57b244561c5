// The global file API as script functions.  Paths go through the file
// systems like every engine access; nothing here reaches the host directly.
// NewFileSystem and RemoveFileSystem act on the file-system list of the
// host that registered them (the application's list in the game).
#include "core/CxAppServices.h"
#include "files/CxBuffer.h"
#include "files/CxFileSystem.h"
#include "files/CxFileSystemList.h"
#include "files/QorFile.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptApi.h"
#include "script/CxScriptBinding.h"

namespace {
// Attribute words and masks use all 32 bits (bit 31 asks for every folder).
uint32_t CheckWord(lua_State* L, int index)
{
    double value = ScriptCheckNumber(L, index);
    if (value < 0) return uint32_t(ScriptTruncate(value));
    if (!(value < 4294967296.0)) return value != value ? 0u : 0xFFFFFFFFu;
    return uint32_t(value);
}

int OptionalInt(lua_State* L, int index) { return lua_isnoneornil(L, index) ? 0 : ScriptCheckInt(L, index); }

int FileDelete(lua_State* L)
{
    QorFileDelete(ScriptCheckString(L, 1));
    return 0;
}

int FileRename(lua_State* L)
{
    const char* from = ScriptCheckString(L, 1);
    lua_pushnumber(L, QorFileRename(from, ScriptCheckString(L, 2)));
    return 1;
}

int FileExists(lua_State* L)
{
    lua_pushboolean(L, QorFileExists(ScriptCheckString(L, 1)) != 0);
    return 1;
}

int FileLength(lua_State* L)
{
    lua_pushnumber(L, QorFileLength(ScriptCheckString(L, 1)));
    return 1;
}

int FileIsDirectory(lua_State* L)
{
    lua_pushboolean(L, QorFileIsDirectory(ScriptCheckString(L, 1)) != 0);
    return 1;
}

int FileCopy(lua_State* L)
{
    const char* source = ScriptCheckString(L, 1);
    const char* target = ScriptCheckString(L, 2);
    int append = OptionalInt(L, 3);
    lua_pushnumber(L, QorFileCopy(source, target, append, OptionalInt(L, 4)));
    return 1;
}

int FileMove(lua_State* L)
{
    const char* source = ScriptCheckString(L, 1);
    lua_pushnumber(L, QorFileMove(source, ScriptCheckString(L, 2)));
    return 1;
}

int FileIsWritable(lua_State* L)
{
    lua_pushboolean(L, QorFileIsWritable(ScriptCheckString(L, 1)) != 0);
    return 1;
}

int FileSetAttributes(lua_State* L)
{
    const char* path = ScriptCheckString(L, 1);
    QorFileSetAttributes(path, CheckWord(L, 2));
    return 0;
}

int FileGetAttributes(lua_State* L)
{
    lua_pushnumber(L, QorFileGetAttributes(ScriptCheckString(L, 1)));
    return 1;
}

int FileCreateDirectory(lua_State* L)
{
    lua_pushnumber(L, QorFileCreateDirectory(ScriptCheckString(L, 1)));
    return 1;
}

int FileRemoveDirectory(lua_State* L)
{
    lua_pushnumber(L, QorFileRemoveDirectory(ScriptCheckString(L, 1)));
    return 1;
}

int FileRemoveDirectoryTree(lua_State* L)
{
    lua_pushnumber(L, QorFileRemoveDirectoryTree(ScriptCheckString(L, 1)));
    return 1;
}

int FileGetFullPath(lua_State* L)
{
    char full[256];
    lua_pushstring(L, QorFileGetFullPath(full, ScriptCheckString(L, 1), sizeof full));
    return 1;
}

// The listing is an engine list: its paths are copied into the table inside
// a protected call, so a refused allocation there cannot leak the list.
struct Listing {
    CxLinkedList<CxFileInfo*>* list;
};

int FillListing(lua_State* L)
{
    auto* listing = static_cast<Listing*>(lua_touserdata(L, 1));
    lua_createtable(L, listing->list->GetCount(), 0);
    int index = 0;
    for (CxListNode<CxFileInfo*>* node = listing->list->GetHead(); node; node = node->next) {
        lua_pushstring(L, node->value->Path.Text());
        lua_rawseti(L, -2, ++index);
    }
    return 1;
}

int FileBuildList(lua_State* L)
{
    const char* pattern = ScriptCheckString(L, 1);
    uint32_t mask = CheckWord(L, 2);
    int recurse = lua_isnoneornil(L, 3) ? 0 : ScriptCheckBool(L, 3);
    CxLinkedList<CxFileInfo*> list;
    QorBuildFileList(&list, pattern, mask, recurse);
    Listing listing{&list};
    lua_pushcfunction(L, FillListing);
    lua_pushlightuserdata(L, &listing);
    int status = lua_pcall(L, 1, 1, 0);
    QorFreeFileList(&list);
    if (status != 0) lua_error(L);   // jumps past the list's destructor; the emptied list holds nothing
    return 1;
}

CxFileSystemList* FileSystems(lua_State* L)
{
    return static_cast<CxFileSystemList*>(lua_touserdata(L, lua_upvalueindex(1)));
}

int NewFileSystem(lua_State* L)
{
    const char* name = ScriptCheckString(L, 1);
    const char* path = ScriptCheckString(L, 2);
    CxAppServices* app = CxAppServices::Get();
    bool dynamic = app && app->GetAppOptions().ReadInt("Engine.Game", "DynamicFileSystem", 0) != 0;
    FileSystems(L)->NewFileSystem(name, path, dynamic);
    return 0;
}

// The digest of the file's bytes, or nil when it cannot be loaded.
int FileCalcMD5(lua_State* L)
{
    CxString digest = QorFileCalcMD5(ScriptCheckString(L, 1));
    if (digest.IsEmpty()) lua_pushnil(L);
    else lua_pushstring(L, digest.Text());
    return 1;
}

int RemoveFileSystem(lua_State* L)
{
    FileSystems(L)->RemoveFileSystem(ScriptCheckString(L, 1));
    return 0;
}

const struct {
    const char* name;
    lua_CFunction function;
} kFunctions[] = {
    {"QorFileDelete", FileDelete},
    {"QorFileCopy", FileCopy},
    {"QorFileMove", FileMove},
    {"QorFileRename", FileRename},
    {"QorFileExists", FileExists},
    {"QorFileLength", FileLength},
    {"QorFileIsWritable", FileIsWritable},
    {"QorFileSetAttributes", FileSetAttributes},
    {"QorFileGetAttributes", FileGetAttributes},
    {"QorFileIsDirectory", FileIsDirectory},
    {"QorFileCreateDirectory", FileCreateDirectory},
    {"QorFileRemoveDirectory", FileRemoveDirectory},
    {"QorFileRemoveDirectoryTree", FileRemoveDirectoryTree},
    {"QorFileGetFullPath", FileGetFullPath},
    {"QorBuildFileList", FileBuildList},
    {"QorFileCalcMD5", FileCalcMD5},
};

struct ListFunction {
    const char* name;
    lua_CFunction function;
    CxFileSystemList* list;
};

int SetListFunction(lua_State* L)
{
    auto* entry = static_cast<ListFunction*>(lua_touserdata(L, 1));
    lua_pushlightuserdata(L, entry->list);
    lua_pushcclosure(L, entry->function, 1);
    lua_setglobal(L, entry->name);
    return 0;
}
}  // namespace

int RegisterFileScriptFunctions(CxLuaEngine& engine, CxFileSystemList* fileSystems)
{
    for (const auto& entry : kFunctions) {
        int code = engine.RegisterFunction(entry.name, entry.function);
        if (code) return code;
    }
    if (!fileSystems || !engine.GetState()) return 0;
    ListFunction closures[] = {
        {"NewFileSystem", NewFileSystem, fileSystems},
        {"RemoveFileSystem", RemoveFileSystem, fileSystems},
    };
    for (ListFunction& entry : closures)
        if (lua_cpcall(engine.GetState(), SetListFunction, &entry) != 0) {
            engine.ReportScriptError(lua_tostring(engine.GetState(), -1));
            lua_pop(engine.GetState(), 1);
            return ERR_SCRIPTING;
        }
    return 0;
}
