// The credits: a text file rendered once into a tall surface that scrolls
// up through the dialog, with optional logos riding on the text and masks
// in front of it (to fade the text at the edges, for instance).
//
// Configured from section "Credits" of the options it is given.  The text
// starts just below the dialog's bottom edge and moves up by
// ScrollPixelsPerInterval every ScrollTimeInterval ms; once it has left at
// the top the modal run ends.  Enter, Escape, Space, Alt+Q, Alt+q, Alt+F4
// and a left-button press end it at once.
//
#pragma once
#include "core/CxOptions.h"
#include "core/CxTimer.h"
#include "display/CxDialogBox.h"

#include <vector>

// Each line of the credits text: at most 253 characters, carriage returns
// dropped, tabs as four spaces.
std::vector<CxString> SplitCreditsText(const char* text, size_t size);

class CKelCreditsDialog : public CxDialogBox, public CxTimerListener {
public:
    static constexpr int kBandHeight = 24;
    static constexpr int kMaxTextHeight = 32767;   // taller texts are cut (and printed)

    explicit CKelCreditsDialog(CxOptions& options);
    ~CKelCreditsDialog() override;

    void OnTimer(CxTimerCallBack* timer) override;
    void OnKeyDown(KeyCode key, uint32_t flags) override;
    void OnLButtonDown(uint32_t keys, CxPoint point) override;

    // Shows the dialog over `parent` (in front) and runs frames until it ends.
    int  ShowModal(CxDisplayObject* parent);
    // Starts the scroll timer; ShowModal does it, a caller driving its own
    // frames calls it instead.
    void StartScrolling();

    CxSprite* GetScrollSprite() const { return scroll_; }
    CxDisplayObject* GetViewArea() const { return view_; }
    CxSprite* GetLogo(int i) const { return logos_[i]; }
    CxSprite* GetMask(int i) const { return masks_[i]; }
    int32_t GetFontHandle() const { return fontHandle_; }
    int LineCount() const { return lineCount_; }

private:
    void ReadSettings(CxOptions& options);
    void SizeDialog(CxOptions& options);
    void LoadFontFrom(CxOptions& options);
    void BuildText(CxOptions& options);
    void RenderLines(CxDrawSurface* surface, const std::vector<CxString>& lines, CxPixel colour);
    void PlaceLogos(CxOptions& options);
    void PlaceMasks(CxOptions& options);
    CxSprite* NewImageSprite(const char* path, CxDisplayObject* parent);

    CxDisplayObject* view_ = nullptr;
    CxSprite* scroll_ = nullptr;
    CxSprite* logos_[2] = {nullptr, nullptr};
    CxSprite* masks_[2] = {nullptr, nullptr};
    CxTimerCallBack* timer_ = nullptr;
    int32_t fontHandle_ = -1;
    bool ownFont_ = false;
    int32_t pixelsPerInterval_ = 3;
    uint32_t interval_ = 100;
    int32_t spacing_ = 4;
    int32_t pointSize_ = 0;
    int lineCount_ = 0;
};
