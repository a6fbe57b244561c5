// What kel.ini shares between the rooms: the buttons, the named dialogs and
// the closing credits.
#include "framework/CKelApp.h"

#include "display/CxDialogRegistry.h"
#include "display/CxDisplayTree.h"
#include "foundation/Qorstr.h"
#include "framework/CKelCreditsDialog.h"
#include "framework/CKelShared.h"

CKelDialog* CKelApp::FindDialog(const char* name) const
{
    return nullptr;
}

void CKelApp::LoadGlobalDialogs() {}

void CKelApp::DestroyGlobals()
{
    SetDialogFinder(nullptr);
    FreeSharedButtons();
}

void CKelApp::ShowCredits()
{
    CxDisplayObject* root = GetRootObject();
    if (!root) return;
    CKelCreditsDialog credits(kel_);
    credits.DoModal(root);
}
