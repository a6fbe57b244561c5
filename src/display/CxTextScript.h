// The script classes CxDrawText (derived from CxSprite's script class) and
// CxEditText (derived from CxDrawText).
//
// Colours are raw 32-bit pixel values; scripts may write them as unsigned
// numbers (0xFFFF0000) or signed ones (-1 for "no colour"), and read them
// back signed, so -1 stays -1.
#pragma once
#include <cstdint>

class CxLuaEngine;
struct CxScriptClass;

extern CxScriptClass kCxDrawTextScriptClass;
extern CxScriptClass kCxEditTextScriptClass;

// Binds both classes below `spriteClass` (CxSprite's script class; null
// binds CxDrawText as a root class).  A host without a display gets the
// built-in font here, so texts made by scripts can render.
int RegisterTextScriptApi(CxLuaEngine& engine, const CxScriptClass* spriteClass);

// A script number as a raw pixel value: whole numbers from -2^31 to 2^32 - 1
// map onto the 32 bits, anything else gives "no colour".
uint32_t ScriptColour(double value);
