// The common dialogs' text list: a white sunken box whose lines are 8-bit
// texts drawn against the common palette.
#pragma once
#include "display/CxTextListBox.h"

class CxCommonTextListBox : public CxTextListBox {
public:
    CxCommonTextListBox();
    int Create(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent,
               int32_t controlId) override;

protected:
    CxDrawText* CreateLine(const char* text) override;
};
