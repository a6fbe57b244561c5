// The engine's built-in message box: a title, a message and a row of push
// buttons on a common dialog face, shown modally.  A click on a button ends
// it with that button's index; any key ends it with 0.
//
// Size: w = the title's width in the default font, at least 300, raised to
// the message's width; h = 150.  A box wider than 600 is cut to 600 and
// grows 20 pixels per further 600 of message width (integer division),
// 400 high from 13 such widths on.
//
// Headless runs and tests cannot click: an answer hook, when installed,
// answers every box at once without showing it, and without a display tree
// there is nothing to show, so the box answers 0 (the first button) after
// printing its texts.
#pragma once
#include "display/CxCommonDialog.h"

class CxCommonMessageBox : public CxCommonDialog {
public:
    void OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra) override;
    void OnKeyDown(KeyCode key, uint32_t flags) override;

    int32_t GetResult() const { return result_; }

private:
    int32_t result_ = 0;
};

CxSize CommonMessageBoxSize(int32_t titleWidth, int32_t messageWidth);

// Shows a message box with `count` button labels and returns the chosen
// index (0 for a key press).
int CommonMessageBox(const char* title, const char* message, const char* const* labels, int count);
// The two-label form; a null second label gives one button.
int CommonMessageBox(const char* title, const char* message, const char* first, const char* second);

using CxMessageBoxAnswer = int (*)(const char* title, const char* message, const char* const* labels, int count);
void SetMessageBoxAnswer(CxMessageBoxAnswer answer);   // null: boxes are shown
