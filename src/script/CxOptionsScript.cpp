// The script class CxOptions: scripts open, read, change and write their own
// options files.  Texts read back are cut where the engine's readers cut them.
#include "core/CxOptions.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptApi.h"
#include "script/CxScriptBinding.h"

#include <cstdio>

namespace {
using Opt = CxOptions;

int32_t Open(Opt& o, const char* path) { return o.Open(path); }
int32_t Create(Opt& o, const char* path)
{
    o.Create(path);
    return o.GetErrorCode();
}
int32_t Save(Opt& o) { return o.Save(); }
int32_t SaveAs(Opt& o, const char* path) { return o.SaveAs(path); }
void Close(Opt& o) { o.Close(); }
const char* GetFileName(Opt& o) { return o.GetPath(); }
int32_t AddSetting(Opt& o, const char* section, const char* key, const char* value)
{
    o.AddSetting(section, key, value);
    return 0;
}
int32_t DeleteSetting(Opt& o, const char* section, const char* key)
{
    o.DeleteSetting(section, key);
    return o.GetErrorCode();
}
int32_t DeleteSection(Opt& o, const char* section)
{
    o.DeleteSection(section);
    return o.GetErrorCode();
}

CxString GetString(Opt& o, const char* section, const char* key, std::optional<const char*> def)
{
    char value[256];
    o.GetString(section, key, value, def.value_or(""), sizeof value);
    return CxString(value);
}
void SetString(Opt& o, const char* section, const char* key, const char* value) { o.SetString(section, key, value); }

float GetFloat(Opt& o, const char* section, const char* key, double def)
{
    float value = 0;
    o.GetFloat(section, key, &value, float(def));
    return value;
}
void SetFloat(Opt& o, const char* section, const char* key, double value)
{
    char text[64];
    snprintf(text, sizeof text, "%f", value);
    o.SetString(section, key, text);
}
int32_t GetInt(Opt& o, const char* section, const char* key, int32_t def)
{
    int32_t value = 0;
    o.GetInt(section, key, &value, def);
    return value;
}
void SetInt(Opt& o, const char* section, const char* key, int32_t value) { o.SetInt(section, key, value); }

int GetNumericPair(lua_State* L, Opt& o)
{
    const char* section = ScriptCheckString(L, 2);
    const char* key = ScriptCheckString(L, 3);
    double first = lua_isnoneornil(L, 4) ? 0 : ScriptCheckNumber(L, 4);
    double second = lua_isnoneornil(L, 5) ? 0 : ScriptCheckNumber(L, 5);
    char def[96], value[256];
    snprintf(def, sizeof def, "%f, %f", first, second);
    o.GetString(section, key, value, def, sizeof value);
    float a = 0, b = 0;
    sscanf(value, "%f, %f", &a, &b);
    lua_pushnumber(L, a);
    lua_pushnumber(L, b);
    return 2;
}

// A later duplicate key overwrites an earlier one, as table fields do.
int GetSection(lua_State* L, Opt& o)
{
    const char* name = ScriptCheckString(L, 2);
    lua_newtable(L);
    CxOptionSection* section = o.FindSection(name);
    if (!section) return 1;
    for (CxListNode<CxOptionVariable*>* node = section->variables.GetHead(); node; node = node->next) {
        lua_pushstring(L, node->value->value.Text());
        lua_setfield(L, -2, node->value->key.Text());
    }
    return 1;
}

const CxScriptMethod kMethods[] = {
    ScriptMethod("Open", &Open),
    ScriptMethod("Create", &Create),
    ScriptMethod("Save", &Save),
    ScriptMethod("SaveAs", &SaveAs),
    ScriptMethod("Close", &Close),
    ScriptMethod("Commit", &Save),
    ScriptMethod("GetFileName", &GetFileName),
    ScriptMethod("AddSetting", &AddSetting),
    ScriptMethod("DeleteSetting", &DeleteSetting),
    ScriptMethod("DeleteSection", &DeleteSection),
    ScriptMethod("GetString", &GetString),
    ScriptMethod("SetString", &SetString),
    ScriptMethod("GetNumericPair", &GetNumericPair),
    ScriptMethod("GetFloat", &GetFloat),
    ScriptMethod("SetFloat", &SetFloat),
    ScriptMethod("GetInt", &GetInt),
    ScriptMethod("SetInt", &SetInt),
    ScriptMethod("GetSection", &GetSection),
    {nullptr, nullptr, nullptr},
};
}  // namespace

const CxScriptClass kCxOptionsScriptClass = ScriptClass<CxOptions>("CxOptions", nullptr, kMethods);

int BindCxOptions(CxLuaEngine& engine) { return ScriptBindClass(engine, kCxOptionsScriptClass); }
