// The script class CxDisplayObject, root of every display script class.
#include "display/CxDisplayObject.h"
#include "display/CxDisplayScript.h"
#include "script/CxScriptBinding.h"

#include <cstdint>

namespace {
using Obj = CxDisplayObject;
constexpr int32_t kAbsent = 999999999;   // what a missing coordinate stands for

Obj* OtherObject(lua_State* L, int index, bool optional = false)
{
    return static_cast<Obj*>(ScriptCheckObject(L, index, &kCxDisplayObjectScriptClass, optional));
}

int32_t Create(Obj& o, int32_t x, int32_t y, int32_t w, int32_t h, std::optional<int32_t> id)
{
    return o.Create(x, y, w, h, nullptr, id.value_or(0));
}

int32_t Paint(Obj& o, std::optional<int32_t> x, std::optional<int32_t> y, std::optional<int32_t> anchor)
{
    int32_t px = x.value_or(kAbsent), py = y.value_or(kAbsent);
    if (px == kAbsent || py == kAbsent) return o.Paint();
    return o.Paint(px, py, anchor.value_or(ANCHOR_TOP_LEFT));
}

CxPoint GetPosition(Obj& o, std::optional<int32_t> anchor) { return o.GetPosition(anchor.value_or(ANCHOR_TOP_LEFT)); }

CxPoint GetGlobalPosition(Obj& o, std::optional<int32_t> anchor)
{
    CxPoint p = o.GetPosition(anchor.value_or(ANCHOR_TOP_LEFT));
    return o.GetParent() ? o.GetParent()->ToGlobal(p) : p;
}

CxSize GetSize(Obj& o) { return o.GetSize(); }

int Link(lua_State* L, Obj& o)
{
    o.Link(OtherObject(L, 2, true));   // nil links to the root
    return 0;
}

void LinkRoot(Obj& o) { o.LinkRoot(); }

int PlaceInFrontOf(lua_State* L, Obj& o)
{
    o.PlaceInFrontOf(OtherObject(L, 2));
    return 0;
}

int PlaceBehind(lua_State* L, Obj& o)
{
    o.PlaceBehind(OtherObject(L, 2));
    return 0;
}

int32_t Destroy(Obj& o) { return o.Destroy(); }
int32_t Erase(Obj& o) { return o.Erase(); }
// Scripts use -1 for "behind everything", so the order reads back signed.
void SetZOrder(Obj& o, int32_t z) { o.SetZOrder(uint32_t(z)); }
int32_t GetZOrder(Obj& o) { return int32_t(o.GetZOrder()); }
int32_t Show(Obj& o) { return o.Show(); }
int32_t Hide(Obj& o) { return o.Hide(); }
int32_t Center(Obj& o) { return o.Center(); }
void SetActive(Obj& o) { o.SetActive(); }
bool IsActiveWindow(Obj& o) { return o.IsActiveWindow(); }
void Enable(Obj& o) { o.Enable(); }
void Disable(Obj& o) { o.Disable(); }
bool IsEnabled(Obj& o) { return o.IsEnabled(); }
void SetCapture(Obj& o) { o.SetCapture(); }
void ReleaseCapture(Obj& o) { o.ReleaseCapture(); }
void ReleaseCaptureAbsolute(Obj& o) { o.ReleaseCaptureAbsolute(); }
bool HasCapture(Obj& o) { return o.HasCapture(); }
int32_t GetWidth(Obj& o) { return o.GetWidth(); }
int32_t GetHeight(Obj& o) { return o.GetHeight(); }
bool HasChildren(Obj& o) { return o.HasChildren(); }
int32_t CountChildren(Obj& o, std::optional<int32_t> flags) { return o.CountChildren(uint32_t(flags.value_or(0))); }
void UnLink(Obj& o) { o.UnLink(); }
void UnlinkChildren(Obj& o) { o.UnlinkChildren(); }
bool IsVisible(Obj& o) { return o.IsVisible(); }
void SetClip(Obj& o, bool on) { o.SetClip(on); }
bool GetClip(Obj& o) { return o.GetClip(); }
bool IsType(Obj& o, int32_t mask) { return o.IsType(uint32_t(mask)); }
void SetType(Obj& o, int32_t mask) { o.SetType(uint32_t(mask)); }
int32_t GetType(Obj& o) { return int32_t(o.GetType()); }
void SetControlID(Obj& o, int32_t id) { o.SetControlID(id); }
int32_t GetControlID(Obj& o) { return o.GetControlID(); }
void SetName(Obj& o, const char* name) { o.SetName(name); }
const char* GetName(Obj& o) { return o.GetName(); }

// Exact as a script number: user-space addresses stay below 2^53.
int GetAddress(lua_State* L, Obj& o)
{
    lua_pushnumber(L, lua_Number(reinterpret_cast<uintptr_t>(&o)));
    return 1;
}

const CxScriptMethod kMethods[] = {
    ScriptMethod("Create", &Create),
    ScriptMethod("Paint", &Paint),
    ScriptMethod("GetPosition", &GetPosition),
    ScriptMethod("GetGlobalPosition", &GetGlobalPosition),
    ScriptMethod("GetSize", &GetSize),
    ScriptMethod("Link", &Link),
    ScriptMethod("LinkRoot", &LinkRoot),
    ScriptMethod("PlaceInFrontOf", &PlaceInFrontOf),
    ScriptMethod("PlaceBehind", &PlaceBehind),
    ScriptMethod("Destroy", &Destroy),
    ScriptMethod("Erase", &Erase),
    ScriptMethod("SetZOrder", &SetZOrder),
    ScriptMethod("GetZOrder", &GetZOrder),
    ScriptMethod("Show", &Show),
    ScriptMethod("Hide", &Hide),
    ScriptMethod("Center", &Center),
    ScriptMethod("SetActive", &SetActive),
    ScriptMethod("IsActiveWindow", &IsActiveWindow),
    ScriptMethod("Enable", &Enable),
    ScriptMethod("Disable", &Disable),
    ScriptMethod("IsEnabled", &IsEnabled),
    ScriptMethod("SetCapture", &SetCapture),
    ScriptMethod("ReleaseCapture", &ReleaseCapture),
    ScriptMethod("ReleaseCaptureAbsolute", &ReleaseCaptureAbsolute),
    ScriptMethod("HasCapture", &HasCapture),
    ScriptMethod("GetWidth", &GetWidth),
    ScriptMethod("GetHeight", &GetHeight),
    ScriptMethod("HasChildren", &HasChildren),
    ScriptMethod("CountChildren", &CountChildren),
    ScriptMethod("UnLink", &UnLink),
    ScriptMethod("UnlinkChildren", &UnlinkChildren),
    ScriptMethod("IsVisible", &IsVisible),
    ScriptMethod("SetClip", &SetClip),
    ScriptMethod("GetClip", &GetClip),
    ScriptMethod("IsType", &IsType),
    ScriptMethod("SetType", &SetType),
    ScriptMethod("GetType", &GetType),
    ScriptMethod("SetControlID", &SetControlID),
    ScriptMethod("GetControlID", &GetControlID),
    ScriptMethod("SetName", &SetName),
    ScriptMethod("GetName", &GetName),
    ScriptMethod("GetAddress", &GetAddress),
    {nullptr, nullptr, nullptr},
};
}  // namespace

const CxScriptClass kCxDisplayObjectScriptClass = ScriptClass<CxDisplayObject>("CxDisplayObject", nullptr, kMethods);
