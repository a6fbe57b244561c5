// Registration of the display script classes and functions, object
// arguments, and the headless tree of hosts without a screen.
#include "core/CxAppServices.h"
#include "display/CxDisplayScript.h"
#include "display/CxDisplayTree.h"
#include "graphics/CxBltEffects.h"
#include "graphics/CxSurf.h"
#include "graphics/QorImageFilters.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptBinding.h"

// ------------------------------------------------------------- object arguments
void* ScriptCheckObject(lua_State* L, int index, const CxScriptClass* wanted, bool optional)
{
    if (optional && lua_isnoneornil(L, index)) return nullptr;
    CxScriptRef* ref = ScriptToRef(L, index);
    if (!ref) luaL_argerror(L, index, "bad argument");
    if (!ref->object) luaL_argerror(L, index, lua_pushfstring(L, "the %s object does not exist", ref->type->name));
    void* object = ref->object;
    for (const CxScriptClass* type = ref->type; type; type = type->base) {
        if (type == wanted) return object;
        if (type->base) object = type->toBase(object);
    }
    luaL_argerror(L, index, lua_pushfstring(L, "bad argument (%s expected, got %s)", wanted->name, ref->type->name));
    return nullptr;
}

// ------------------------------------------------------------- global functions
namespace {
CxDisplayObject* ObjectArgument(lua_State* L)
{
    return static_cast<CxDisplayObject*>(ScriptCheckObject(L, 1, &kCxDisplayObjectScriptClass));
}

int PaintSprite(lua_State* L)
{
    CxDisplayObject* object = ObjectArgument(L);
    int32_t x = ScriptCheckInt(L, 2), y = ScriptCheckInt(L, 3);
    object->Paint(x, y, ANCHOR_TOP_LEFT);
    return 0;
}

int EraseSprite(lua_State* L)
{
    ObjectArgument(L)->Erase();
    return 0;
}

// ------------------------------------------------------------- the headless tree
CxDrawSurface& HeadlessSurface()
{
    static CxDrawSurface surface;
    return surface;
}

// Once per main-loop pass, as the game's frame would; it leaves the loop
// once a real screen has taken the tree over.
void PaintHeadlessFrame()
{
    if (!IsHeadlessDisplayTree()) {
        if (CxAppServices* app = CxAppServices::Get()) app->RemoveIdleFunction(PaintHeadlessFrame);
        return;
    }
    PaintDirtyRects(&HeadlessSurface(), nullptr);
}

int SetUpHeadlessTree(CxAppServices* app)
{
    if (!GetRootObject()) {
        CxDrawSurface& surface = HeadlessSurface();
        if (surface.GetWidth() != kHeadlessScreenSize.width &&
            surface.Create(kHeadlessScreenSize.width, kHeadlessScreenSize.height, 32) != 0)
            return surface.GetErrorCode();
        InitHeadlessDisplayTree(kHeadlessScreenSize);
    }
    if (!IsHeadlessDisplayTree()) return 0;
    RegisterEngineImageFilters();   // its sprites load pictures as the game's do
    if (app) app->AddIdleFunction(PaintHeadlessFrame);
    return 0;
}
}  // namespace

CxDrawSurface* GetHeadlessDisplaySurface() { return IsHeadlessDisplayTree() ? &HeadlessSurface() : nullptr; }

int RegisterDisplayScriptApi(CxLuaEngine& engine)
{
    int code = SetUpHeadlessTree(engine.GetApp() ? engine.GetApp() : CxAppServices::Get());
    for (const CxScriptClass* type : {&kCxDisplayObjectScriptClass, &kCxSpriteScriptClass, &kCxButtonScriptClass,
                                      &kCxRadioGroupScriptClass, &kCxRadioButtonScriptClass,
                                      &kCxCheckButtonScriptClass, &kCxAnimationScriptClass})
        if (code == 0) code = ScriptBindClass(engine, *type);
    if (code == 0) code = engine.RegisterFunction("PaintSprite", PaintSprite);
    if (code == 0) code = engine.RegisterFunction("EraseSprite", EraseSprite);
    if (code == 0) code = RegisterBltEffectsTable(engine);
    return code;
}
