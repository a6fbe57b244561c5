// A sprite that runs a modal loop: while it is modal the application keeps
// running frames, the box holds the mouse capture and is the active object,
// and the loop ends when the box (or one of its controls) asks for it, when
// the application starts quitting, when a frame reports the end of the main
// loop, or when the reported-error count reaches 3.
//
// The framework's dialogs derive from it.  It stands in for the display
// layer's dialog box until that exists; the two operations keep its names.
#pragma once
#include "display/CxSprite.h"

class CKelModalBox : public CxSprite {
public:
    CKelModalBox() { typeMask_ = 5; }

    virtual int  DoModal();
    virtual void EndModal() { endModal_ = true; }
    bool IsModalEnded() const { return endModal_; }
    bool IsModal() const { return modal_; }

protected:
    // One pass of the loop; false ends it.  The application's frame.
    virtual bool RunModalFrame();

private:
    bool endModal_ = false;
    bool modal_ = false;
};
