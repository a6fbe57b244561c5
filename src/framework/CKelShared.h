// What "kel.ini" declares for every room: the shared buttons, created once
// at start-up and shown by the rooms that list them under [Static] Buttons;
// the named dialogs of [Dialogs]; the intro movies of [IntroMovies].  The
// start-up code calls LoadKelFile once per cycle and FreeKelFile after the
// rooms have stopped.
#pragma once
#include "foundation/CxLinkedList.h"
#include "foundation/CxString.h"

class CKelButton;
class CKelDialog;
class CxLuaEngine;
class CxOptions;

// Opens `path` into `kel` (a missing file is no error: nothing is shared)
// and creates the shared buttons and dialogs.
int  LoadKelFile(CxOptions& kel, const char* path);
void FreeKelFile();

// Creates a button for every "Button<n>" section up to the first without a
// FileName; earlier shared buttons are deleted first.  Returns the count.
int LoadSharedButtons(CxOptions& kel);
// After the rooms have stopped: a running room still lists the ones it shows.
void FreeSharedButtons();
// By name, without regard to case; null when unknown.
CKelButton* FindSharedButton(const char* name);
bool IsSharedButton(const CKelButton* button);
int SharedButtonCount();

// Every "name = path" entry of [Dialogs] becomes a dialog of that name
// loaded from the path, and these are the dialogs that StartModalDialog and
// EndModalDialog find by name.  Returns the count.
int LoadSharedDialogs(CxOptions& kel, CxLuaEngine* engine = nullptr);
void FreeSharedDialogs();
CKelDialog* FindSharedDialog(const char* name);
int SharedDialogCount();

// The existing movies of [IntroMovies], in entry order, as game paths.
void ListIntroMovies(CxOptions& kel, CxLinkedList<CxString>& out);
