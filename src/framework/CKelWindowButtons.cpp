// The room's buttons and background.
#include "foundation/Qorstr.h"
#include "framework/CKelWindow.h"
#include "framework/CxGamePath.h"

CxDisplayObject* CKelWindow::FindButton(const char* name) const
{
    if (!name) return nullptr;
    for (auto* node = buttons_.GetHead(); node; node = node->next)
        if (TextEquals(node->value->GetName(), name, true)) return node->value;
    return nullptr;
}

void CKelWindow::FlashButton(const char* name, bool on, uint32_t interval) {}

void CKelWindow::SetButtonState(const char* name, int32_t state) {}

void CKelWindow::BulgeScore(int32_t pointSize) {}

void CKelWindow::LoadBackground(const char* path)
{
    if (!path || !*path) return;
    LoadSurface(BuildGamePath(path));
    // A failed load has been reported; the room goes on without a picture.
    if (GetSurface() && GetSurface()->GetErrorCode() != 0) ReleaseSurface();
    if (IsVisible()) Paint();
}
