// The common dialogs' edit line: a CxEditText on a white sunken box drawn
// into its own 8-bit picture, redrawn under the text whenever it renders.
#pragma once
#include "display/CxEditText.h"

class CxCommonEdit : public CxEditText {
public:
    int  Create(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent,
                int32_t controlId) override;
    void OnPaint(CxRenderTarget* target, const CxRect* rect) override;
};
