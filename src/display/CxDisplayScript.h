// The display tree's script classes and global functions.
//
// Root classes CxDisplayObject and CxAnimation; CxSprite derives from
// CxDisplayObject; CxButton and CxRadioGroup from CxSprite; CxRadioButton
// and CxCheckButton from CxButton.  Global functions PaintSprite(object, x, y)
// and EraseSprite(object).
//
// Objects passed as arguments (a parent to Link, a sprite to Duplicate) are
// checked like the object of a method: an instance or reference of the
// expected class or one derived from it, otherwise "bad argument".
#pragma once
#include "foundation/CxGeometry.h"

#include <lua.hpp>

class CxLuaEngine;
class CxDisplayObject;
struct CxScriptClass;

extern const CxScriptClass kCxDisplayObjectScriptClass;
extern const CxScriptClass kCxSpriteScriptClass;
extern const CxScriptClass kCxButtonScriptClass;
extern const CxScriptClass kCxRadioGroupScriptClass;
extern const CxScriptClass kCxRadioButtonScriptClass;
extern const CxScriptClass kCxCheckButtonScriptClass;
extern const CxScriptClass kCxAnimationScriptClass;

// Binds every class above and the two global functions.  Without a display
// tree (a host without a window) it first sets up a headless one: a root of
// kHeadlessScreenSize painted once per main-loop pass into a memory surface.
int RegisterDisplayScriptApi(CxLuaEngine& engine);

constexpr CxSize kHeadlessScreenSize{640, 480};
// The memory surface a headless tree paints into; null when the tree
// belongs to a real screen.
class CxDrawSurface;
CxDrawSurface* GetHeadlessDisplaySurface();

// Argument `index` as a pointer to the part of class `wanted`; raises the
// argument error "bad argument" for anything else.  `optional` accepts nil
// (giving null).
void* ScriptCheckObject(lua_State* state, int index, const CxScriptClass* wanted, bool optional = false);
