// The house's menu: a described dialog whose buttons answer by their names.
// "Kennel" answers 0 (back to the kennel), "ScrapBook" 1, "Resume" 2 (back
// to the game, nothing happens) and "Quit" 3; a loop that ends without a
// click answers -1.
#pragma once
#include "framework/CKelDialog.h"

class CMenuDialog : public CKelDialog {
public:
    enum : int { RESULT_NONE = -1, RESULT_KENNEL = 0, RESULT_SCRAPBOOK = 1, RESULT_RESUME = 2, RESULT_QUIT = 3 };

    CMenuDialog();
    void OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra) override;
    int  DoModal() override;
    int32_t GetResult() const { return result_; }
    // The answer of a button name, RESULT_NONE for any other name.
    static int ResultOfButton(const char* name);

private:
    int32_t result_ = RESULT_NONE;
};
