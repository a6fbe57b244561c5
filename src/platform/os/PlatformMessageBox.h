// Message boxes.  With no display (or SDL's dummy driver, as in tests) the
// box is written to standard error and the first button is the answer, so a
// headless run never waits for a click that cannot come.
#pragma once

enum PlatBoxKind { PLAT_BOX_ERROR, PLAT_BOX_WARNING, PLAT_BOX_INFO };

// Shows title and text with the given buttons (null-terminated list; null
// means one "OK").  Returns the index of the chosen button.
int PlatShowMessageBox(PlatBoxKind kind, const char* title, const char* text, const char* const* buttons);
bool PlatHasDisplay();
