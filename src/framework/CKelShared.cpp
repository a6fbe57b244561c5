#include "framework/CKelShared.h"
#include "core/CxOptions.h"
#include "files/QorFile.h"
#include "foundation/Qorstr.h"
#include "framework/CKelButton.h"
#include "framework/CKelDialog.h"
#include "app/CxGamePath.h"
#include "display/CxDialogRegistry.h"

namespace {
CxLinkedList<CKelButton*> gButtons;
CxLinkedList<CKelDialog*> gDialogs;

template <class T> T* FindNamed(const CxLinkedList<T*>& list, const char* name)
{
    if (!name) return nullptr;
    for (auto* node = list.GetHead(); node; node = node->next)
        if (TextEquals(node->value->GetName(), name, true)) return node->value;
    return nullptr;
}
}  // namespace

// ------------------------------------------------------------- the file
int LoadKelFile(CxOptions& kel, const char* path)
{
    int code = kel.Open(path);
    LoadSharedButtons(kel);
    LoadSharedDialogs(kel);
    return code == ERR_FILE_NOT_FOUND ? 0 : code;
}

void FreeKelFile()
{
    FreeSharedDialogs();
    FreeSharedButtons();
}

// ------------------------------------------------------------- buttons
int LoadSharedButtons(CxOptions& kel)
{
    FreeSharedButtons();
    CreateDescribedButtons(kel, nullptr, nullptr, true, gButtons);
    return gButtons.GetCount();
}

void FreeSharedButtons()
{
    while (!gButtons.IsEmpty()) delete gButtons.RemoveHead();
}

CKelButton* FindSharedButton(const char* name) { return FindNamed(gButtons, name); }

bool IsSharedButton(const CKelButton* button)
{
    return gButtons.Find(const_cast<CKelButton*>(button)) != nullptr;
}

int SharedButtonCount() { return gButtons.GetCount(); }

// ------------------------------------------------------------- dialogs
int LoadSharedDialogs(CxOptions& kel, CxLuaEngine* engine)
{
    FreeSharedDialogs();
    CxOptionSection* section = kel.FindSection("Dialogs");
    if (!section) return 0;
    for (auto* node = section->variables.GetHead(); node; node = node->next) {
        auto* dialog = new CKelDialog;
        dialog->SetScriptEngine(engine);
        dialog->SetName(node->value->key.Left(31));
        dialog->Load(node->value->value);
        gDialogs.AddTail(dialog);
    }
    SetDialogFinder([](const char* name) -> CxDialogBox* { return FindSharedDialog(name); });
    return gDialogs.GetCount();
}

void FreeSharedDialogs()
{
    SetDialogFinder(nullptr);
    while (!gDialogs.IsEmpty()) delete gDialogs.RemoveHead();
}

CKelDialog* FindSharedDialog(const char* name) { return FindNamed(gDialogs, name); }
int SharedDialogCount() { return gDialogs.GetCount(); }

// ------------------------------------------------------------- intro movies
void ListIntroMovies(CxOptions& kel, CxLinkedList<CxString>& out)
{
    CxOptionSection* section = kel.FindSection("IntroMovies");
    if (!section) return;
    for (auto* node = section->variables.GetHead(); node; node = node->next) {
        CxString path = BuildGamePath(node->value->value);
        if (QorFileExists(path)) out.AddTail(path);
    }
}
