#include "framework/CKelShared.h"
#include "core/CxOptions.h"
#include "foundation/Qorstr.h"
#include "framework/CKelButton.h"

namespace {
CxLinkedList<CKelButton*> gShared;
}

int LoadSharedButtons(CxOptions& kel)
{
    FreeSharedButtons();
    for (int i = 0;; ++i) {
        CxString section;
        section.Format("Button%d", i);
        if (kel.ReadString(section, "FileName", "").IsEmpty()) break;
        auto* button = new CKelButton;
        button->Describe(kel, section, true);
        gShared.AddTail(button);
    }
    return gShared.GetCount();
}

void FreeSharedButtons()
{
    while (!gShared.IsEmpty()) delete gShared.RemoveHead();
}

CKelButton* FindSharedButton(const char* name)
{
    if (!name) return nullptr;
    for (auto* node = gShared.GetHead(); node; node = node->next)
        if (TextEquals(node->value->GetName(), name, true)) return node->value;
    return nullptr;
}

bool IsSharedButton(const CKelButton* button)
{
    return gShared.Find(const_cast<CKelButton*>(button)) != nullptr;
}

int SharedButtonCount() { return gShared.GetCount(); }
