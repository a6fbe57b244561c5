// Dialog boxes: sprites that can run a modal loop.
//
// While a dialog is modal the application keeps running whole frames (its
// `Step`, whatever layer supplies it), the dialog holds the mouse capture
// and is the active object, and the loop ends when the dialog or one of its
// controls calls EndModal, when the application is asked to quit during the
// loop, when the frame step reports the end of the main loop, or when three
// errors have been reported in the process (a failing frame must not trap
// the user).  Modal loops nest: an inner dialog's loop runs inside the
// outer one's frame and ends first.  Afterwards capture and activity return
// to what they were.
#pragma once
#include "display/CxSprite.h"

constexpr uint32_t DIALOG_TYPE = 0x04;           // type-mask bit of dialogs (with bit 0, sprite)
constexpr int kModalErrorLimit = 3;

class CxDialogBox : public CxSprite {
public:
    CxDialogBox() { typeMask_ = 1 | DIALOG_TYPE; }
    ~CxDialogBox() override;

    virtual int  DoModal();
    virtual void EndModal() { endModal_ = 1; }

    bool IsModal() const { return modalDepth_ > 0; }
    int32_t GetEndModalFlag() const { return endModal_; }
    bool IsModalEnded() const { return endModal_ != 0; }

protected:
    // One pass of the modal loop: the application's frame step.  False ends
    // the loop (no application, or the main loop is over).
    virtual bool RunModalFrame();

private:
    bool ModalLoopDone(bool quitOnEntry) const;

    int32_t endModal_ = 0;
    int modalDepth_ = 0;
};

// Whether the object is still reachable from the root: an object remembered
// across frames (the one active before a modal loop or a console) may have
// been destroyed or unlinked meanwhile.
bool IsInDisplayTree(const CxDisplayObject* object);
