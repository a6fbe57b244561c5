// Named dialogs run modally on request: scripts ask for a dialog by name,
// the application's next frame runs it.
//
// The engine does not know where named dialogs live; the framework that
// creates them installs a finder (names compare without regard to case
// there).  The request is a single pending record: a later request replaces
// an earlier one, and a dialog destroyed while pending is forgotten.
#pragma once

class CxDialogBox;
class CxLuaEngine;
struct CxScriptClass;

using CxDialogFinder = CxDialogBox* (*)(const char* name);

void SetDialogFinder(CxDialogFinder finder);   // null: no named dialogs
CxDialogBox* FindNamedDialog(const char* name);

// StartModalDialog: records the named dialog; unknown names do nothing.
void StartModalDialog(const char* name);
// EndModalDialog: ends the named dialog's modal loop; unknown names do nothing.
void EndModalDialog(const char* name);

CxDialogBox* GetPendingModalDialog();
// Run by the application once per frame: clears the record first (so the
// dialog may ask for itself again), then runs the dialog modally.
void RunPendingModalDialog();
// Called by a dying dialog.
void ForgetPendingModalDialog(const CxDialogBox* dialog);

// The script class CxDialogBox (derived from CxSprite) and the global
// script functions StartModalDialog (name) and EndModalDialog (name).
extern const CxScriptClass kCxDialogBoxScriptClass;
int BindCxDialogBox(CxLuaEngine& engine);
int RegisterDialogScriptFunctions(CxLuaEngine& engine);
