// The hooks by which the engine's lower layers reach services of the layers
// above them, all installed here so that a reader finds the whole wiring in
// one place (the design note in CxApp.h lists who calls what when).
//
//   hook (declared in)                      installed with   what it reaches
//   CxAppServices (core/CxAppServices.h)    the application  options, idle functions, quit, modal frames
//   core file access (core/CxCoreFiles.h)   WireEngine       options files through the file-system chain
//   event script runner (events)            WireScripts      script-line events run in the cycle's engine
//   low-memory handler (foundation)         files itself     the swap cache frees memory (CxCachedObject)
//   screen cursor (graphics/CxScreenCursor) WireDisplay      software screens draw the display's cursor
//   default-cursor hook (display)           WireDisplay      each mouse move selects the default cursor
//   error callback chain (core/CxError.h)   each app layer   the display's and the game's error handlers
#pragma once

void WireEngine();      // at application construction, before the options load
void UnwireEngine();    // at application destruction
void WireScripts();     // once the cycle's script engine exists
void UnwireScripts();   // before it goes
void WireDisplay();     // at display start-up, once the cursors exist
void UnwireDisplay();   // at display shutdown
