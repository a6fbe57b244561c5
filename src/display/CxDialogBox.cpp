#include "display/CxDialogBox.h"
#include "display/CxCursor.h"
#include "core/CxAppServices.h"
#include "display/CxDialogRegistry.h"
#include "display/CxDisplayTree.h"

namespace {
bool InSubtree(CxDisplayObject* node, const CxDisplayObject* wanted)
{
    if (node == wanted) return true;
    for (auto* child = node->GetChildren().GetHead(); child; child = child->next)
        if (InSubtree(child->value, wanted)) return true;
    return false;
}

// The object that was active before the loop is made active again.  A frame
// of the loop may have destroyed it or taken it out of the tree (a room the
// game left while the dialog was up); then an object the loop made active
// outside the dialog, such as the room entered, keeps the activity, so that
// the loop never ends with nothing active while something could be.
void RestoreActive(CxDialogBox* dialog, const CxDisplayObject* previous)
{
    if (IsInDisplayTree(previous)) return displaytree::SetActive(const_cast<CxDisplayObject*>(previous));
    CxDisplayObject* now = GetActiveObject();
    bool keep = now && !InSubtree(dialog, now) && IsInDisplayTree(now);
    displaytree::SetActive(keep ? now : nullptr);
}
}  // namespace

bool IsInDisplayTree(const CxDisplayObject* object)
{
    CxDisplayObject* root = GetRootObject();
    return object && root && InSubtree(root, object);
}

CxDialogBox::~CxDialogBox() { ForgetPendingModalDialog(this); }

// Without an application nothing could ever run a frame, so the loop would
// never see the end-modal flag: such a dialog returns at once.
int CxDialogBox::DoModal()
{
    if (errorCode_) return errorCode_;
    CxAppServices* app = CxAppServices::Get();
    if (app) app->FlushPaintRequests();

    SetCapture();
    CxDisplayObject* previous = GetActiveObject();
    SetActive();
    endModal_ = 0;
    bool quitOnEntry = app && app->GetQuitFlag();
    ++modalDepth_;
    while (GetErrorCount() < kModalErrorLimit) {
        if (!RunModalFrame()) break;
        if (ModalLoopDone(quitOnEntry)) break;
    }
    --modalDepth_;
    endModal_ = 0;   // an EndModal meant for this loop must not end the next one

    RestoreActive(this, previous);
    ReleaseCaptureAbsolute();
    // What lies under the pointer now never saw it move while the dialog
    // held the mouse: a button would keep its mouse-over face.
    if (GetRootObject()) DispatchMouseMove(0, GetCursorPosition());
    return errorCode_;
}

// A quit request from the system ends the loop (the application puts it
// back for the main loop).
bool CxDialogBox::RunModalFrame()
{
    CxAppServices* app = CxAppServices::Get();
    return app && app->RunModalFrame() == 0;
}

bool CxDialogBox::ModalLoopDone(bool quitOnEntry) const
{
    CxAppServices* app = CxAppServices::Get();
    if (app && !quitOnEntry && app->GetQuitFlag()) return true;
    return endModal_ != 0;
}
