// Paths written in description files and scripts: "\" separators and the
// "$GAMEPATH", "$CDPATH" and "$INSTALLPATH" markers of the shipped data are
// turned into chain paths ("<CDPath>...", "<InstallPath>...").
#pragma once
#include "foundation/CxString.h"

// The markers replaced and "//" folded to "/" after the first character
// (a leading "//" stays); at most 255 characters of the text are taken.
CxString ExpandGamePath(const char* text);
// Backslashes become "/" first; the text is otherwise taken literally.
CxString BuildGamePath(const char* text);
