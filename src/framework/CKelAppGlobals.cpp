// What kel.ini shares between the rooms: the buttons, the named dialogs and
// the closing credits.
#include "framework/CKelApp.h"

#include "display/CxDisplayTree.h"
#include "framework/CKelCreditsDialog.h"
#include "framework/CKelShared.h"

CKelDialog* CKelApp::FindDialog(const char* name) const { return FindSharedDialog(name); }

void CKelApp::LoadGlobals() { LoadKelFile(kel_, "kel.ini"); }

void CKelApp::DestroyGlobals() { FreeKelFile(); }

void CKelApp::ShowCredits()
{
    CxDisplayObject* root = GetRootObject();
    if (!root) return;
    CKelCreditsDialog credits(kel_);
    credits.ShowModal(root);
}
