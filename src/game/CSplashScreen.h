// The splash screen: a picture in front of everything, shown modally until
// its time is up, a key is pressed or the left button is pressed.
#pragma once
#include "core/CxTimer.h"
#include "display/CxDialogBox.h"

class CSplashScreen : public CxDialogBox, public CxTimerListener {
public:
    static constexpr uint32_t kDurationMs = 5000;

    CSplashScreen() = default;
    ~CSplashScreen() override;

    void OnTimer(CxTimerCallBack* timer) override;
    void OnKeyDown(KeyCode key, uint32_t flags) override;
    void OnLButtonDown(uint32_t keys, CxPoint point) override;

    // Loads the picture, centres it over `parent` and runs frames until the
    // splash ends.  An error code (and no modal loop) when the picture does
    // not load.
    int ShowModal(const char* picture, CxDisplayObject* parent, uint32_t durationMs = kDurationMs);

private:
    CxTimerCallBack* timer_ = nullptr;   // owned while showing
};
