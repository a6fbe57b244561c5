// The game's texts in the player's language come from its scripts:
// "GetLanguageString('key')" is evaluated, and "No String defined" stands in
// when the scripts give no text (no engine, no function, not a string).
#pragma once
#include "foundation/CxString.h"

class CxLuaEngine;

CxString LookUpLanguageString(CxLuaEngine* engine, const char* key);
