// What kel.ini shares between the rooms: the buttons, the named dialogs and
// the closing credits.
#include "framework/CKelApp.h"

#include "display/CxDisplayTree.h"
#include "framework/CKelCreditsDialog.h"
#include "framework/CKelShared.h"
#include "app/CxGamePath.h"
#include "files/QorFile.h"
#include "media/CxSoundServices.h"

CKelDialog* CKelApp::FindDialog(const char* name) const { return FindSharedDialog(name); }

void CKelApp::LoadGlobals() { LoadKelFile(kel_, "kel.ini"); }

void CKelApp::DestroyGlobals() { FreeKelFile(); }

void CKelApp::ShowCredits()
{
    CxDisplayObject* root = GetRootObject();
    if (!root) return;
    CKelCreditsDialog credits(kel_);
    // "Credits"/"Music" plays during the credits when the file is there.
    CxString music = kel_.ReadString("Credits", "Music", "");
    bool withMusic = !music.IsEmpty() && QorFileExists(BuildGamePath(music.Text()).Text());
    if (withMusic) StartMusic(music.Text());
    credits.ShowModal(root);
    if (withMusic) StopMusic();
}
