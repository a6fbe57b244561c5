// The common dialogs' text: a CxDrawText of its own class, drawn into an
// 8-bit picture that carries the common palette.
#pragma once
#include "display/CxDrawText.h"

class CxCommonDrawText : public CxDrawText {};

// Gives a text (already sized) an 8-bit picture with the common palette, so
// its colour indices mean what they mean on the common faces.
void UseCommonFace(CxDrawText& text);
