// The common dialogs' push button: draws its own five faces (normal,
// pressed, mouse over, pressed with mouse over, disabled) with its label
// centred in the default font, so it needs no image files.
#pragma once
#include "display/CxButton.h"
#include "foundation/CxString.h"

class CxCommonPushButton : public CxButton {
public:
    int Create(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent,
               int32_t controlId) override;

    virtual void SetLabel(const char* text);
    virtual int  BuildFace();
    const char* GetLabel() const { return label_.Text(); }

private:
    CxString label_;
};
