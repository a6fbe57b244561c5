#include "framework/CKelModalBox.h"
#include "core/CxApp.h"
#include "display/CxDisplayTree.h"

namespace {
constexpr int kErrorLimit = 3;
}

bool CKelModalBox::RunModalFrame()
{
    CxApp* app = CxApp::GetApp();
    return app && app->Step() == 0;
}

int CKelModalBox::DoModal()
{
    if (errorCode_) return errorCode_;
    SetCapture();
    CxDisplayObject* previous = GetActiveObject();
    SetActive();
    endModal_ = false;
    modal_ = true;
    CxApp* app = CxApp::GetApp();
    bool quitting = app && app->GetQuitFlag();
    while (!endModal_ && GetErrorCount() < kErrorLimit) {
        if (!RunModalFrame()) break;
        if (!quitting && app && app->GetQuitFlag()) break;
    }
    modal_ = false;
    // The tree forgets a destroyed object, so the one it still names as the
    // previous active object is alive.
    if (previous && GetPreviousActiveObject() == previous) previous->SetActive();
    ReleaseCaptureAbsolute();
    return errorCode_;
}
