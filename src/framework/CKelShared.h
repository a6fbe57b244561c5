// What "kel.ini" declares for every room: the shared buttons, created once
// at start-up and shown by the rooms that list them under [Static] Buttons.
#pragma once

class CKelButton;
class CxOptions;

// Creates a button for every "Button<n>" section up to the first without a
// FileName; earlier shared buttons are deleted first.  Returns the count.
int LoadSharedButtons(CxOptions& kel);
// After the rooms have stopped: a running room still lists the ones it shows.
void FreeSharedButtons();
// By name, without regard to case; null when unknown.
CKelButton* FindSharedButton(const char* name);
bool IsSharedButton(const CKelButton* button);
int SharedButtonCount();
