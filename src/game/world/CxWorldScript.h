// The script classes of the 3D world: Cx3DObject, CxLight, CxSceneManager.
#pragma once
#include "script/CxScriptBinding.h"

extern const CxScriptClass kCx3DObjectScriptClass;
extern const CxScriptClass kCxLightScriptClass;
extern const CxScriptClass kCxSceneManagerScriptClass;

class CxLuaEngine;
int RegisterWorldScriptClasses(CxLuaEngine& engine);
